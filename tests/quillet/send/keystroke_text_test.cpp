// Keystroke text: what a plain text becomes, and the key events that the notation stands for.
#include "quillet/send/keystroke_text.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <utility>

#include "tests/fakes/fake_keyboard.h"
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
      {down({0xA0, 0xA3}), "VA3 VA0 "},                  // Shift and Ctrl alone open nothing
      {down({kVkLeftMenu}), "vE8 VE8 VA4 "},             // Alt: the menu bar
      {down({0xA0, kVkRightWin}), "vE8 VE8 V5C VA0 "},   // Windows: the Start menu
      {{{Kind::kVirtualKey, kVkMenu, false}, {Kind::kUnicode, 0x41, false}},
       "vE8 VE8 U41 V12 "},                              // a batch cut short after Alt+A
  };
  for (const auto& c : cases) {
    KeySequence keys;
    keys.events = ReleasingEvents(c.held);
    EXPECT_EQ(Picture(keys), c.picture);
  }
  // A key down brings its character; both are messages the target must take.
  EXPECT_EQ(InputMessages(ParseKeystrokes("ab~").events), 9u);
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
