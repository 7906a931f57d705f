// The windows of an import in-process: the question and the report driven by keys and clicks
// from another thread, and espanso's files read through the library beside the program.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>

#include "platform/utf16_win32.h"
#include "quillet/commands.h"
#include "quillet/library/espanso_reader_win32.h"
#include "quillet/library/transfer_windows_win32.h"
#include "tests/fakes/fake_clipboard.h"
#include "tests/wine/support/process_driver_win32.h"
#include "tests/wine/support/temp_folder_win32.h"
#include "tests/wine/support/window_driver_win32.h"

namespace qm {
namespace {

// The question and the report of an import, answered from another thread by keys and clicks
// posted into their own modal loop, as a user's arrive.
TEST(TransferWindows, TheKeyboardAnswersTheQuestionAndTheReportCopiesItsText) {
  FakeClipboard clipboard;
  Win32TransferWindows windows(nullptr, clipboard, [](const std::string& c) { return c; });
  const auto answer = [](std::function<void(HWND window)> act) {
    return std::thread([act] {
      HWND window = test::WaitForWindow(kTransferWindowClass, nullptr);
      if (!window) return;
      act(window);
      for (int i = 0; i < 150 && IsWindow(window); ++i) Sleep(20);
      if (IsWindow(window)) PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    });
  };
  const auto focused_key = [](UINT message, WPARAM key) {
    return [message, key](HWND window) {
      GUITHREADINFO gui{};
      gui.cbSize = sizeof gui;
      GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &gui);
      PostMessageW(gui.hwndFocus ? gui.hwndFocus : window, message, key, 0);
    };
  };
  const struct {
    std::function<void(HWND)> act;
    ConflictChoice expected;
  } cases[] = {
      {focused_key(WM_KEYDOWN, VK_RETURN), ConflictChoice::kSkip},  // changes no entry
      {focused_key(WM_KEYDOWN, VK_ESCAPE), ConflictChoice::kCancel},
      {focused_key(WM_CHAR, 'e'), ConflictChoice::kReplace},
      {[](HWND w) { test::Click(w, CommandId(QuilletCommand::kTransferKeep)); },
       ConflictChoice::kKeep},
      {[](HWND w) { PostMessageW(w, WM_CLOSE, 0, 0); }, ConflictChoice::kCancel},
  };
  for (const auto& c : cases) {
    std::thread user = answer(c.act);
    EXPECT_EQ(windows.AskConflicts("Frage", {"Zeile 2 „Gruss“"}), c.expected);
    user.join();
  }
  std::string shown;
  std::thread user = answer([&](HWND w) {
    shown = test::ControlText(GetDlgItem(w, kTransferText));
    test::Click(w, CommandId(QuilletCommand::kTransferCopy));
    Sleep(300);
    focused_key(WM_KEYDOWN, VK_RETURN)(w);
  });
  windows.ShowReport("Import", "1 hinzugefügt.", {"eins", "zwei"});
  user.join();
  EXPECT_EQ(shown, "eins\r\nzwei\r\n");
  EXPECT_EQ(clipboard.text, "1 hinzugefügt.\r\n\r\neins\r\nzwei\r\n");
}

// quillet-yaml.dll lies beside this program as beside Quillet.exe: espanso's files are read
// through it, entries, notes and refusals alike.
TEST(EspansoLibraryTest, ReadsMatchFilesThroughTheLibraryBesideTheProgram) {
  ImportResult r;
  TextProblem problem;
  ASSERT_TRUE(ReadEspansoThroughLibrary(
      "matches:\n  - trigger: \"mfg\"\n    replace: \"Mit freundlichen Gr\xC3\xBC\xC3\x9F"
      "en\"\n",
      &r, &problem))
      << problem.what;
  ASSERT_EQ(r.entries.size(), 1u);
  EXPECT_EQ(r.entries[0].abbreviation, "mfg");
  EXPECT_EQ(r.entries[0].text,
            "Mit freundlichen Gr\xC3\xBC\xC3\x9F"
            "en");
  EXPECT_EQ(r.entries[0].line, 2u);
  EXPECT_FALSE(ReadEspansoThroughLibrary("matches:\n  - [\n", &r, &problem));
  EXPECT_GT(problem.line, 1u);
}

}  // namespace
}  // namespace qm
