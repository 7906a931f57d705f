// The focused field of the window in front as UI Automation tells it: for a word processor's
// document and the fields of modern apps that accessibility gives no value.
#pragma once

#include <windows.h>

#include <optional>

#include "quillet/receipt/accessible_text_win32.h"

namespace qm {

// The focused element, where `window` has the keyboard focus of the thread in front and the
// element belongs to its program and is an edit field or a document: its text from its text
// pattern, with its selection where the pattern tells it, or else from its value pattern.
// Never the text of a password field; nullopt where there is no such element, it is
// read-only, or its text is longer than 32,000 characters. Without `with_text`, only whether
// there is one and whether it is a password field. Asked on a thread where COM is initialised,
// and may take as long as the program takes to answer: the caller waits for it on a thread of
// its own.
std::optional<AccessibleText> FocusedAutomationText(HWND window, bool with_text);

}  // namespace qm
