// Quillet.exe: the look for the last-used window, the debugger with its rows and the window
// monitor.
#include "quillet/app/program_win32.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "quillet/app/owner_dialogs_win32.h"
#include "quillet/diag/window_monitor.h"
#include "quillet/send/delivery_rules.h"
#include "quillet/send/targets.h"

namespace qm {

WindowHandle QuilletProgram::LastUsedWindowPass() {
  const WindowHandle found = FindLastUsedWindow(*desktop_, core_->ignore_list(), core_->caption(),
                                                &usable_titles_, &usable_windows_);
  // Only for an open debugger: asking every window's program would slow down each click.
  if (debugger_.hwnd()) debugger_.SetRows(DebuggerRows());
  return found;
}

std::vector<DebuggerRow> QuilletProgram::DebuggerRows() {
  const DeliveryRules rules = ReadDeliveryRules(ini_->Snapshot(core_->data_file()).get());
  std::vector<DebuggerRow> rows;
  for (std::size_t i = 0; i < usable_titles_.size() && i < usable_windows_.size(); ++i) {
    const WindowHandle w = usable_windows_[i];
    rows.push_back({usable_titles_[i],
                    DeliveryNote(rules, processes_->ProgramFile(w), desktop_->ClassName(w))});
  }
  return rows;
}

void QuilletProgram::ShowDebugger() {
  // Set once: the debugger may be asked to show itself again while its question waits inside
  // the handler, which must not be replaced under its own feet.
  if (!debugger_.on_ignore) {
    debugger_.on_ignore = [this](const std::optional<std::string>& marked) {
      // The questions belong to the debugger, so that its buttons wait for the answer.
      OwnerDialogs dialogs(debugger_.hwnd());
      IgnoreMarkedTitle(dialogs, core_->caption(), marked,
                        [this](const std::string& title) { return core_->AddIgnoredTitle(title); });
    };
    debugger_.on_edit_data_file = [this] { EditDataFile(*shell_, core_->data_file()); };
  }
  debugger_.Show(instance_, form_.hwnd(), MakeCaption("Debugger", core_->windows_nt()),
                 DebuggerRows());
}

void QuilletProgram::ShowMonitor() {
  const WindowTitleReader title = [this](WindowHandle w) { return WindowTitle(*desktop_, w); };
  monitor_.lines = [this, title](bool visible_only) {
    return MonitorLines(*desktop_, *clock_, title, reinterpret_cast<std::uintptr_t>(form_.hwnd()),
                        visible_only);
  };
  monitor_.caption = [this, title](HWND monitor) {
    return TitleInFront(*desktop_, title, core_->caption(),
                        reinterpret_cast<std::uintptr_t>(monitor));
  };
  monitor_.Show(instance_, form_.hwnd());
}

}  // namespace qm
