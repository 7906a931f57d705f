// The abbreviation detector as a table of key sequences and the actions they bring.
#include "quillet/abbrev/detector.h"

#include <gtest/gtest.h>

#include <map>

#include "quillet/abbrev/key_translation.h"
#include "tests/fakes/fake_keyboard_layout.h"
#include "text/utf.h"

namespace qm {
namespace {

// Plays `keys` into `d`: each character is a key that typed it; in braces {BS} Backspace,
// {DEAD} a dead key, {SHIFT} a modifier, {LEFT} a key that moves the caret, {CLICK} a
// click, {ENTER}, {TAB}, {T:xy} one key that typed several characters, {INJ} and {OWN} make
// the next key injected or one in an ignored window, {DONEn} reports an expansion carried
// out with n characters, {FAIL} one that was not, {REFUSED} one whose key went on as typed,
// {MOVED} moves the caret elsewhere without a
// key (a chat box that sent its message). Returns the actions, "E<entry>/<erase>/
// <type>" or "U<erase>/<type>", blanks as "_", Enter as "|", Tab as ">".
std::string Play(AbbreviationDetector& d, std::string_view keys) {
  std::string out;
  bool injected = false, own = false;
  CaretPlace place{1, 1, 10, 20, 11, 36};
  const auto press = [&](KeyInput k) {
    k.place = place;
    k.injected = injected;
    k.ignored_window = own;
    injected = own = false;
    const AbbrevAction a = d.OnKey(k);
    if (a.kind == AbbrevAction::Kind::kNone) return;
    std::string type;
    for (char c : Utf16ToUtf8(a.type))
      type += c == ' ' ? '_' : c == '\r' ? '|' : c == '\t' ? '>' : c;
    out += a.kind == AbbrevAction::Kind::kExpand ? "E" + std::to_string(a.entry) + "/" : "U";
    out += std::to_string(a.erase) + "/" + type + " ";
  };
  for (std::size_t pos = 0; pos < keys.size();) {
    if (keys[pos] != '{') {
      std::u16string t;
      AppendUtf16(t, NextCodePoint(keys, pos));
      press(KeyInput::Text(t));
      continue;
    }
    const std::size_t end = keys.find('}', pos);
    const std::string token(keys.substr(pos + 1, end - pos - 1));
    pos = end + 1;
    using K = KeyInput::Kind;
    if (token == "BS") press(KeyInput::Of(K::kBackspace));
    if (token == "DEAD") press(KeyInput::Of(K::kDeadKey));
    if (token == "SHIFT") press(KeyInput::Of(K::kModifier));
    if (token == "LEFT") press(KeyInput::Of(K::kOtherKey));
    if (token == "CLICK") press(KeyInput::Of(K::kReset));
    if (token == "ENTER") press(KeyInput::Text(u"\r"));
    if (token == "TAB") press(KeyInput::Text(u"\t"));
    if (token.rfind("T:", 0) == 0) {
      std::u16string t;
      Utf8ToUtf16(token.substr(2), t);
      press(KeyInput::Text(t));
    }
    if (token == "INJ") injected = true;
    if (token == "OWN") own = true;
    if (token.rfind("DONE", 0) == 0) d.ExpansionDone(std::stoi(token.substr(4)), place);
    if (token == "MOVED") place.left = place.right = 2;
    if (token == "FAIL") d.ExpansionFailed();
    if (token == "REFUSED") d.ExpansionRefused();
  }
  return out;
}

TEST(AbbreviationDetector, KeySequences) {
  const std::vector<Abbreviation> all = {
      {1, "mfg", false},   {2, "sgdh", true},         {3, "adr", false},
      {4, "MfG", false},   {5, "t\xC3\xAAte", false}, {6, "x\xF0\x9F\x98\x80", false},
      {7, "x y", false},   {8, "#s", true},           {9, "m\xEF\xBF\xBFg", false},
      {10, ":mfg", false}, {11, "z.B.", true},
  };
  const std::string many_a(200, 'a');
  const struct {
    std::string keys, actions;
  } cases[] = {
      // Word ends, and the lowest number of two alike, whatever the case typed.
      {"mfg ", "E1/3/_ "},
      {"MFG.", "E1/3/. "},
      {"mfg{ENTER}", "E1/3/| "},
      {"adr{TAB}", "E3/3/> "},
      {"Hallo mfg ", "E1/3/_ "},
      {"x\xF0\x9F\x98\x80 ", "E6/2/_ "},
      // Whole words only.
      {"xmfg ", ""},
      {"mfgx ", ""},
      {"amfgb ", ""},
      {"x y ", ""},
      // One that holds punctuation counts from the last gap, and wins over the word after it.
      {":mfg ", "E10/4/_ "},
      {"Hallo{ENTER}:MFG.", "E10/4/. "},
      {"x:mfg ", "E1/3/_ "},
      {"mfg::mfg ", "E1/3/: E1/3/_ "},  // the snippet's last word stands before the colon
      {"z.B.", "E11/3/ "},
      {"xz.B. ", ""},
      {":mfg {DONE20}{BS}", "E10/4/_ U21/:mfg_ "},
      // At once, at the last character, which is held back; the next word starts unknown.
      {"sgdh", "E2/3/ "},
      {"sgdh mfg ", "E2/3/ E1/3/_ "},
      {"sgdhmfg ", "E2/3/ "},
      {"#s", "E8/1/ "},
      // Undo: only right after an expansion that was carried out; modifiers do not count.
      {"mfg {DONE20}{BS}", "E1/3/_ U21/mfg_ "},
      {"sgdh{DONE7}{BS}", "E2/3/ U7/sgdh "},
      {"mfg {BS}", "E1/3/_ "},
      {"mfg {DONE20}x{BS}", "E1/3/_ "},
      {"mfg {DONE20}{SHIFT}{BS}", "E1/3/_ U21/mfg_ "},
      {"mfg {DONE20}{BS}{BS} ", "E1/3/_ U21/mfg_ E1/3/_ "},
      // Only where the caret was left: not in another field, nor after the box sent it away.
      {"mfg {DONE20}{MOVED}{BS}", "E1/3/_ "},
      {"mfg {FAIL}mfg mfg ", "E1/3/_ E1/3/_ "},
      {"mfg {REFUSED}mfg ", "E1/3/_ E1/3/_ "},
      // Backspace inside what was seen, and beyond it.
      {"mfgg{BS} ", "E1/3/_ "},
      {"Hallo {BS}{BS}{BS}{BS}{BS}{BS}mfg ", "E1/3/_ "},
      {"a {BS}{BS}{BS}mfg mfg ", "E1/3/_ "},
      // A click or a window switch starts a new word; a caret key leaves its start unknown.
      {"xx{CLICK}mfg ", "E1/3/_ "},
      {"mfg{CLICK} ", ""},
      {"mfg{LEFT} ", ""},
      {"{LEFT}mfg {LEFT}x mfg ", "E1/3/_ "},
      {"{T:\x01}mfg ", ""},
      // Dead keys keep the word; an accent that did not combine is part of it.
      {"t{DEAD}\xC3\xAAte ", "E5/4/_ "},
      {"T{DEAD}\xC3\x8AT{SHIFT}E!", "E5/4/! "},
      {"mf{DEAD}{T:^g} ", ""},
      // A character the hook could not read matches nothing, even where a file holds it.
      {"m\xEF\xBF\xBFg ", ""},
      // Injected input is no one's typing; our own windows and ignored ones are left alone.
      {"m{INJ}x{INJ}{BS}fg{INJ} ", ""},
      {"m{INJ}x{INJ}{BS}fg ", "E1/3/_ "},
      {"{OWN}m{OWN}f{OWN}g{OWN} ", ""},
      {"mfg{OWN} ", ""},
      // The typed text is kept bounded without losing a word's start.
      {many_a + " mfg ", "E1/3/_ "},
      {many_a + "mfg ", ""},
  };
  for (const auto& c : cases) {
    AbbreviationDetector d;
    d.Load(all);
    EXPECT_EQ(Play(d, c.keys), c.actions) << c.keys;
  }
}

TEST(AbbreviationDetector, UndoOnlyWhereTheWordEndMovedTheCaretOn) {
  const CaretPlace snippet_end{1, 1, 40, 20, 41, 36};
  CaretPlace blank = snippet_end, next_line = snippet_end, emptied = snippet_end;
  blank.left = blank.right = 48;
  next_line.top = 36;
  emptied.left = emptied.right = 2;  // a chat box that sent its message on the Enter
  CaretPlace other_field = blank;
  other_field.focus = 2;
  EXPECT_EQ(PlaceAfterWordEnd(snippet_end, blank, true), blank);
  EXPECT_EQ(PlaceAfterWordEnd(snippet_end, next_line, true), next_line);
  EXPECT_FALSE(PlaceAfterWordEnd(snippet_end, emptied, true).known());
  EXPECT_FALSE(PlaceAfterWordEnd(snippet_end, other_field, true).known());
  EXPECT_FALSE(PlaceAfterWordEnd(snippet_end, snippet_end, true).known());
  EXPECT_EQ(PlaceAfterWordEnd(snippet_end, snippet_end, false), snippet_end);
  EXPECT_FALSE(PlaceAfterWordEnd({}, {}, false).known());
}

// The library changes while a word is typed: its end stays the end of that word.
TEST(AbbreviationDetector, AReloadKeepsTheWordBeingTyped) {
  AbbreviationDetector d;
  d.Load({{1, "mfg", false}});
  EXPECT_EQ(Play(d, "Erfo"), "");
  AbbreviationDetector loaded;
  loaded.Load({{1, "mfg", false}, {2, "lg", false}});
  d.TakeAbbreviations(std::move(loaded));
  EXPECT_EQ(Play(d, "lg lg "), "E2/2/_ ");
  d.Unseen();  // the hook was away
  EXPECT_EQ(Play(d, "lg lg "), "E2/2/_ ");
}

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
