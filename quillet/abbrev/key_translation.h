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
  // Which layout this is (the system's handle of it); 0 for one whose answers are not kept.
  virtual std::uintptr_t Id() = 0;
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

// What becomes of a key held back during a send, once the send is over.
enum class HeldKeyFate { kSend, kDrop, kLost };
// `in_front`: the window it was typed into is in front again; `drop_up`: the key whose press
// brought an action and never reached the window. A release goes out wherever the front is:
// its press may have reached the window before the keys were held back, and a key the system
// still holds down would stay down.
HeldKeyFate FateOfHeldKey(const RawKey& key, bool in_front, std::uint32_t drop_up);

// Follows every key, up and down, injected or not, so that it knows which modifiers are held,
// and says what a key going down typed. Not thread-safe: the hook's thread only.
class KeyTranslator {
 public:
  // Caps Lock's state when the hook starts; each press of it toggles it afterwards.
  void SetCapsLock(bool on);
  // The keys went on without us (the hook was away): none counts as held, no accent waits.
  void LetGo();
  // The KeyInput of a key going down (flagged as injected where it was); nullopt for a key
  // going up. The layout is read, never changed.
  std::optional<KeyInput> OnKey(const RawKey& key, KeyboardLayout& layout);

 private:
  // A layout's answer for a key and modifiers, kept: under Wine each question costs a round
  // trip of tens of µs. n: kUnasked, or ToUnicode's count.
  struct Answer {
    static constexpr int kUnasked = -100;
    int n = kUnasked;
    char16_t text[4] = {};
  };

  bool Held(std::uint32_t vk) const { return (state_[vk] & 0x80) != 0; }
  void Follow(const RawKey& key);
  KeyInput Translate(const RawKey& key, KeyboardLayout& layout);
  std::uint32_t KeyCharacter(std::uint32_t vk, KeyboardLayout& layout);
  // ToUnicode's answer; after a dead key it is asked afresh (the accent may combine) and not
  // kept.
  int Read(const RawKey& key, KeyboardLayout& layout, const std::array<std::uint8_t, 256>& state,
           char16_t* out);
  // Without a layout that can leave its state alone: the key's own character, where the
  // modifiers do not change it beyond letter case.
  KeyInput WithoutToUnicode(std::uint32_t character) const;

  std::array<std::uint8_t, 256> state_{};
  bool wine_altgr_ = false;  // Wine reports AltGr as a key of its own
  bool after_dead_key_ = false;
  std::uintptr_t kept_for_ = 0;  // the layout whose answers are kept
  std::array<std::uint32_t, 256> characters_{};
  std::array<bool, 256> character_known_{};
  std::array<Answer, 256 * 16> answers_{};  // by key and Shift, Caps Lock, Ctrl, Alt
};

}  // namespace qm
