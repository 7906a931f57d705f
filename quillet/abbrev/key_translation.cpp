// Turns a key as the low-level keyboard hook sees it into the detector's KeyInput, reading the
// key's text from the keyboard layout without ever touching the layout's dead-key state.
#include "quillet/abbrev/key_translation.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace qm {
namespace {

// The system's virtual-key codes, which the hook reports.
enum : std::uint32_t {
  kBack = 0x08,
  kTab = 0x09,
  kReturn = 0x0D,
  kSpace = 0x20,
  kShift = 0x10,
  kControl = 0x11,
  kMenu = 0x12,
  kCapital = 0x14,
  kLeftWin = 0x5B,
  kRightWin = 0x5C,
  kNumLock = 0x90,
  kScroll = 0x91,
  kLeftShift = 0xA0,
  kRightShift = 0xA1,
  kLeftControl = 0xA2,
  kRightControl = 0xA3,
  kLeftMenu = 0xA4,
  kRightMenu = 0xA5,
  kOem8 = 0xDF,
  kProcessKey = 0xE5,  // an input method composes
  kPacket = 0xE7,      // a character carried in the scan code
  kNoName = 0xFC,
};

// Wine gives AltGr as VK_OEM_8 with this scan code, which no keyboard's own OEM_8 key has.
constexpr std::uint32_t kWineAltGrScan = 0x60;

bool IsWineAltGr(const RawKey& key) {
  return key.vk == kOem8 && key.scan == kWineAltGrScan;
}

bool IsModifier(const RawKey& key) {
  static constexpr std::uint32_t kModifiers[] = {
      kShift,  kControl,   kMenu,       kCapital,     kLeftWin,      kRightWin, kNumLock,
      kScroll, kLeftShift, kRightShift, kLeftControl, kRightControl, kLeftMenu, kRightMenu};
  return std::find(std::begin(kModifiers), std::end(kModifiers), key.vk) != std::end(kModifiers) ||
         IsWineAltGr(key);
}

KeyInput Text(const char16_t* units, int count) {
  return KeyInput::Text(std::u16string(units, static_cast<std::size_t>(count)));
}

KeyInput Unreadable() {
  return KeyInput::Text(std::u16string(1, kUnreadableCharacter));
}

bool IsUpperLetter(std::uint32_t c) {
  return (c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7);
}

}  // namespace

bool CanLeaveDeadKeyState(const OsVersion& v) {
  return v.platform_id == 2 && (v.major > 10 || (v.major == 10 && v.build >= 14393));
}

HeldKeyFate FateOfHeldKey(const RawKey& key, bool in_front, std::uint32_t drop_up) {
  if (key.up) return key.vk == drop_up ? HeldKeyFate::kDrop : HeldKeyFate::kSend;
  return in_front ? HeldKeyFate::kSend : HeldKeyFate::kLost;
}

void KeyTranslator::SetCapsLock(bool on) {
  state_[kCapital] = static_cast<std::uint8_t>((state_[kCapital] & 0x80) | (on ? 1 : 0));
}

void KeyTranslator::LetGo() {
  for (std::uint8_t& key : state_) key &= 0x01;
  wine_altgr_ = false;
  after_dead_key_ = false;
}

void KeyTranslator::Follow(const RawKey& key) {
  if (IsWineAltGr(key)) {
    wine_altgr_ = !key.up;
    return;
  }
  std::uint32_t vk = key.vk & 0xFF;
  // A held key repeats its press; only the first one toggles.
  if (vk == kCapital && !key.up && !Held(kCapital)) state_[kCapital] ^= 1;
  // The sides of a modifier are followed apart; the plain key is held while either is.
  if (vk == kShift) vk = kLeftShift;
  if (vk == kControl) vk = kLeftControl;
  if (vk == kMenu) vk = kLeftMenu;
  state_[vk] = static_cast<std::uint8_t>(key.up ? state_[vk] & 0x01 : state_[vk] | 0x80);
  const auto either = [this](std::uint32_t plain, std::uint32_t left, std::uint32_t right) {
    state_[plain] = (Held(left) || Held(right)) ? 0x80 : 0;
  };
  either(kShift, kLeftShift, kRightShift);
  either(kControl, kLeftControl, kRightControl);
  either(kMenu, kLeftMenu, kRightMenu);
}

std::optional<KeyInput> KeyTranslator::OnKey(const RawKey& key, KeyboardLayout& layout) {
  Follow(key);
  if (key.up) return std::nullopt;
  if (key.injected) {
    KeyInput input;
    input.injected = true;  // the layout is not even asked
    return input;
  }
  return Translate(key, layout);
}

