// Quillet.exe: a click on the icon or the screen-edge strip, the snippet menu it opens, and
// the strip's place.
#include "quillet/app/program_win32.h"

#include <optional>
#include <string>

#include "quillet/menu/edge_strip.h"
#include "quillet/menu/popup_menu_win32.h"
#include "ui/window_layout_win32.h"

namespace qm {

ActivationHooks QuilletProgram::Activation() {
  ActivationHooks h;
  h.windows_nt = core_->windows_nt();
  h.send_under_way = [this] { return sender_ && sender_->busy(); };
  h.store_pending_edits = [this] { core_->main().StorePendingEdits(); };
  h.find_last_used_window = [this] { return LastUsedWindowPass(); };
  h.set_last_used_window = [this](WindowHandle w) { last_used_window_ = w; };
  h.bring_main_window_to_front = [this] { SetForegroundWindow(form_.hwnd()); };
  h.show_popup_menu = [this] { ShowPopupMenu(); };
  h.main_window_visible = [this] { return IsWindowVisible(form_.hwnd()) != FALSE; };
  h.hide_main_window = [this] { HideMain(); };
  h.show_main_window_normal = [this] { ShowMain(); };
  return h;
}

void QuilletProgram::OnActivationClick(int button) {
  qm::OnActivationClick(button, Activation());
}

void QuilletProgram::ShowPopupMenu() {
  // A second click while the menu is open does not open another one inside it.
  if (menu_open_) return;
  menu_open_ = true;
  PopupMenu menu = BuildPopupMenu(*ini_, core_->data_file(), core_->popup_settings().mode != 0);
  if (menu_from_icon_ && expander_ && expander_->on()) {
    AddAbbreviationPause(menu, expander_->paused());
  }
  POINT at{};
  GetCursorPos(&at);
  const std::optional<std::string> tag = TrackSnippetMenu(form_.hwnd(), menu, at);
  menu_open_ = false;
  if (!tag) return;
  const MenuAction action = ActionFor(menu, *tag);
  switch (action.command) {
    case MenuCommand::kShowMainWindow:
      ShowMain();
      break;
    case MenuCommand::kQuit:
      Quit();
      break;
    case MenuCommand::kSendEntry:
      sender_->SetAppTitle(core_->caption());
      sender_->SetLastUsedWindow(last_used_window_);
      sender_->SendEntry(action.entry, action.entry_name);
      break;
    case MenuCommand::kPauseAbbreviations:
      expander_->Pause();
      break;
    case MenuCommand::kResumeAbbreviations:
      expander_->Resume();
      break;
    case MenuCommand::kNothing:
      break;
  }
}

void QuilletProgram::PlaceStrip() {
  const SIZE screen = PrimaryScreenSize();
  const PopupSettings& settings = core_->popup_settings();
  strip_.SetColour(PlainColour(
      settings.colour, [](int index) { return static_cast<std::uint32_t>(GetSysColor(index)); }));
  const EdgeStripPlacement p = PlaceEdgeStrip(settings, screen.cx, screen.cy);
  strip_.Place(p.visible, RECT{p.rect.left, p.rect.top, p.rect.left + p.rect.width,
                               p.rect.top + p.rect.height});
}

}  // namespace qm
