// Keyboard layouts of other programs' windows, for typing with a layout's keys: by default one
// without keys, or the German or the US layout as the system describes them.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string_view>

#include "platform/keyboard_layouts.h"

namespace qm {

class FakeKeyboardLayouts : public KeyboardLayouts {
 public:
  // Shift states as KeyFor gives them.
  static constexpr std::uint8_t kShift = 1, kAltGr = 6;

  // Without keys (the default): every character falls back to a Unicode key event.
  FakeKeyboardLayouts() = default;

  static FakeKeyboardLayouts German() {
    FakeKeyboardLayouts l;
    l.Letters();
    l.Digits(u"=!\"§$%&/()");
    l.Key(0xDB, u'ß', u'?', u'\\');
    l.Key(0xDC, u'^', u'°');
    l.Key(0xDD, u'´', u'`');
    l.dead = {0xDC, 0xDD, 0xDD | kShift << 8};  // ^, ´ and `; ° is not
    l.Key(0xBA, u'ü', u'Ü');
    l.Key(0xC0, u'ö', u'Ö');
    l.Key(0xDE, u'ä', u'Ä');
    l.Key(0xBB, u'+', u'*', u'~');
    l.Key(0xBF, u'#', u'\'');
    l.Key(0xBC, u',', u';');
    l.Key(0xBE, u'.', u':');
    l.Key(0xBD, u'-', u'_');
    l.Key(0xE2, u'<', u'>', u'|');
    l.Key('Q', u'q', u'Q', u'@');
    l.Key('E', u'e', u'E', u'€');
    l.Key('7', u'7', u'/', u'{');
    l.Key('0', u'0', u'=', u'}');
    return l;
  }
  static FakeKeyboardLayouts Us() {
    FakeKeyboardLayouts l;
    l.Letters();
    l.Digits(u")!@#$%^&*(");
    l.Key(0xC0, u'`', u'~');
    l.Key(0xBD, u'-', u'_');
    l.Key(0xBB, u'=', u'+');
    l.Key(0xDB, u'[', u'{');
    l.Key(0xDD, u']', u'}');
    l.Key(0xDC, u'\\', u'|');
    l.Key(0xBA, u';', u':');
    l.Key(0xDE, u'\'', u'"');
    l.Key(0xBC, u',', u'<');
    l.Key(0xBE, u'.', u'>');
    l.Key(0xBF, u'/', u'?');
    return l;
  }

  std::uintptr_t LayoutOf(WindowHandle window) override { return window ? id : 0; }
  std::int16_t KeyFor(std::uintptr_t layout, char16_t c) override {
    ++questions;
    const auto it = keys.find(c);
    return layout == id && it != keys.end() ? it->second : -1;
  }
  std::uint16_t ScanCode(std::uintptr_t layout, std::uint16_t vk) override {
    const auto it = scans.find(vk);
    return layout == id && it != scans.end() ? it->second : 0;
  }
  bool IsDeadKey(std::uintptr_t layout, std::uint16_t vk, std::uint8_t shift) override {
    return layout == id && dead.count(static_cast<std::uint16_t>(vk | shift << 8)) != 0;
  }
  bool CapsLockOn() override { return caps_lock; }

  // Puts the characters on the key, plain, with Shift and with AltGr (0 for none).
  void Key(std::uint16_t vk, char16_t plain, char16_t shifted, char16_t altgr = 0) {
    const auto put = [&](char16_t c, std::uint8_t shift) {
      if (c) keys[c] = static_cast<std::int16_t>(vk | shift << 8);
    };
    put(plain, 0);
    put(shifted, kShift);
    put(altgr, kAltGr);
    if (!scans.count(vk)) scans[vk] = static_cast<std::uint16_t>(0x40 + scans.size());
  }

  std::uintptr_t id = 1;
  std::map<char16_t, std::int16_t> keys;  // as VkKeyScanExW answers
  // The scan codes of the keys typing needs besides the characters' own.
  std::map<std::uint16_t, std::uint16_t> scans = {{0x10, 0x2A}, {0x11, 0x1D}, {0x12, 0x38},
                                                  {0x0D, 0x1C}, {0x09, 0x0F}, {0x20, 0x39}};
  std::set<std::uint16_t> dead;  // virtual key | shift state << 8
  int questions = 0;
  bool caps_lock = false;

 private:
  void Letters() {
    for (char16_t c = u'a'; c <= u'z'; ++c) {
      Key(static_cast<std::uint16_t>(c - u'a' + u'A'), c, static_cast<char16_t>(c - 0x20));
    }
    Key(0x20, u' ', 0);
  }
  void Digits(std::u16string_view shifted) {
    for (char16_t d = 0; d < 10; ++d) {
      Key(static_cast<std::uint16_t>(u'0' + d), static_cast<char16_t>(u'0' + d), shifted[d]);
    }
  }
};

}  // namespace qm
