// Typing with the keys of the target's keyboard layout.
#include "quillet/send/layout_keys.h"

#include <array>
#include <string_view>
#include <unordered_map>

namespace qm {
namespace {

constexpr std::uint16_t kVkShift = 0x10;
// AltGr is the right Alt key, with the left Ctrl that the system adds to it: sent as Ctrl and
// Alt alone it would reach a remote or virtual machine that is not Windows as a shortcut.
constexpr std::uint16_t kVkLeftControl = 0xA2;
constexpr std::uint16_t kVkRightAlt = 0xA5;
constexpr std::int16_t kNoKey = -1;

// Shift states of a key (as KeyFor gives them) that a person presses to type a character.
// Ctrl or Alt alone would make the key a shortcut, and the higher bits are keys of East Asian
// layouts that we do not press.
constexpr std::uint8_t kShift = 1;
constexpr std::uint8_t kAltGr = 6;  // Ctrl and Alt
bool Typeable(std::uint8_t shift) {
  return shift == 0 || shift == kShift || shift == kAltGr || shift == (kAltGr | kShift);
}

// Letters that a dead key and the base letter compose, by accent. `accents` are the spacing
// characters that a layout's dead key for the accent types, in the order they are tried: the
// apostrophe and the double quote are the acute and the diaeresis of international layouts.
// The common accents only with the letters every layout with that dead key composes: where a
// layout does not compose a pair it types both characters, and the international acute makes
// "c" a "ç".
struct Composition {
  std::u16string_view accents, composed, bases;
};
constexpr Composition kCompositions[] = {
    {u"\u00B4'", u"ÁÉÍÓÚÝáéíóúý", u"AEIOUYaeiouy"},
    {u"`", u"ÀÈÌÒÙàèìòù", u"AEIOUaeiou"},
    {u"^\u02C6", u"ÂÊÎÔÛâêîôû", u"AEIOUaeiou"},
    {u"~\u02DC", u"ÃÑÕãñõ", u"ANOano"},
    {u"\u00A8\"", u"ÄËÏÖÜäëïöüÿ", u"AEIOUaeiouy"},
    {u"\u00B8", u"Çç", u"Cc"},
    // The accents of the layouts that have these letters' dead keys.
    {u"\u02DA\u00B0", u"ÅåŮů", u"AaUu"},
    {u"\u02C7", u"ČčĎďĚěĽľŇňŘřŠšŤťŽž", u"CcDdEeLlNnRrSsTtZz"},
    {u"\u02D8", u"ĂăĞğŬŭ", u"AaGgUu"},
    {u"\u02DB", u"ĄąĘęĮįŲų", u"AaEeIiUu"},
    {u"\u02DD", u"ŐőŰű", u"OoUu"},
    {u"\u02D9", u"ĊċĖėĠġŻż", u"CcEeGgZz"},
};
constexpr bool EveryLetterHasItsBase() {
  for (const Composition& c : kCompositions) {
    if (c.composed.size() != c.bases.size()) return false;
  }
  return true;
}
static_assert(EveryLetterHasItsBase());

// The letter's other case, for the letters of ASCII and Latin-1; 0 for anything else.
char16_t OtherCase(char16_t c) {
  const bool latin1 = (c >= 0xC0 && c <= 0xFE && c != 0xD7 && c != 0xF7 && c != 0xDF);
  if ((c >= u'A' && c <= u'Z') || (latin1 && c < 0xE0)) return static_cast<char16_t>(c + 0x20);
  if ((c >= u'a' && c <= u'z') || latin1) return static_cast<char16_t>(c - 0x20);
  return 0;
}

bool IsControl(char16_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}
bool IsSurrogate(char16_t c) {
  return c >= 0xD800 && c <= 0xDFFF;
}

class Translator {
 public:
  Translator(KeyboardLayouts& layouts, std::uintptr_t layout)
      : layouts_(layouts), layout_(layout), caps_lock_(layouts.CapsLockOn()) {
    scans_.fill(kUnasked);
  }

  KeySequence Run(const KeySequence& keys) {
    out_.events.reserve(keys.events.size() + keys.events.size() / 4);
    out_.stroke_ends.reserve(keys.strokes());
    std::size_t begin = 0;
    for (const std::size_t end : keys.stroke_ends) {
      const KeyEvent* e = keys.events.data() + begin;
      const bool character = end - begin == 2 && e[0].kind == KeyEvent::Kind::kUnicode &&
                             !e[0].key_up && e[1].key_up && e[0].code == e[1].code;
      if (!character || !Character(static_cast<char16_t>(e[0].code))) {
        for (std::size_t i = begin; i < end; ++i) Keep(keys.events[i]);
      }
      out_.stroke_ends.push_back(out_.events.size());
      begin = end;
    }
    return std::move(out_);
  }

 private:
  static constexpr std::int32_t kUnasked = -1;

