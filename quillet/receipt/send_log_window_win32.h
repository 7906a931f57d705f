// The send log's viewer ("Versandprotokoll"): the log's sends newest first in a list, a
// filter by result, and buttons to copy the selected rows and to open the log's folder.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "platform/clipboard.h"
#include "platform/file_system.h"
#include "platform/shell.h"
#include "quillet/receipt/send_log_view.h"
#include "ui/window_frame_win32.h"

namespace qm {

inline constexpr wchar_t kSendLogClass[] = L"QuilletSendLogFrm";
// Control ids; the buttons have their QuilletCommand.
inline constexpr int kSendLogFilterLabel = 1240, kSendLogFilter = 1241, kSendLogNote = 1242,
                     kSendLogList = 1243;

struct SendLogWindowServices {
  FileSystem& fs;
  Shell& shell;        // opens the log's folder
  Clipboard& clipboard;
  // The log's file; empty where the system names no place for it.
  std::function<std::string()> log_path;
};

class SendLogWindow final : public WindowFrame {
 public:
  // Opens the window, 50 pixels right of and below `main`'s corner, with the log as it is
  // now, or brings it to the front with the log read again. Modeless; Esc and "&Schließen"
  // end it, and the next opening makes it anew.
  void Show(HINSTANCE instance, HWND main, const std::string& caption,
            const SendLogWindowServices& services);
  // Reads the log again, keeping the filter.
  void Reload();

 private:
  std::vector<ControlRow> Table() const override;
  SIZE ClientTwips() const override;
  SIZE Grown() const override { return grown_; }
  void AfterLayout(bool created) override;
  void OnCreate() override;
  bool OnCommand(int id, int code) override;
  std::optional<LRESULT> OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  void ShowColumns();
  void ShowRows();
  void Copy();
  void OpenFolder();
  void FollowSelection();

  std::optional<SendLogWindowServices> s_;
  SendLogView view_;
  SIZE grown_{0, 0};
  bool laid_out_ = false;
  int column_count_ = 0;
};

}  // namespace qm
