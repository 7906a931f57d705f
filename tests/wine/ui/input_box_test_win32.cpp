// The input box as a real modal dialog, answered from another thread as a user would.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <thread>

#include "platform/utf16_win32.h"
#include "tests/wine/support/window_driver_win32.h"
#include "ui/dialogs_win32.h"
#include "ui/input_box_win32.h"

namespace qm {
namespace {

enum class Answer { kTypeThenOk, kOk, kTypeThenEnter, kAbbrechen, kEscape, kClose };

struct Seen {
  bool shown = false;
  std::string prompt, edit, ok, cancel;
  DWORD selection_start = 1, selection_end = 0;
  bool ok_is_default = false;
  bool edit_has_focus = false;
  RECT window{}, client{}, prompt_rect{}, edit_rect{}, ok_rect{};
};

RECT ScreenRect(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return r;
}

// Opens the box through the dialogs object while another thread looks at it and answers.
std::optional<std::string> Ask(HWND owner, const std::string& prompt, const std::string& title,
                               const std::string& initial, Answer answer, const std::string& typed,
                               Seen& seen) {
  const DWORD box_thread = GetCurrentThreadId();
  std::thread user([&] {
    HWND box = test::WaitForWindow(kInputBoxClass, Utf8ToWide(title).c_str());
    if (!box) return;
    seen.shown = true;
    HWND edit = GetDlgItem(box, kInputBoxEdit);
    HWND ok = GetDlgItem(box, IDOK);
    seen.prompt = test::ControlText(GetDlgItem(box, kInputBoxPrompt));
    seen.edit = test::ControlText(edit);
    seen.ok = test::ControlText(ok);
    seen.cancel = test::ControlText(GetDlgItem(box, IDCANCEL));
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&seen.selection_start),
                 reinterpret_cast<LPARAM>(&seen.selection_end));
    seen.ok_is_default = (GetWindowLongPtrW(ok, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    seen.edit_has_focus = GetGUIThreadInfo(box_thread, &gui) && gui.hwndFocus == edit;
    seen.window = ScreenRect(box);
    GetClientRect(box, &seen.client);
    seen.prompt_rect = test::ControlRect(GetDlgItem(box, kInputBoxPrompt));
    seen.edit_rect = test::ControlRect(edit);
    seen.ok_rect = test::ControlRect(ok);

    if (answer == Answer::kTypeThenOk || answer == Answer::kTypeThenEnter) {
      SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Utf8ToWide(typed).c_str()));
    }
    // Posted: the box's own modal loop must see the keys and clicks, as it sees a user's.
    switch (answer) {
      case Answer::kTypeThenOk:
      case Answer::kOk:
        PostMessageW(ok, BM_CLICK, 0, 0);
        break;
      case Answer::kTypeThenEnter:
        PostMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
        break;
      case Answer::kAbbrechen:
        PostMessageW(GetDlgItem(box, IDCANCEL), BM_CLICK, 0, 0);
        break;
      case Answer::kEscape:
        PostMessageW(edit, WM_KEYDOWN, VK_ESCAPE, 0);
        break;
      case Answer::kClose:
        PostMessageW(box, WM_CLOSE, 0, 0);
        break;
    }
    // Should the box stay open, the test must not hang on it.
    for (int i = 0; i < 150 && IsWindow(box); ++i) Sleep(20);
    if (IsWindow(box)) PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
  });
  std::optional<std::string> result = MakeWin32Dialogs(owner)->AskText(prompt, title, initial);
  user.join();
  return result;
}

TEST(InputBox, GivesBackWhatWasTypedOrNothingWhenCancelled) {
  const std::string umlauts = "Grüße – Ärger über Öl, ß € 😀";
  const struct {
    const char* name;
    std::string initial;
    Answer answer;
    std::string typed;
    std::optional<std::string> expected;
  } cases[] = {
      {"typed, OK", "alt", Answer::kTypeThenOk, umlauts, umlauts},
      {"preset, OK", "Vorgabe äöü ÄÖÜ ß", Answer::kOk, "", "Vorgabe äöü ÄÖÜ ß"},
      {"typed, Enter", "", Answer::kTypeThenEnter, "Zeile", "Zeile"},
      {"empty, OK", "", Answer::kOk, "", ""},
      {"Abbrechen", "bleibt", Answer::kAbbrechen, "", std::nullopt},
      {"typed, Escape", "x", Answer::kEscape, "y", std::nullopt},
      {"closed", "x", Answer::kClose, "", std::nullopt},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string title = "Eingabe " + std::to_string(++n) + " – Schlüssel";
    const std::string prompt = "Name des Eintrags:\nÄnderungen gelten sofort.";
    Seen seen;
    const std::optional<std::string> got =
        Ask(nullptr, prompt, title, c.initial, c.answer, c.typed, seen);
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(got, c.expected);
    EXPECT_EQ(seen.prompt, "Name des Eintrags:\r\nÄnderungen gelten sofort.");
    EXPECT_EQ(seen.edit, c.initial);
    EXPECT_EQ(seen.selection_start, 0u);
    EXPECT_EQ(seen.selection_end, Utf8ToWide(c.initial).size()) << "the preset is selected";
    EXPECT_TRUE(seen.edit_has_focus);
    EXPECT_EQ(seen.ok, "OK");
    EXPECT_EQ(seen.cancel, "Abbrechen");
    EXPECT_TRUE(seen.ok_is_default);
  }
}

TEST(InputBox, StandsOverItsOwnerOrTheScreenAndMakesRoomForALongPrompt) {
  HWND owner = CreateWindowExW(0, L"STATIC", L"Besitzer", WS_POPUP | WS_CAPTION | WS_VISIBLE, 150,
                               120, 700, 500, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(owner, nullptr);
  const RECT o = ScreenRect(owner);
  Seen seen;
  const std::string prompt =
      "Erste Zeile\nZweite Zeile\nDritte Zeile\nVierte Zeile mit einem recht langen Text, der "
      "umbrechen muss, weil er nicht in eine Zeile passt";
  EXPECT_EQ(Ask(owner, prompt, "Lang", "", Answer::kAbbrechen, "", seen), std::nullopt);
  ASSERT_TRUE(seen.shown);
  EXPECT_NEAR((seen.window.left + seen.window.right) / 2, (o.left + o.right) / 2, 1);
  EXPECT_NEAR((seen.window.top + seen.window.bottom) / 2, (o.top + o.bottom) / 2, 1);
  EXPECT_LE(seen.prompt_rect.bottom, seen.edit_rect.top) << "the prompt does not cover the edit";
  EXPECT_GE(seen.prompt_rect.bottom - seen.prompt_rect.top, 5 * 12) << "five lines or more";
  EXPECT_LT(seen.edit_rect.bottom, seen.ok_rect.top);
  EXPECT_LE(seen.ok_rect.bottom, seen.client.bottom) << "the buttons stay inside";
  DestroyWindow(owner);

  // Without an owner, the middle of the primary monitor's work area.
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  Seen alone;
  Ask(nullptr, "Kurz", "Allein", "", Answer::kClose, "", alone);
  ASSERT_TRUE(alone.shown);
  EXPECT_NEAR((alone.window.left + alone.window.right) / 2, (work.left + work.right) / 2, 1);
  EXPECT_NEAR((alone.window.top + alone.window.bottom) / 2, (work.top + work.bottom) / 2, 1);
  EXPECT_LE(alone.prompt_rect.bottom, alone.edit_rect.top);
}

}  // namespace
}  // namespace qm
