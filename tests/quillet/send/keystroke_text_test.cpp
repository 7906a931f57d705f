// Keystroke text: what a plain text becomes, and the key events that the notation stands for.
#include "quillet/send/keystroke_text.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <utility>

#include "quillet/send/layout_keys.h"
#include "tests/fakes/fake_keyboard.h"
#include "tests/fakes/fake_keyboard_layouts.h"
#include "text/utf.h"

namespace qm {
namespace {

using Kind = KeyEvent::Kind;

// A compact picture of events: "u41" Unicode down, "U41" Unicode up, "v12" virtual key down,
// "V12" virtual key up; strokes separated by "|".
std::string Picture(const KeySequence& keys) {
  std::string out;
  std::size_t stroke = 0;
  for (std::size_t i = 0; i < keys.events.size(); ++i) {
    const KeyEvent& e = keys.events[i];
    char buf[16];
    const char kind = e.kind == Kind::kUnicode ? 'u' : 'v';
    std::snprintf(buf, sizeof buf, "%c%X ", e.key_up ? kind - 32 : kind, e.code);
    out += buf;
    if (stroke < keys.stroke_ends.size() && keys.stroke_ends[stroke] == i + 1) {
      out += "| ";
      ++stroke;
    }
  }
  return out;
}

// Each key goes up after it went down and before the stroke ends, and no stroke is empty.
void ExpectEveryKeyReleased(const KeySequence& keys, const std::string& input) {
  std::map<std::pair<Kind, std::uint16_t>, int> down;
  std::size_t begin = 0;
  for (const std::size_t end : keys.stroke_ends) {
    ASSERT_LT(begin, end) << input;
    for (std::size_t i = begin; i < end; ++i) {
      const KeyEvent& e = keys.events[i];
      int& n = down[{e.kind, e.code}];
      n += e.key_up ? -1 : 1;
      ASSERT_GE(n, 0) << "released before pressed in " << input;
    }
    for (const auto& [key, n] : down) ASSERT_EQ(n, 0) << "held past a stroke in " << input;
    begin = end;
  }
  EXPECT_EQ(begin, keys.events.size()) << input;
}

TEST(KeystrokeTextTest, PlainTextBecomesKeystrokeText) {
  const struct {
    std::string plain, keys;
  } cases[] = {
      {"5% (netto) {brutto}", "5{%} {(}netto{)} {{}brutto{}}"},
      {"x\rA\tB", "x~A{TAB}B"},
      {"{TAB}", "{{}TAB{}}"},
      {"~+^%()[]{}", "{~}{+}{^}{%}{(}{)}{[}{]}{{}{}}"},
      {"\r\n", "~\n"},
      // Characters that edit fields take as commands (Backspace, Paste, Undo, Escape, Ctrl+
      // Backspace) are not typed.
      {std::string("a\x08\x16\x1A\x1B\x7F\x01\0b", 9), "ab"},
      {"Grüße, 5 € 😀", "Grüße, 5 € 😀"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(KeystrokeTextFor(c.plain, false), c.keys) << c.plain;
  EXPECT_EQ(KeystrokeTextFor("x\r{y}\t", true), "% BE");
}

TEST(KeystrokeTextTest, ParsedEvents) {
  const struct {
    std::string keys, picture;
  } cases[] = {
      {"a", "u61 U61 | "},
      {"~", "vD VD | "},
      {"{TAB}", "v9 V9 | "},
      {"{%}{}}{{}{~}", "u25 U25 | u7D U7D | u7B U7B | u7E U7E | "},
      {"ä€", "uE4 UE4 | u20AC U20AC | "},
      {"😀", "uD83D UD83D uDE00 UDE00 | "},
      {"\n", "uA UA | "},
      // Alt combinations: letters, digits and the blank as virtual keys for the menus.
      {"% BE", "v12 v20 V20 V12 | v42 V42 | v45 V45 | "},
      // Letters right after an Alt combination choose in its menu; anything else ends that.
      {"%fx.x", "v12 v46 V46 V12 | v58 V58 | u2E U2E | u78 U78 | "},
      {"%7", "v12 v37 V37 V12 | "},
      {"%ä", "v12 uE4 UE4 V12 | "},
      {"%{%}", "v12 u25 U25 V12 | "},
      // Input the sender never produces is typed, never refused.
      {"{", "u7B U7B | "},
      {"{}", "u7B U7B | u7D U7D | "},
      {"{ab}", "u7B U7B | u61 U61 | u62 U62 | u7D U7D | "},
      {"{x}", "u78 U78 | "},
      {"%", ""},
      {"%%a", "v12 v41 V41 V12 | "},
      {"+^()[]", "u2B U2B | u5E U5E | u28 U28 | u29 U29 | u5B U5B | u5D U5D | "},
      {std::string("a\0b", 3), "u61 U61 | u62 U62 | "},
      {"\xFF", "uFFFD UFFFD | "},
  };
  for (const auto& c : cases) {
    const KeySequence keys = ParseKeystrokes(c.keys);
    EXPECT_EQ(Picture(keys), c.picture) << c.keys;
    ExpectEveryKeyReleased(keys, c.keys);
  }
}

TEST(KeystrokeTextTest, KeysTheUserHoldsAreReleasedWithoutOpeningAMenu) {
  const auto down = [](std::vector<std::uint16_t> vks) {
    std::vector<KeyEvent> held;
    for (const std::uint16_t vk : vks) held.push_back({Kind::kVirtualKey, vk, false});
    return held;
  };
  const struct {
    std::vector<KeyEvent> held;
    std::string picture;
  } cases[] = {
      {{}, ""},
      {down({0xA0, 0xA3}), "VA3 VA0 "},                 // Shift and Ctrl alone open nothing
      {down({kVkLeftMenu}), "vE8 VE8 VA4 "},            // Alt: the menu bar
      {down({0xA0, kVkRightWin}), "vE8 VE8 V5C VA0 "},  // Windows: the Start menu
      {{{Kind::kVirtualKey, kVkMenu, false}, {Kind::kUnicode, 0x41, false}},
       "vE8 VE8 U41 V12 "},  // a batch cut short after Alt+A
  };
  for (const auto& c : cases) {
    KeySequence keys;
    keys.events = ReleasingEvents(c.held);
    EXPECT_EQ(Picture(keys), c.picture);
  }
  // A key down brings its character; both are messages the target must take.
  EXPECT_EQ(InputMessages(ParseKeystrokes("ab~").events), 9u);
  // Shift, Ctrl and Alt going down bring none: "A" and "@" with the keys of a German layout.
  FakeKeyboardLayouts german = FakeKeyboardLayouts::German();
  EXPECT_EQ(InputMessages(WithLayoutKeys(ParseKeystrokes("A@"), german, 1).events), 5u + 7u);
}

TEST(KeystrokeTextTest, CharactersGoAsTheKeysOfTheLayoutThatHasThem) {
  FakeKeyboardLayouts german = FakeKeyboardLayouts::German(), us = FakeKeyboardLayouts::Us();
  FakeKeyboardLayouts caps_lock = FakeKeyboardLayouts::German();
  caps_lock.caps_lock = true;
  const struct {
    FakeKeyboardLayouts& layout;
    std::string keys, picture;
  } cases[] = {
      {german, "aA7", "v41 V41 | v10 v41 V41 V10 | v37 V37 | "},
      {german, "{(}", "v10 v38 V38 V10 | "},
      // AltGr as the right Alt with the left Ctrl, released in reverse order.
      {german, "@€\\{~}",
       "vA2 vA5 v51 V51 VA5 VA2 | vA2 vA5 v45 V45 VA5 VA2 | "
       "vA2 vA5 vDB VDB VA5 VA2 | vA2 vA5 vBB VBB VA5 VA2 | "},
      // A dead key types its accent alone with a blank after it; with Shift ^ is not dead.
      {german, "{^}\xC2\xB4`\xC2\xB0",
       "vDC VDC v20 V20 | vDD VDD v20 V20 | "
       "v10 vDD VDD V10 v20 V20 | v10 vDC VDC V10 | "},
      // Letters the layout composes from a dead key and a base letter.
      {german, "\xC3\xA9\xC3\xA2\xC3\xA0\xC3\x89",
       "vDD VDD v45 V45 | vDC VDC v41 V41 | "
       "v10 vDD VDD V10 v41 V41 | vDD VDD v10 v45 V45 V10 | "},
      // Without the dead key (no ~ or cedilla on German, no dead keys on US), or with one
      // that not every layout composes with the letter (´ with c): Unicode.
      {german, "\xC3\xB1\xC3\xA7\xC4\x87", "uF1 UF1 | uE7 UE7 | u107 U107 | "},
      {us, "A@{^}\xC3\xB1\xC3\xA9\xE2\x82\xAC",
       "v10 v41 V41 V10 | v10 v32 V32 V10 | "
       "v10 v36 V36 V10 | uF1 UF1 | uE9 UE9 | u20AC U20AC | "},
      // No layout has these; Enter, Tab, line feeds and Alt combinations stay as they were.
      {german, "\xE2\x98\xBA\xF0\x9F\x98\x80", "u263A U263A | uD83D UD83D uDE00 UDE00 | "},
      // Caps Lock on turns Shift around for letters only; what else it may change (ß, the
      // AltGr characters beyond ASCII) goes as itself.
      {caps_lock,
       "a\xC3\x84\xC3\xA4"
       "1!\xC3\x9F\xE2\x82\xAC@",
       "v10 v41 V41 V10 | vDE VDE | v10 vDE VDE V10 | v31 V31 | "
       "v10 v31 V31 V10 | uDF UDF | u20AC U20AC | vA2 vA5 v51 V51 VA5 VA2 | "},
      {us, "x~{TAB}\n%f", "v58 V58 | vD VD | v9 V9 | uA UA | v12 v46 V46 V12 | "},
  };
  for (const auto& c : cases) {
    const KeySequence keys = WithLayoutKeys(ParseKeystrokes(c.keys), c.layout, 1);
    EXPECT_EQ(Picture(keys), c.picture) << c.keys;
    ExpectEveryKeyReleased(keys, c.keys);
    for (const KeyEvent& e : keys.events) {
      if (e.kind == Kind::kVirtualKey) {
        EXPECT_EQ(e.scan, c.layout.ScanCode(1, e.code)) << c.keys;
      }
    }
  }
  // A key that exists twice goes with its own scan code, marked as extended; a layout that
  // is not the window's gives no keys.
  us.keys[u'/'] = 0x6F;
  us.scans[0x6F] = 0xE035;
  const KeySequence slash = WithLayoutKeys(ParseKeystrokes("/"), us, 1);
  ASSERT_EQ(slash.events.size(), 2u);
  EXPECT_TRUE(slash.events[0].scan == 0x35 && slash.events[0].extended);
  EXPECT_EQ(Picture(WithLayoutKeys(ParseKeystrokes("a"), us, 2)), "u61 U61 | ");
}

TEST(KeystrokeTextTest, EveryTextIsTypedExactlyOneStrokePerCharacter) {
  std::mt19937 gen(11);
  const std::string alphabet[] = {"a", "Z", " ", "\r", "\t", "\n", "~", "+", "^", "%", "(",
                                  ")", "[", "]", "{",  "}",  "ä",  "€", "😀", "T", "A", "B"};
  for (int round = 0; round < 400; ++round) {
    std::string plain;
    for (int i = round % 17; i > 0; --i) plain += alphabet[gen() % std::size(alphabet)];
    const KeySequence keys = ParseKeystrokes(KeystrokeTextFor(plain, false));
    FakeKeyboard keyboard;
    keyboard.Send(keys.events);
    EXPECT_EQ(keyboard.TypedText(), plain);
    EXPECT_EQ(keys.strokes(), CountCodePoints(plain)) << plain;
    ExpectEveryKeyReleased(keys, plain);
  }
}

}  // namespace
}  // namespace qm
