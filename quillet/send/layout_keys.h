// Typing with the keys of the target's keyboard layout, as a person would press them, for
// remote desktops and virtual machines that drop the Unicode key events of plain typing.
#pragma once

#include <cstdint>

#include "platform/keyboard_layouts.h"
#include "quillet/send/keystroke_text.h"

namespace qm {

// `keys` with each character stroke typed as the keys of `layout` that produce it: its
// virtual key and scan code, with Shift and AltGr held around it as needed, and a dead key
// pressed as a dead key. A character the layout cannot produce stays a Unicode key event.
// Strokes stay strokes, so typing may still stop between any two.
KeySequence WithLayoutKeys(const KeySequence& keys, KeyboardLayouts& layouts,
                           std::uintptr_t layout);

}  // namespace qm
