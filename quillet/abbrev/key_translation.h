// Turns a key as the low-level keyboard hook sees it into the detector's KeyInput, reading the
// key's text from the keyboard layout without ever touching the layout's dead-key state.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "platform/system_info.h"
#include "quillet/abbrev/detector.h"

namespace qm {

// The keyboard layout of the window in front, as far as the translation asks it. The calls
// and their numbers are the system's own (virtual-key codes, a 256-byte key state with 0x80
// for a key held and 0x01 for a toggle that is on).
class KeyboardLayout {
 public:
  virtual ~KeyboardLayout() = default;
  // The key's character without modifiers; the high bit (kDeadKeyBit) marks a dead key, 0 is
  // none. Reading it changes nothing.
  virtual std::uint32_t KeyCharacter(std::uint32_t vk) = 0;
  // The key's text with the keys of `state` held, as ToUnicodeEx gives it: the number of
  // UTF-16 units written, 0 for none, negative for a dead key. `flags` bit 2
  // (kLeaveDeadKeyState) asks the layout to leave its dead-key state as it was.
  virtual int ToUnicode(std::uint32_t vk, std::uint32_t scan,
                        const std::array<std::uint8_t, 256>& state, char16_t* out, int size,
                        std::uint32_t flags) = 0;
  // Whether ToUnicode honours kLeaveDeadKeyState (Windows 10 1607 and later); without it,
  // ToUnicode is never called, since every call would change the state.
  virtual bool CanLeaveDeadKeyState() = 0;
};

// Whether the system's ToUnicodeEx honours kLeaveDeadKeyState: Windows 10 1607 and later.
bool CanLeaveDeadKeyState(const OsVersion& version);

inline constexpr std::uint32_t kDeadKeyBit = 0x80000000u;
inline constexpr std::uint32_t kLeaveDeadKeyState = 0x4;

// A character the hook cannot read (a composed one that reaches it as a key without a name):
// a word character that no abbreviation holds, so the word it is in never expands.
inline constexpr char16_t kUnreadableCharacter = u'\uFFFF';

struct RawKey {
  std::uint32_t vk = 0;
  std::uint32_t scan = 0;
  bool up = false;
  bool injected = false;
  bool extended = false;  // of the keys that exist twice (Enter, the arrows beside the letters)
};

// Follows every key, up and down, injected or not, so that it knows which modifiers are held,
// and says what a key going down typed. Not thread-safe: the hook's thread only.
class KeyTranslator {
 public:
  // Caps Lock's state when the hook starts; each press of it toggles it afterwards.
  void SetCapsLock(bool on);
  // The KeyInput of a key going down (flagged as injected where it was); nullopt for a key
  // going up. The layout is read, never changed.
  std::optional<KeyInput> OnKey(const RawKey& key, KeyboardLayout& layout);

 private:
  bool Held(std::uint32_t vk) const { return (state_[vk] & 0x80) != 0; }
  void Follow(const RawKey& key);
  KeyInput Translate(const RawKey& key, KeyboardLayout& layout) const;
  // Without a layout that can leave its state alone: the key's own character, where the
  // modifiers do not change it beyond letter case.
  KeyInput WithoutToUnicode(std::uint32_t character) const;

  std::array<std::uint8_t, 256> state_{};
  bool wine_altgr_ = false;  // Wine reports AltGr as a key of its own
};

}  // namespace qm
