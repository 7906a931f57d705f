// The abbreviation detector as a table of key sequences and the actions they bring.
#include "quillet/abbrev/detector.h"

#include <gtest/gtest.h>

#include <map>

#include "platform/portable_code_pages.h"
#include "quillet/abbrev/keep_out.h"
#include "quillet/abbrev/key_translation.h"
#include "tests/fakes/fake_keyboard_layout.h"
#include "text/utf.h"

namespace qm {
namespace {

// Plays `keys` into `d`: each character is a key that typed it; in braces {BS} Backspace,
// {DEAD} a dead key, {SHIFT} a modifier, {LEFT} a key that moves the caret, {CLICK} a
// click, {ENTER}, {TAB}, {T:xy} one key that typed several characters, {INJ} and {OWN} make
// the next key injected or one in an ignored window, {DONEn} reports an expansion carried
// out with n characters ({DONEn<m}: and the caret m characters back), {FAIL} one that was not, {REFUSED} one whose key went on as typed,
// {MOVED} moves the caret elsewhere without a
// key (a chat box that sent its message). Returns the actions, "E<entry>/<erase>/
// <type>" or "U<erase>/<type>" ("U>m/…": m Right keys first), blanks as "_", Enter as "|", Tab as ">".
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
    if (a.right > 0) out += ">" + std::to_string(a.right) + "/";
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
    if (token.rfind("DONE", 0) == 0) {
      const std::size_t back = token.find('<');
      d.ExpansionDone(std::stoi(token.substr(4)), place,
                      back == std::string::npos ? 0 : std::stoi(token.substr(back + 1)));
    }
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
      // From a caret left at the snippet's %cursor%: forward to the word end first.
      {"mfg {DONE20<6}{BS}", "E1/3/_ U>6/21/mfg_ "},
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

// Where abbreviations stay off: a program file without its folder or a window class, whole,
// letter case ignored.
TEST(KeepOut, ProgramsAndClassesFromTheFile) {
  Windows1252CodePage ansi;
  const IniDocument doc("[KuerzelAus]\r\n1=KeePass.exe\r\n2=Chrome_WidgetWin_1\r\n", ansi);
  const std::vector<std::string> list = ReadKeepOut(&doc);
  EXPECT_EQ(list, (std::vector<std::string>{"KeePass.exe", "Chrome_WidgetWin_1"}));
  EXPECT_TRUE(KeptOut(list, "C:\\Programme\\KEEPASS.EXE", "WindowsForms10"));
  EXPECT_TRUE(KeptOut(list, "", "chrome_widgetwin_1"));
  EXPECT_FALSE(KeptOut(list, "C:\\KeePass.exe.bak", "Chrome_WidgetWin"));
  EXPECT_TRUE(ReadKeepOut(nullptr).empty());

  // Written back numbered anew: a name taken out leaves no gap and no name behind the list.
  std::vector<std::string> edited = {"Chrome_WidgetWin_1"};
  EXPECT_TRUE(AddKeepOut(edited, "  spiel.exe "));
  EXPECT_FALSE(AddKeepOut(edited, "SPIEL.EXE"));
  EXPECT_FALSE(AddKeepOut(edited, "   "));
  EXPECT_EQ(edited, (std::vector<std::string>{"Chrome_WidgetWin_1", "spiel.exe"}));
  const IniDocument longer("[KuerzelAus]\r\n1=a.exe\r\n2=b.exe\r\n3=c.exe\r\n4=d.exe\r\n", ansi);
  const IniDocument none("", ansi);
  for (const IniDocument* current : {&doc, &longer, static_cast<const IniDocument*>(nullptr)}) {
    std::string bytes;
    ASSERT_TRUE((current ? *current : none).EditAll(WriteKeepOut(current, edited), bytes));
    const IniDocument written(bytes, ansi);
    EXPECT_EQ(ReadKeepOut(&written), edited);
  }
  EXPECT_TRUE(WriteKeepOut(&doc, list).empty());
}

}  // namespace
}  // namespace qm
