// The keys as the keyboard hook reports them, turned into what the detector gets: German and
// US layouts, dead keys left to the window, the layout's answers kept, held keys.
#include "quillet/abbrev/key_translation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/fakes/fake_keyboard_layout.h"
#include "text/utf.h"

namespace qm {
namespace {

// Keys as the hook reports them, "+" before one held down (released after the next key),
// each key going down and up; what the detector gets from them.
std::string Translate(FakeKeyboardLayout& layout, const std::vector<std::string>& keys,
                      bool caps = false) {
  KeyTranslator t;
  t.SetCapsLock(caps);
  std::string out;
  std::vector<RawKey> held;
  for (const std::string& k : keys) {
    const bool hold = k[0] == '+';
    const std::string name = k.substr(hold ? 1 : 0);
    static const std::map<std::string, RawKey> named = {{"shift", {0xA0}},
                                                        {"ctrl", {0xA2}},
                                                        {"alt", {0xA4}},
                                                        {"altgr", {0xA5}},
                                                        {"caps", {0x14}},
                                                        {"wine-altgr", {0xDF, 0x60}},
                                                        {"bs", {0x08}},
                                                        {"enter", {0x0D}},
                                                        {"tab", {0x09}},
                                                        {"left", {0x25}},
                                                        {"f5", {0x74}},
                                                        {"^", {0xDC}},
                                                        {"´", {0xDD}},
                                                        {"ß", {0xDB}},
                                                        {"'", {0xDE}},
                                                        {"noname", {0xFC}},
                                                        {"injected", {0x41, 0, false, true}},
                                                        {"space", {0x20}}};
    const auto it = named.find(name);
    const RawKey key = it != named.end() ? it->second : RawKey{std::uint32_t(name[0])};
    const auto press = [&](RawKey k2) {
      const std::optional<KeyInput> in = t.OnKey(k2, layout);
      if (!in) return;
      using K = KeyInput::Kind;
      if (in->injected)
        out += "[inj]";
      else if (in->kind == K::kText)
        out += Utf16ToUtf8(in->text);
      else
        out += in->kind == K::kModifier    ? "[mod]"
               : in->kind == K::kDeadKey   ? "[dead]"
               : in->kind == K::kBackspace ? "[bs]"
                                           : "[other]";
    };
    press(key);
    // The window in front reads every key after the hook passed it on.
    if (!hold) layout.TypeInTarget(key.vk, !held.empty() && held[0].vk == 0xA0);
    if (hold) {
      if (key.vk == 0xA5) press({0xA2});  // the system's AltGr holds the left Ctrl too
      held.push_back(key);
      continue;
    }
    RawKey up = key;
    up.up = true;
    press(up);
    for (RawKey h : held) {
      h.up = true;
      press(h);
      if (h.vk == 0xA5) press({0xA2, 0, true});
    }
    held.clear();
  }
  return out;
}

TEST(KeyTranslation, GermanAndUsKeys) {
  const struct {
    bool german;
    std::vector<std::string> keys;
    std::string typed;
    bool caps = false;
  } cases[] = {
      {true, {"M", "+shift", "F", "1", "space"}, "m[mod]F1 "},
      {true, {"+shift", "1", "+shift", "ß", "ß"}, "[mod]![mod]?ß"},
      {true, {"A", "+shift", "A"}, "A[mod]a", true},
      {true, {"caps", "A", "caps", "A"}, "[mod]A[mod]a"},
      {true, {"+altgr", "Q", "+altgr", "E"}, "[mod][mod]@[mod][mod]€"},
      {true, {"+wine-altgr", "Q"}, "[mod]@"},
      // The picker's hotkey is no word end.
      {true,
       {"+altgr", "space", "+wine-altgr", "space", "+ctrl", "space"},
       "[mod][mod][other][mod][other][mod][other]"},
      {true,
       {"+ctrl", "A", "+alt", "A", "+ctrl", "bs", "left", "f5"},
       "[mod][other][mod][other][mod][other][other][other]"},
      {true, {"bs", "enter", "tab", "+alt", "tab"}, "[bs]\r\t[mod][other]"},
      // A dead key is only named; the accent stays for the window, whatever follows.
      {true,
       {"^", "E", "^", "space", "´", "E", "^", "^"},
       "[dead]\xC3\xAA[dead]^[dead]\xC3\xA9[dead][dead]"},
      // Dead alone, so not asked with Shift either, where it is none.
      {true, {"+shift", "^"}, "[mod][dead]"},
      {true, {"noname", "injected"}, "\xEF\xBF\xBF[inj]"},
      {false, {"+shift", "6", "'", "+shift", "'"}, "[mod]^'[mod]\""},
      {false, {"+altgr", "Q"}, "[mod][mod][other]"},
  };
  for (const auto& c : cases) {
    FakeKeyboardLayout layout = c.german ? FakeKeyboardLayout::German() : FakeKeyboardLayout::Us();
    EXPECT_EQ(Translate(layout, c.keys, c.caps), c.typed) << c.keys.size() << " " << c.keys[0];
    EXPECT_EQ(layout.dead_key_reads, 0);
  }
}

// What the window in front types is what it would type without the hook: a read of the
// layout in between never takes the pending accent away.
TEST(KeyTranslation, LeavesTheDeadKeyStateToTheWindow) {
  FakeKeyboardLayout layout = FakeKeyboardLayout::German();
  KeyTranslator t;
  std::u16string target;
  for (std::uint32_t vk : {0xDCu, 0x45u, 0xDDu, 0x20u, 0xDDu, 0x45u}) {
    t.OnKey({vk}, layout);
    target += layout.TypeInTarget(vk);
  }
  EXPECT_EQ(Utf16ToUtf8(target), "\xC3\xAA\xC2\xB4\xC3\xA9");
  EXPECT_EQ(layout.reads, 3);  // the letter and the blank, never a dead key

  // A system without the flag that leaves the state alone is never asked: only the key's
  // own character is read, and what Shift makes of a letter.
  FakeKeyboardLayout old = FakeKeyboardLayout::German();
  old.leaves_state = false;
  EXPECT_EQ(Translate(old, {"M", "+shift", "M", "+shift", "1", "1", "+altgr", "Q", "ß"}),
            "m[mod]M[mod]\xEF\xBF\xBF"
            "1[mod][mod]\xEF\xBF\xBF\xC3\x9F");
  EXPECT_EQ(old.reads, 0);
}

// The layout is asked once for a key with given modifiers, again for another layout, and
// afresh for the key after a dead key, whose accent may combine with it.
TEST(KeyTranslation, KeepsTheLayoutsAnswers) {
  FakeKeyboardLayout layout = FakeKeyboardLayout::German();
  EXPECT_EQ(Translate(layout, {"A", "A", "+shift", "A", "+shift", "A", "A"}), "aa[mod]A[mod]Aa");
  EXPECT_EQ(layout.reads, 2);
  KeyTranslator t;
  std::u16string typed;
  for (std::uint32_t vk : {0x45u, 0xDCu, 0x45u, 0x45u}) {
    if (const auto in = t.OnKey({vk}, layout)) typed += in->text;
    layout.TypeInTarget(vk);
  }
  layout.id = 2;
  if (const auto in = t.OnKey({0x45}, layout)) typed += in->text;
  EXPECT_EQ(Utf16ToUtf8(typed),
            "e\xC3\xAA"
            "ee");
  EXPECT_EQ(layout.reads, 5);  // the two above, then e, the ê, the other layout's e
}

TEST(KeyTranslation, LetGoForgetsTheKeysHeldWhileTheHookWasAway) {
  FakeKeyboardLayout layout = FakeKeyboardLayout::German();
  KeyTranslator t;
  t.OnKey({0xA0}, layout);  // Shift goes down; its release comes while the hook is away
  EXPECT_EQ(Utf16ToUtf8(t.OnKey({'A'}, layout)->text), "A");
  t.LetGo();
  EXPECT_EQ(Utf16ToUtf8(t.OnKey({'A'}, layout)->text), "a");
}

TEST(KeyTranslation, HeldKeysAfterTheSend) {
  using F = HeldKeyFate;
  const struct {
    RawKey key;
    bool in_front;
    std::uint32_t drop_up;
    F fate;
  } cases[] = {
      {{'A', 0x1E, false}, false, 0, F::kLost},  // never typed into another window
      // A release goes out even there: its press may have reached the window before.
      {{'A', 0x1E, true}, false, 0x20, F::kSend},
      {{0x20, 0x39, true}, false, 0x20, F::kDrop},  // that of the key that brought the action
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FateOfHeldKey(c.key, c.in_front, c.drop_up), c.fate) << c.key.vk << c.key.up;
  }
}

}  // namespace
}  // namespace qm
