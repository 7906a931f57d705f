// The fields' form as a real modal dialog, found from another thread by its controls' order,
// classes and texts as a screen reader finds them, and answered with messages as a user would.
#include "quillet/fill/field_form_win32.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/utf16_win32.h"
#include "tests/wine/support/window_driver_win32.h"

namespace qm {
namespace {

using K = FieldKind;

const std::vector<SnippetField> kFields = {
    {K::kLine, "Name", {}},
    {K::kLines, "Anschrift", {}},
    {K::kChoice, "Anrede", {"", "Herr", "Frau"}},
    {K::kOptional, "Gruß & PS", {}},
};

std::string ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return WideToUtf8(name);
}

// The form's controls in their order, which is the order of the Tab key.
std::vector<HWND> Children(HWND form) {
  std::vector<HWND> out;
  for (HWND c = GetWindow(form, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) out.push_back(c);
  return out;
}

LONG_PTR StyleOf(HWND window) {
  return GetWindowLongPtrW(window, GWL_STYLE);
}

HWND FocusOf(HWND form) {
  GUITHREADINFO gui{};
  gui.cbSize = sizeof gui;
  GetGUIThreadInfo(GetWindowThreadProcessId(form, nullptr), &gui);
  return gui.hwndFocus;
}

template <typename Done>
bool WaitUntil(Done done) {
  for (int i = 0; i < 250; ++i) {
    if (done()) return true;
    Sleep(20);
  }
  return false;
}

// Opens the form on this thread while `user` finds it and answers on another one; a form
// that stays open is cancelled, so that the test never hangs on it.
std::optional<FieldValues> Ask(const FieldRequest& request,
                               const std::function<void(HWND form)>& user) {
  std::thread answering([&] {
    HWND form = test::WaitForWindow(kFieldFormClass, nullptr);
    if (!form) return;
    user(form);
    for (int i = 0; i < 150 && IsWindow(form); ++i) Sleep(20);
    if (IsWindow(form)) PostMessageW(form, WM_COMMAND, IDCANCEL, 0);
  });
  std::optional<FieldValues> values = AskFields(GetModuleHandleW(nullptr), request);
  answering.join();
  return values;
}

FieldRequest Request(std::vector<SnippetField> fields, FieldValues start = {}) {
  FieldRequest request;
  request.caption = "\xE2\x80\xA2 Quillet 1.0 - Brief an Jörg";
  request.entry_name = "Brief an Jörg";
  request.fields = std::move(fields);
  request.start = std::move(start);
  request.anchor = FormBox{200, 150, 202, 168};
  return request;
}

TEST(FieldForm, ShowsEachFieldUnderItsLabelAndGivesBackWhatWasTyped) {
  struct Seen {
    std::vector<std::string> classes, texts;
    bool multi_line = false, list_only = false, check_box = false, ok_default = false;
    bool first_has_focus = false, in_front = false, topmost = false;
    std::string caption, first_choice;
    LRESULT choices = 0, start_choice = -1;
    RECT window{}, first{};
  } seen;
  const auto values = Ask(Request(kFields, {{"alt", false}, {}, {"", false}, {}}), [&](HWND form) {
    const std::vector<HWND> c = Children(form);
    for (HWND child : c) {
      seen.classes.push_back(ClassOf(child));
      seen.texts.push_back(test::ControlText(child));
    }
    if (c.size() != 9) return;
    seen.caption = test::ControlText(form);
    seen.multi_line = (StyleOf(c[3]) & (ES_MULTILINE | ES_WANTRETURN | WS_VSCROLL)) ==
                      (ES_MULTILINE | ES_WANTRETURN | WS_VSCROLL);
    seen.list_only = (StyleOf(c[5]) & CBS_DROPDOWNLIST) == CBS_DROPDOWNLIST;
    seen.check_box = (StyleOf(c[6]) & BS_TYPEMASK) == BS_AUTOCHECKBOX;
    seen.ok_default = (StyleOf(c[7]) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
    seen.choices = SendMessageW(c[5], CB_GETCOUNT, 0, 0);
    seen.start_choice = SendMessageW(c[5], CB_GETCURSEL, 0, 0);
    wchar_t item[32] = L"?";
    SendMessageW(c[5], CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(item));
    seen.first_choice = WideToUtf8(item);
    seen.first_has_focus = FocusOf(form) == c[1];
    seen.in_front = GetForegroundWindow() == form;
    seen.topmost = (GetWindowLongPtrW(form, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    GetWindowRect(form, &seen.window);
    GetWindowRect(c[1], &seen.first);

    // Typed: the name replaced, two lines with Enter between them, the choice moved down
    // twice by its arrow key, the check box ticked; then Enter in the one-line field.
    SendMessageW(c[1], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Jörg"));
    SendMessageW(c[3], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Weg 1"));
    SendMessageW(c[3], EM_SETSEL, 5, 5);
    PostMessageW(c[3], WM_KEYDOWN, VK_RETURN, 0);
    WaitUntil([&] { return test::ControlText(c[3]).size() > 5; });
    SendMessageW(c[3], EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"12345 Köln"));
    PostMessageW(c[5], WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(c[5], WM_KEYDOWN, VK_DOWN, 0);
    WaitUntil([&] { return SendMessageW(c[5], CB_GETCURSEL, 0, 0) == 2; });
    PostMessageW(c[6], BM_CLICK, 0, 0);
    WaitUntil([&] { return SendMessageW(c[6], BM_GETCHECK, 0, 0) == BST_CHECKED; });
    PostMessageW(form, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(c[1]), TRUE);
    WaitUntil([&] { return FocusOf(form) == c[1]; });
    PostMessageW(c[1], WM_KEYDOWN, VK_RETURN, 0);
  });

  EXPECT_EQ(seen.classes, (std::vector<std::string>{"Static", "Edit", "Static", "Edit", "Static",
                                                    "ComboBox", "Button", "Button", "Button"}));
  EXPECT_EQ(seen.texts, (std::vector<std::string>{"Name:", "alt", "Anschrift:", "", "Anrede:", "",
                                                  "Gruß && PS", "OK", "Abbrechen"}));
  EXPECT_EQ(seen.caption, "\xE2\x80\xA2 Quillet 1.0 - Brief an Jörg");
  EXPECT_TRUE(seen.multi_line);
  EXPECT_TRUE(seen.list_only);
  EXPECT_TRUE(seen.check_box);
  EXPECT_TRUE(seen.ok_default);
  EXPECT_EQ(seen.choices, 3);
  EXPECT_EQ(seen.start_choice, 0);
  EXPECT_EQ(seen.first_choice, "") << "an empty choice is an empty item";
  EXPECT_TRUE(seen.first_has_focus);
  EXPECT_TRUE(seen.in_front);
  EXPECT_TRUE(seen.topmost);
  EXPECT_GE(seen.window.top, 168) << "below the caret";
  EXPECT_NEAR(seen.window.left, 200, 1);
  ASSERT_TRUE(values.has_value());
  ASSERT_EQ(values->size(), 4u);
  EXPECT_EQ((*values)[0].text, "Jörg");
  EXPECT_EQ((*values)[1].text, "Weg 1\r\n12345 Köln") << "Enter in a multi-line field breaks";
  EXPECT_EQ((*values)[2].text, "Frau");
  EXPECT_TRUE((*values)[3].ticked);
}

TEST(FieldForm, EscAbbrechenAndTheCloseBoxCancelFromAnyField) {
  const struct {
    const char* name;
    std::function<void(HWND form, const std::vector<HWND>& c)> answer;
  } cases[] = {
      {"Esc in a line", [](HWND, const auto& c) { PostMessageW(c[1], WM_KEYDOWN, VK_ESCAPE, 0); }},
      {"Esc in lines", [](HWND, const auto& c) { PostMessageW(c[3], WM_KEYDOWN, VK_ESCAPE, 0); }},
      {"Esc in a choice",
       [](HWND, const auto& c) { PostMessageW(c[5], WM_KEYDOWN, VK_ESCAPE, 0); }},
      {"Abbrechen", [](HWND, const auto& c) { PostMessageW(c[8], BM_CLICK, 0, 0); }},
      {"close box", [](HWND form, const auto&) { PostMessageW(form, WM_CLOSE, 0, 0); }},
  };
  for (const auto& test_case : cases) {
    SCOPED_TRACE(test_case.name);
    bool answered = false;
    const auto values = Ask(Request(kFields), [&](HWND form) {
      const std::vector<HWND> c = Children(form);
      if (c.size() != 9) return;
      SendMessageW(c[1], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"verworfen"));
      test_case.answer(form, c);
      answered = WaitUntil([&] { return !IsWindow(form); });
    });
    EXPECT_TRUE(answered) << "it closed at once";
    EXPECT_EQ(values, std::nullopt);
  }
}

// Real keys, as the keyboard sends them: Ctrl+Enter in a multi-line field confirms the form
// without a further line break, and Enter on a check box confirms it too.
TEST(FieldForm, CtrlEnterInAMultiLineFieldAndEnterOnACheckBoxConfirm) {
  const auto keys = [](std::vector<std::pair<WORD, bool>> strokes) {
    std::vector<INPUT> inputs;
    for (const auto& [key, down] : strokes) {
      INPUT in{};
      in.type = INPUT_KEYBOARD;
      in.ki.wVk = key;
      in.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
      inputs.push_back(in);
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  };
  const std::vector<SnippetField> fields = {{K::kLines, "Text", {}}, {K::kOptional, "PS", {}}};
  const auto typed = Ask(Request(fields, {{"Zeile", false}, {}}), [&](HWND form) {
    HWND lines = GetDlgItem(form, kFieldControlId);
    SendMessageW(lines, EM_SETSEL, 5, 5);
    keys({{VK_CONTROL, true}, {VK_RETURN, true}, {VK_RETURN, false}, {VK_CONTROL, false}});
  });
  ASSERT_TRUE(typed.has_value());
  EXPECT_EQ((*typed)[0].text, "Zeile");

  const auto ticked = Ask(Request(fields), [&](HWND form) {
    HWND check = GetDlgItem(form, kFieldControlId + 1);
    PostMessageW(form, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(check), TRUE);
    WaitUntil([&] { return FocusOf(form) == check; });
    keys({{VK_SPACE, true}, {VK_SPACE, false}, {VK_RETURN, true}, {VK_RETURN, false}});
  });
  ASSERT_TRUE(ticked.has_value());
  EXPECT_TRUE((*ticked)[1].ticked);
}

// Thirty multi-line fields do not fit the screen: the form stays inside the work area and
// scrolls, and a field reached by Tab comes into view; the first field may be a choice.
TEST(FieldForm, ATallFormScrollsToTheFieldWithTheFocus) {
  std::vector<SnippetField> fields = {{K::kChoice, "Wahl", {"a", "b"}}};
  for (int i = 1; i < 30; ++i) fields.push_back({K::kLines, "Feld " + std::to_string(i), {}});
  RECT window{}, work{}, last{}, client{};
  bool scroll_bar = false, choice_has_focus = false, last_has_focus = false;
  Ask(Request(fields), [&](HWND form) {
    choice_has_focus = FocusOf(form) == GetDlgItem(form, kFieldControlId);
    GetWindowRect(form, &window);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(form, MONITOR_DEFAULTTONEAREST), &monitor);
    work = monitor.rcWork;
    scroll_bar = (StyleOf(form) & WS_VSCROLL) != 0;
    HWND field = GetDlgItem(form, kFieldControlId + 29);
    // Tab from the field before the last one, as the dialog manager moves the focus.
    PostMessageW(form, WM_NEXTDLGCTL,
                 reinterpret_cast<WPARAM>(GetDlgItem(form, kFieldControlId + 28)), TRUE);
    PostMessageW(form, WM_NEXTDLGCTL, 0, FALSE);
    last_has_focus = WaitUntil([&] { return FocusOf(form) == field; });
    GetClientRect(form, &client);
    WaitUntil([&] {
      last = test::ControlRect(field);
      return last.bottom <= client.bottom;
    });
    PostMessageW(form, WM_CLOSE, 0, 0);
  });
  EXPECT_TRUE(choice_has_focus);
  EXPECT_GE(window.top, work.top);
  EXPECT_LE(window.bottom, work.bottom);
  EXPECT_TRUE(scroll_bar);
  EXPECT_TRUE(last_has_focus);
  EXPECT_GE(last.top, 0) << "the last field is in view";
  EXPECT_LE(last.bottom, client.bottom);
}

}  // namespace
}  // namespace qm
