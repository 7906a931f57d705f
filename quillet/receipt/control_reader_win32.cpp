#include "quillet/receipt/control_reader_win32.h"

#include <windows.h>

#include <cstdint>
#include <cwctype>
#include <string>

#include "platform/utf16_win32.h"
#include "quillet/receipt/accessible_text_win32.h"

namespace qm {
namespace {

// A control holding more than this is not read: reading it whole twice takes some 10 ms
// under Wine, and more would make the receipt slow down the send.
constexpr std::size_t kMostChars = 32'000;
// How long a control may take to answer one message before it counts as unreadable (a busy
// machine's target takes tens of milliseconds), and an accessible object its question.
constexpr UINT kAnswerMs = 50;
constexpr DWORD kAccessibleMs = 30;
// How often a text that changed while it was read is read again.
constexpr int kReadAttempts = 3;

HWND Hwnd(std::uintptr_t handle) {
  return reinterpret_cast<HWND>(handle);
}

std::wstring LowerClass(HWND window) {
  wchar_t name[128] = {};
  const int n = GetClassNameW(window, name, static_cast<int>(std::size(name)));
  std::wstring lower(name, n > 0 ? static_cast<std::size_t>(n) : 0);
  for (wchar_t& c : lower) c = static_cast<wchar_t>(std::towlower(c));
  return lower;
}

// Edit controls by every name they go by: the system's, a RichEdit's, a framework's subclass.
bool EditLike(const std::wstring& lower_class) {
  return lower_class.find(L"edit") != std::wstring::npos || lower_class == L"tmemo";
}

bool Ask(HWND control, UINT message, WPARAM w, LPARAM l, DWORD_PTR* answer) {
  // Messages sent to us meanwhile are answered: the abbreviations' hook runs on this thread.
  return SendMessageTimeoutW(control, message, w, l, SMTO_ABORTIFHUNG, kAnswerMs, answer) != 0;
}

// A UTF-16 offset as the code points before it, a CR LF counted two as the control does.
std::size_t CodePointsBefore(const std::wstring& text, std::size_t units) {
  std::size_t points = 0;
  for (std::size_t i = 0; i < units && i < text.size(); ++i) {
    const bool low_surrogate = text[i] >= 0xDC00 && text[i] <= 0xDFFF;
    if (!low_surrogate || i == 0) ++points;
  }
  return points;
}

// One reading of an Edit or RichEdit: its text, its selection, and whether its length was the
// same after the selection was asked (keys that arrive between the questions move both).
struct EditReading {
  ControlText text;
  bool steady = false;
};

std::optional<EditReading> ReadEdit(HWND control) {
  DWORD_PTR length = 0;
  if (!Ask(control, WM_GETTEXTLENGTH, 0, 0, &length) || length > kMostChars) {
    return std::nullopt;
  }
  std::wstring text(length + 1, L'\0');
  DWORD_PTR got = 0;
  if (!Ask(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), &got) ||
      got > length) {
    return std::nullopt;
  }
  text.resize(got);
  DWORD start = 0, end = 0;
  DWORD_PTR packed = 0;
  if (!Ask(control, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end),
           &packed)) {
    return std::nullopt;
  }
  // A RichEdit counts a paragraph's end as one character, but hands its text out with
  // CR LF: its text as it counts.
  if (LowerClass(control).find(L"richedit") != std::wstring::npos) {
    std::wstring counted;
    counted.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
      counted += text[i] == L'\n' ? L'\r' : text[i];
    }
    text = std::move(counted);
  }
  DWORD_PTR length_after = 0;
  if (!Ask(control, WM_GETTEXTLENGTH, 0, 0, &length_after)) return std::nullopt;
  EditReading out;
  out.steady = length_after == length && start <= text.size() && end <= text.size();
  if (!out.steady) return out;
  out.text.selection_start = CodePointsBefore(text, start);
  out.text.selection_end = CodePointsBefore(text, end);
  out.text.text = WideToUtf8(text);
  return out;
}

class Win32ControlReader : public ControlReader {
 public:
  std::optional<Focus> Focused(WindowHandle window) override {
    const HWND top = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(window));
    const DWORD thread = GetWindowThreadProcessId(top, nullptr);
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (thread == 0 || !GetGUIThreadInfo(thread, &info) || !info.hwndFocus) return std::nullopt;
    Focus focus;
    focus.control = reinterpret_cast<std::uintptr_t>(info.hwndFocus);
    if (!EditLike(LowerClass(info.hwndFocus))) {
      // A browser's, an office program's or a modern app's field, read as accessibility tools
      // read it. Enter there may send a form and Tab moves on, so neither is looked for.
      const std::optional<AccessibleText> field =
          FocusedAccessibleText(info.hwndFocus, kAccessibleMs, false);
      if (!field) return std::nullopt;
      focus.password = field->password;
      focus.single_line = true;
      return focus;
    }
    const LONG_PTR style = GetWindowLongPtrW(info.hwndFocus, GWL_STYLE);
    focus.password = (style & ES_PASSWORD) != 0;
    focus.single_line = (style & ES_MULTILINE) == 0;
    return focus;
  }

  std::optional<ControlText> Read(std::uintptr_t handle) override {
    const HWND control = Hwnd(handle);
    if (!IsWindow(control)) return std::nullopt;
    if (!EditLike(LowerClass(control))) {
      const std::optional<AccessibleText> field = FocusedAccessibleText(control, kAccessibleMs);
      if (!field || field->password || field->text.size() > kMostChars * 3) return std::nullopt;
      if (field->before_selection) {
        return TextWithSelection(field->text, *field->before_selection, field->selected);
      }
      ControlText out;
      out.text = field->text;
      out.selection_known = false;
      return out;
    }
    // Never the text of a field that became a password field meanwhile.
    if (GetWindowLongPtrW(control, GWL_STYLE) & ES_PASSWORD) return std::nullopt;
    // Keys given back after an earlier send may still be arriving: a text that changed
    // between the questions is asked again.
    for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
      const std::optional<EditReading> reading = ReadEdit(control);
      if (!reading) return std::nullopt;
      if (reading->steady) return reading->text;
    }
    return std::nullopt;
  }
};

}  // namespace

std::unique_ptr<ControlReader> MakeWin32ControlReader() {
  return std::make_unique<Win32ControlReader>();
}

}  // namespace qm
