// The window-title debugger ("Debugger"): the titles of the windows a snippet without a
// target title could go to, best first, with its three buttons.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "quillet/commands.h"
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

  // Opens the window with `titles`, 50 pixels right of and below `main`'s corner, or brings
  // it to the front where it is open already. Modeless.
  void Show(HINSTANCE instance, HWND main, const std::string& caption,
            const std::vector<std::string>& titles);
  // Shows a new pass's titles while the window is open; a marked title that is still there
  // stays marked.
  void SetTitles(const std::vector<std::string>& titles);

 private:
  std::vector<ControlRow> Table() const override;
  SIZE ClientTwips() const override;
  bool OnCommand(int id, int code) override;
  std::optional<std::string> Marked() const;

  std::vector<std::string> titles_;
};

}  // namespace qm
