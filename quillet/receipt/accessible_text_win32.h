// The text of the focused object in another program's window as accessibility tools read it:
// for browsers, office programs and modern apps, whose fields are no Edit controls.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace qm {

struct AccessibleText {
  bool password = false;  // a protected field: its text is never asked for
  std::string text;       // UTF-8
  // Where the field tells its selection (one read through UI Automation's text pattern): the
  // text before it, and its own.
  std::optional<std::string> before_selection;
  std::string selected;
};

// The focused editable text object within `window` (the window with the keyboard focus),
// asked on a thread of its own and given up after `limit_ms`, so that a program that does
// not answer holds nothing up; nullopt where there is none, or it does not answer in time.
// Without `with_text`, only whether there is such an object and whether it is protected:
// a field's text may be long, and is asked for only when it is to be read. A field that
// accessibility tells no value of is asked through UI Automation (automation_text_win32).
std::optional<AccessibleText> FocusedAccessibleText(HWND window, DWORD limit_ms,
                                                    bool with_text = true);

}  // namespace qm