  // The stroke that types `c` with the layout's keys; false when the layout cannot.
  bool Character(char16_t c) {
    if (IsControl(c) || IsSurrogate(c)) return false;
    const std::int16_t key = KeyFor(c);
    // Caps Lock changes letters beyond those whose other case we know, and on some layouts
    // the letters of AltGr as well: with it on, such a character goes as itself.
    if (key != kNoKey && caps_lock_ && c >= 0x80 &&
        (OtherCase(c) == 0 || (static_cast<std::uint8_t>(key >> 8) & kAltGr))) {
      return false;
    }
    if (key != kNoKey) {
      Press(AgainstCapsLock(c, key));
      // A dead key types its accent alone when a blank follows.
      if (IsDead(key)) Press(static_cast<std::int16_t>(kVkSpace));
      return true;
    }
    for (const Composition& comp : kCompositions) {
      const std::size_t at = comp.composed.find(c);
      if (at == std::u16string_view::npos) continue;
      const std::int16_t base = KeyFor(comp.bases[at]);
      if (base == kNoKey || IsDead(base)) return false;
      for (const char16_t accent : comp.accents) {
        const std::int16_t dead = KeyFor(accent);
        if (dead != kNoKey && IsDead(dead)) {
          Press(dead);
          Press(AgainstCapsLock(comp.bases[at], base));
          return true;
        }
      }
      return false;
    }
    return false;
  }

  // The key and shift state that type `c`, kNoKey where no key does as a person would.
  std::int16_t KeyFor(char16_t c) {
    const auto known = keys_.find(c);
    if (known != keys_.end()) return known->second;
    std::int16_t key = layouts_.KeyFor(layout_, c);
    const std::uint8_t vk = static_cast<std::uint8_t>(key & 0xFF);
    if (key == kNoKey || vk == 0 || vk == 0xFF || !Typeable(static_cast<std::uint8_t>(key >> 8))) {
      key = kNoKey;
    }
    keys_.emplace(c, key);
    return key;
  }

  // With Caps Lock on, a letter whose two cases are the same key with and without Shift
  // takes the other Shift state.
  std::int16_t AgainstCapsLock(char16_t c, std::int16_t key) {
    const std::uint8_t shift = static_cast<std::uint8_t>(key >> 8);
    if (!caps_lock_ || (shift & kAltGr) || OtherCase(c) == 0) return key;
    const std::int16_t flipped = static_cast<std::int16_t>(key ^ (kShift << 8));
    return KeyFor(OtherCase(c)) == flipped ? flipped : key;
  }

  bool IsDead(std::int16_t key) {
    const auto known = dead_.find(key);
    if (known != dead_.end()) return known->second;
    const bool dead = layouts_.IsDeadKey(layout_, static_cast<std::uint16_t>(key & 0xFF),
                                         static_cast<std::uint8_t>(key >> 8));
    dead_.emplace(key, dead);
    return dead;
  }

  // The key with its shift state held around it, and nothing left down.
  void Press(std::int16_t key) {
    const std::uint8_t shift = static_cast<std::uint8_t>(key >> 8);
    const std::uint16_t vk = static_cast<std::uint16_t>(key & 0xFF);
    if (shift & kAltGr) {
      Add(kVkLeftControl, false);
      Add(kVkRightAlt, false);
    }
    if (shift & kShift) Add(kVkShift, false);
    Add(vk, false);
    Add(vk, true);
    if (shift & kShift) Add(kVkShift, true);
    if (shift & kAltGr) {
      Add(kVkRightAlt, true);
      Add(kVkLeftControl, true);
    }
  }

  void Add(std::uint16_t vk, bool up) {
    KeyEvent e{KeyEvent::Kind::kVirtualKey, vk, up};
    WithScan(e);
    out_.events.push_back(e);
  }

  void Keep(KeyEvent e) {
    if (e.kind == KeyEvent::Kind::kVirtualKey && e.scan == 0) WithScan(e);
    out_.events.push_back(e);
  }

  void WithScan(KeyEvent& e) {
    std::int32_t& scan = scans_[e.code & 0xFF];
    if (scan == kUnasked) scan = layouts_.ScanCode(layout_, e.code & 0xFF);
    e.scan = static_cast<std::uint16_t>(scan & 0xFF);
    e.extended = (scan & 0xFF00) == 0xE000;
  }

  KeyboardLayouts& layouts_;
  std::uintptr_t layout_;
  bool caps_lock_;
  KeySequence out_;
  // Under Wine each question to the layout is a round trip to the server: ask each once.
  std::unordered_map<char16_t, std::int16_t> keys_;
  std::unordered_map<std::int16_t, bool> dead_;
  std::array<std::int32_t, 256> scans_{};
};

}  // namespace

KeySequence WithLayoutKeys(const KeySequence& keys, KeyboardLayouts& layouts,
                           std::uintptr_t layout) {
  return Translator(layouts, layout).Run(keys);
}

}  // namespace qm
