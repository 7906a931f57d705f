// The picker session: from the hotkey to the snippet typed into the window the user came from.
#include "quillet/pick/picker_session_win32.h"

#include "platform/keyboard_win32.h"
#include "quillet/pick/use_record.h"
#include "ui/window_layout_win32.h"

namespace qm {
namespace {

ScreenRect AnchorIn(HWND window) {
  const RECT r = CaretOrMouseOnScreen(window);
  return {r.left, r.top, r.right, r.bottom};
}

}  // namespace

bool PickerSession::Start(const std::string& caption, HWND owner) {
  if (!window_.Create(instance_, caption, owner)) return false;
  window_.on_chosen = [this](int number, const std::string& name) { Send(number, name); };
  window_.on_cancelled = [this](bool give_back) {
    if (give_back && IsWindow(came_from_)) SetForegroundWindow(came_from_);
  };
  return true;
}

void PickerSession::Open(const std::string& data_file, const std::string& app_title) {
  if (sending_ || s_.sender.busy() || !window_.hwnd()) return;
  if (window_.is_open()) {
    SetForegroundWindow(window_.hwnd());
    return;
  }
  came_from_ = GetForegroundWindow();
  app_title_ = app_title;
  if (!Build(data_file)) index_->Rank(LoadUseRecord(s_.settings), UseTimeOf(s_.clock.Now()));
  window_.Open(*index_, snapshot_, AnchorIn(came_from_));
}

void PickerSession::Prepare(const std::string& data_file) {
  if (!window_.is_open() && !sending_) Build(data_file);
}

bool PickerSession::Build(const std::string& data_file) {
  const bool with_text = PickerSearchesText(s_.settings);
  std::shared_ptr<const IniDocument> snapshot = s_.ini.Snapshot(data_file);
  if (index_ && snapshot == snapshot_ && with_text == with_text_) return false;
  index_.emplace(PickSourcesOf(snapshot.get(), with_text), LoadUseRecord(s_.settings),
                 UseTimeOf(s_.clock.Now()));
  snapshot_ = std::move(snapshot);
  with_text_ = with_text;
  return true;
}

void PickerSession::Send(int number, const std::string& name) {
  if (sending_ || s_.sender.busy()) return;
  sending_ = true;
  if (!WaitForEnterRelease(s_.pause)) {
    sending_ = false;
    return;  // nothing is typed on the way out
  }
  s_.sender.SetAppTitle(app_title_);
  SendInto into;
  into.window = static_cast<WindowHandle>(reinterpret_cast<std::uintptr_t>(came_from_));
  const SendOutcome outcome = s_.sender.SendEntry(number, name, into);
  if (outcome == SendOutcome::kTyped) {
    RecordEntryUse(s_.settings, name, UseTimeOf(s_.clock.Now()));
  }
  sending_ = false;
}

}  // namespace qm