std::uint32_t KeyTranslator::KeyCharacter(std::uint32_t vk, KeyboardLayout& layout) {
  if (layout.Id() == 0) return layout.KeyCharacter(vk);
  if (!character_known_[vk]) {
    characters_[vk] = layout.KeyCharacter(vk);
    character_known_[vk] = true;
  }
  return characters_[vk];
}

int KeyTranslator::Read(const RawKey& key, KeyboardLayout& layout,
                        const std::array<std::uint8_t, 256>& state, char16_t* out) {
  const bool afresh = std::exchange(after_dead_key_, false) || layout.Id() == 0;
  const std::size_t at = (key.vk & 0xFF) * 16 + ((state[kShift] & 0x80) ? 1 : 0) +
                         ((state[kCapital] & 1) ? 2 : 0) + ((state[kControl] & 0x80) ? 4 : 0) +
                         ((state[kMenu] & 0x80) ? 8 : 0);
  Answer& kept = answers_[at];
  if (!afresh && kept.n != Answer::kUnasked) {
    std::copy(kept.text, kept.text + 4, out);
    return kept.n;
  }
  const int n = layout.ToUnicode(key.vk, key.scan, state, out, 8, kLeaveDeadKeyState);
  if (!afresh && n <= 4) {
    kept.n = n;
    std::copy(out, out + (n > 0 ? n : 0), kept.text);
  }
  return n;
}

KeyInput KeyTranslator::Translate(const RawKey& key, KeyboardLayout& layout) {
  if (layout.Id() != 0 && layout.Id() != kept_for_) {
    kept_for_ = layout.Id();
    character_known_.fill(false);
    answers_.fill(Answer{});
  }
  using Kind = KeyInput::Kind;
  if (IsModifier(key)) return KeyInput::Of(Kind::kModifier);
  const bool ctrl = Held(kControl), alt = Held(kMenu);
  // Ctrl and Alt together are AltGr, which types characters; either alone, or a Windows
  // key, makes a command of the key.
  const bool command = Held(kLeftWin) || Held(kRightWin) || ctrl != alt;
  switch (key.vk) {
    case kBack:
      return KeyInput::Of(ctrl || alt || command ? Kind::kOtherKey : Kind::kBackspace);
    case kReturn:
      return command ? KeyInput::Of(Kind::kOtherKey) : KeyInput::Text(u"\r");
    case kTab:
      return command ? KeyInput::Of(Kind::kOtherKey) : KeyInput::Text(u"\t");
    case kSpace:
      // Ctrl+Alt+Space is the picker's hotkey, which must not finish an abbreviation on
      // its way; no one types a word end with those keys held.
      if (ctrl || alt || wine_altgr_) return KeyInput::Of(Kind::kOtherKey);
      break;
    case kProcessKey:
      return KeyInput::Of(Kind::kOtherKey);
    case kPacket:
      return command ? KeyInput::Of(Kind::kOtherKey)
                     : KeyInput::Text(std::u16string(1, static_cast<char16_t>(key.scan)));
    case kNoName:
      // Wine hands a character composed with a dead key over so, without its text.
      if (key.scan == 0) return Unreadable();
      break;
    default:
      break;
  }
  if (command) return KeyInput::Of(Kind::kOtherKey);
  // A dead key is told by its character alone: asking the layout for its text is what
  // would take the pending accent away from the window that is to receive it.
  const std::uint32_t character = KeyCharacter(key.vk & 0xFF, layout);
  if (character & kDeadKeyBit) {
    after_dead_key_ = true;
    return KeyInput::Of(Kind::kDeadKey);
  }
  if (!layout.CanLeaveDeadKeyState()) return WithoutToUnicode(character);
  std::array<std::uint8_t, 256> state = state_;
  if (wine_altgr_) state[kControl] = state[kLeftControl] = state[kMenu] = state[kRightMenu] = 0x80;
  char16_t text[8];
  const int n = Read(key, layout, state, text);
  if (n < 0) {  // dead only with these modifiers
    after_dead_key_ = true;
    return KeyInput::Of(Kind::kDeadKey);
  }
  if (n == 0) return KeyInput::Of(Kind::kOtherKey);
  return Text(text, n > 8 ? 8 : n);
}

KeyInput KeyTranslator::WithoutToUnicode(std::uint32_t character) const {
  const std::uint32_t c = character & 0xFFFF;
  if (c == 0) return KeyInput::Of(KeyInput::Kind::kOtherKey);
  const bool shift = Held(kShift), caps = (state_[kCapital] & 1) != 0;
  if (wine_altgr_ || (Held(kControl) && Held(kMenu))) return Unreadable();
  if (IsUpperLetter(c)) {
    const char16_t letter = static_cast<char16_t>(shift != caps ? c : c + 0x20);
    return Text(&letter, 1);
  }
  if (shift) return Unreadable();
  const char16_t plain = static_cast<char16_t>(c);
  return Text(&plain, 1);
}

}  // namespace qm
