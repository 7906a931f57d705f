// Typing with the keys of the target's keyboard layout.
#include "quillet/send/layout_keys.h"

namespace qm {

KeySequence WithLayoutKeys(const KeySequence& keys, KeyboardLayouts& layouts,
                           std::uintptr_t layout) {
  (void)layouts;
  (void)layout;
  return keys;
}

}  // namespace qm
