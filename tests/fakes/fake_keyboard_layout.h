// A German or US keyboard layout with the dead-key state a real one keeps: a read without the
// flag that leaves it alone takes a pending accent away, as the system's own does.
#pragma once

#include <map>
#include <string>

#include "quillet/abbrev/key_translation.h"

namespace qm {

class FakeKeyboardLayout : public KeyboardLayout {
 public:
  struct Key {
    char16_t plain = 0, shift = 0, altgr = 0;
    bool dead_plain = false, dead_shift = false;
  };

  static FakeKeyboardLayout German() {
    FakeKeyboardLayout l;
    l.Letters();
    l.Digits(u"=!\"§$%&/()");
    l.keys_[0x51].altgr = u'@';
    l.keys_[0x45].altgr = u'€';
    l.keys_[0xDC] = {u'^', u'°', 0, true, false};  // dead alone, not with Shift
    l.keys_[0xDD] = {u'´', u'`', 0, true, true};
    l.keys_[0xDB] = {u'ß', u'?', u'\\'};
    l.keys_[0xDE] = {u'ä', u'Ä'};
    l.keys_[0xBE] = {u'.', u':'};
    return l;
  }
  static FakeKeyboardLayout Us() {
    FakeKeyboardLayout l;
    l.Letters();
    l.Digits(u")!@#$%^&*(");
    l.keys_[0xDE] = {u'\'', u'"'};
    l.keys_[0xBE] = {u'.', u'>'};
    return l;
  }

  std::uint32_t KeyCharacter(std::uint32_t vk) override {
    const auto it = keys_.find(vk);
    if (it == keys_.end()) return 0;
    const Key& k = it->second;
    const bool letter = k.plain >= u'a' && k.plain <= u'z';
    return (letter ? k.shift : k.plain) | (k.dead_plain ? kDeadKeyBit : 0);
  }

  int ToUnicode(std::uint32_t vk, std::uint32_t, const std::array<std::uint8_t, 256>& state,
                char16_t* out, int size, std::uint32_t flags) override {
    ++reads;
    const auto it = keys_.find(vk);
    if (it == keys_.end() || size < 2) return 0;
    const bool shift = state[0x10] & 0x80, altgr = (state[0x11] & 0x80) && (state[0x12] & 0x80);
    const bool caps = state[0x14] & 1;
    const Key& k = it->second;
    const bool letter = k.plain >= u'a' && k.plain <= u'z';
    const char16_t c = altgr ? k.altgr : (shift != (caps && letter)) ? k.shift : k.plain;
    if (c == 0) return 0;
    const bool leave = flags & kLeaveDeadKeyState;
    if (!altgr && (shift ? k.dead_shift : k.dead_plain)) {
      ++dead_key_reads;
      if (!leave) pending = c;
      return -1;
    }
    if (pending == 0) {
      out[0] = c;
      return 1;
    }
    const std::u16string composed = Compose(pending, c);
    if (!leave) pending = 0;
    composed.copy(out, composed.size());
    return static_cast<int>(composed.size());
  }

  bool CanLeaveDeadKeyState() override { return leaves_state; }
  std::uintptr_t Id() override { return id; }

  // What the window in front gets from the key, as its own translation reads it: this one
  // changes the pending accent, as it should.
  std::u16string TypeInTarget(std::uint32_t vk, bool shift = false) {
    std::array<std::uint8_t, 256> state{};
    if (shift) state[0x10] = 0x80;
    char16_t out[8];
    const int counted = reads, dead = dead_key_reads;  // the hook's reads are counted
    const int n = ToUnicode(vk, 0, state, out, 8, 0);
    reads = counted;
    dead_key_reads = dead;
    return n > 0 ? std::u16string(out, static_cast<std::size_t>(n)) : std::u16string();
  }

  bool leaves_state = true;
  std::uintptr_t id = 1;
  char16_t pending = 0;    // the accent of a dead key, waiting for the next key
  int reads = 0;           // ToUnicode calls
  int dead_key_reads = 0;  // ToUnicode calls for a key that is dead

 private:
  void Letters() {
    for (char16_t c = u'a'; c <= u'z'; ++c) keys_[c - u'a' + 0x41] = {c, char16_t(c - 32)};
    keys_[0x20] = {u' ', u' '};
  }
  void Digits(const char16_t* shifted) {
    for (int d = 0; d < 10; ++d) keys_[0x30 + d] = {char16_t(u'0' + d), shifted[d]};
  }
  static std::u16string Compose(char16_t accent, char16_t c) {
    static const std::map<std::u16string, char16_t> composed = {
        {u"^e", u'ê'}, {u"^a", u'â'}, {u"^ ", u'^'}, {u"´e", u'é'}, {u"´ ", u'´'}, {u"`e", u'è'}};
    const auto it = composed.find(std::u16string{accent, c});
    return it == composed.end() ? std::u16string{accent, c} : std::u16string(1, it->second);
  }

  std::map<std::uint32_t, Key> keys_;
};

}  // namespace qm
