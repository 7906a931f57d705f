// The question about entries an import meets in the library, and the report of an import or
// export: one window of real controls, modal to the main window.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/clipboard.h"
#include "quillet/library/library_transfer.h"

namespace qm {

// The window's class and the ids of its text and its line of text, by which tests and
// automation find them; the buttons have their QuilletCommand as their id.
inline constexpr wchar_t kTransferWindowClass[] = L"QuilletTransferReport";
inline constexpr int kTransferText = 1000, kTransferSummary = 1001;

class Win32TransferWindows final : public TransferWindows {
 public:
  // `caption` makes a window's caption of its context ("Import").
  Win32TransferWindows(HWND owner, Clipboard& clipboard,
                       std::function<std::string(const std::string&)> caption)
      : owner_(owner), clipboard_(clipboard), caption_(std::move(caption)) {}

  ConflictChoice AskConflicts(const std::string& question,
                              const std::vector<std::string>& lines) override;
  void ShowReport(const std::string& title, const std::string& summary,
                  const std::vector<std::string>& lines) override;
  // On a thread of its own while this thread's messages run and the owner takes no input.
  bool RunApart(const std::function<void()>& work) override;

 private:
  HWND owner_;
  Clipboard& clipboard_;
  std::function<std::string(const std::string&)> caption_;
};

}  // namespace qm
