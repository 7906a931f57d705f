// The window-title debugger ("Debugger"): the titles of the windows a snippet without a
// target title could go to, best first, each with the way a snippet would reach it, and its
// three buttons.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "quillet/commands.h"
#include "quillet/diag/debugger.h"
#include "ui/window_frame_win32.h"

namespace qm {

inline constexpr wchar_t kDebuggerClass[] = L"QuilletDebFrm";
// Control ids: the list of titles and the hint; the buttons have their QuilletCommand.
inline constexpr int kDebuggerList = 1200, kDebuggerLabel = 1201;

class DebuggerWindow final : public WindowFrame {
 public:
  // The first button, with the marked title (nullopt when none is marked).
  std::function<void(const std::optional<std::string>& marked)> on_ignore;
  std::function<void()> on_edit_data_file;

  // Opens the window with `rows`, 50 pixels right of and below `main`'s corner, or brings
  // it to the front where it is open already. Modeless.
  void Show(HINSTANCE instance, HWND main, const std::string& caption,
            const std::vector<DebuggerRow>& rows);
  // Shows a new pass's windows while the window is open; a marked title that is still there
  // stays marked.
  void SetRows(const std::vector<DebuggerRow>& rows);

 private:
  std::vector<ControlRow> Table() const override;
  SIZE ClientTwips() const override;
  bool OnCommand(int id, int code) override;
  std::optional<std::string> Marked() const;

  std::vector<DebuggerRow> rows_;
};

}  // namespace qm
