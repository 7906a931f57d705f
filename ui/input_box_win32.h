// The programs' own input box: a prompt, one line of text, "OK" and "Abbrechen".
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace qm {

// The box's window class and the ids of its controls, by which tests and automation find them.
inline constexpr wchar_t kInputBoxClass[] = L"FerrandelInputBox";
inline constexpr int kInputBoxEdit = 1000, kInputBoxPrompt = 1001;

// Shows the box modally, centred over `owner` (over the screen when there is none or it is not
// shown), with `initial` selected in the edit field. Texts are UTF-8; the prompt may have
// several lines. nullopt when the user cancels.
std::optional<std::string> ShowInputBox(HWND owner, const std::string& prompt,
                                        const std::string& title, const std::string& initial);

}  // namespace qm
