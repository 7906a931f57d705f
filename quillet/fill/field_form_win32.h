// The fields' form as a modal dialog: for each field a label and its control (a check box for
// an optional section), "OK" and "Abbrechen", opened in front at the user's caret.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/pause.h"
#include "quillet/fill/field_form.h"

namespace qm {

// The form's window class and the ids of its controls, by which tests and automation find
// them: field i's label is kFieldLabelId + i (an optional section has none), its control
// kFieldControlId + i; the buttons are IDOK and IDCANCEL.
inline constexpr wchar_t kFieldFormClass[] = L"QuilletFieldForm";
inline constexpr int kFieldLabelId = 1000, kFieldControlId = 1100;

// Shows the form modally, topmost and in front, below the anchor on its monitor, with the
// focus in the first field. Enter confirms (Ctrl+Enter inside a multi-line field, where Enter
// breaks the line); Esc, "Abbrechen" and the close box cancel, and then the front goes back to
// the window the user came from. A form taller than the monitor's work area scrolls.
std::optional<FieldValues> AskFields(HINSTANCE instance, const FieldRequest& request);

// The asker the sender is given on Windows: the form's caption from `caption` (the entry's
// name), each field starting with the entry's last values in `settings`, the values kept
// there after OK, and the confirming Enter let go (waited for through `pause`) before it returns.
using CaptionOf = std::function<std::string(const std::string& entry_name)>;
std::unique_ptr<FieldAsker> MakeWin32FieldAsker(HINSTANCE instance, UserSettings& settings,
                                               Pause& pause, CaptionOf caption);

}  // namespace qm
