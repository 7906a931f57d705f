// The editor's display form: conversions both ways, the rich text it is shown with, the caret
// rule around glyphs and find.
#include "quillet/main/glyph_text.h"

#include <gtest/gtest.h>

#include "store/stored_text.h"

namespace qm {
namespace {

const std::string E = kEnterGlyphUtf8, T = kTabGlyphUtf8;

TEST(GlyphTextTest, StoredFormAndEditorTextConvertBothWays) {
  const struct {
    const char* name;
    std::string stored;  // escaped
    std::string glyphs;
    std::string editor;  // as the editor holds it after showing the glyphs
  } cases[] = {
      {"enter", "Hallo\\N", "Hallo" + E, "Hallo" + E + "\r"},
      {"two enters", "a\\N\\Nb", "a" + E + E + "b", "a" + E + "\r" + E + "\rb"},
      {"tabs", "\\T\\Tx", T + T + "x", T + "\r" + T + "\rx"},
      {"escapes", "C:\\\\neu \\Hzitiert\\H", "C:\\neu \"zitiert\"", "C:\\neu \"zitiert\""},
      // Letters that look like the glyphs in an ANSI font stay letters.
      {"letters", "N\xC3\x83O \xC3\xB0", "N\xC3\x83O \xC3\xB0", "N\xC3\x83O \xC3\xB0"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(StoredToGlyphs(c.stored), c.glyphs) << c.name;
    EXPECT_EQ(EditorToStored(c.editor), c.stored) << c.name;
    // The editor may hand its paragraph ends over as CR LF as well.
    std::string crlf;
    for (char ch : c.editor) crlf += ch == '\r' ? std::string("\r\n") : std::string(1, ch);
    EXPECT_EQ(EditorToStored(crlf), c.stored) << c.name;
  }
}

TEST(GlyphTextTest, LineBreaksWithoutAGlyphOnlyLayTheTextOut) {
  EXPECT_EQ(EditorToStored("Zeile 1\r\nZeile 2"), "Zeile 1Zeile 2");
  EXPECT_EQ(EditorToStored("Zeile 1\rZeile 2\r"), "Zeile 1Zeile 2");
  // A stored carriage return survives a save without edit; a typed "ð" is no Tab key.
  EXPECT_EQ(UnescapeStoredText(EditorToStored("\xC3\xB0")), "\xC3\xB0");
}

TEST(GlyphTextTest, PastedLineBreaksAndTabsBecomeGlyphsAndAreStored) {
  const struct {
    const char* name;
    std::string pasted;
    std::string editor;
    std::string stored;
  } cases[] = {
      {"crlf", "Str. 1\r\n12345 Ort", "Str. 1" + E + "\r12345 Ort", "Str. 1\\N12345 Ort"},
      {"lf and cr", "a\nb\rc\n", "a" + E + "\rb" + E + "\rc" + E + "\r", "a\\Nb\\Nc\\N"},
      {"empty line", "a\r\n\r\nb", "a" + E + "\r" + E + "\rb", "a\\N\\Nb"},
      {"tab, then enter", "x\t\ny", "x" + T + "\r" + E + "\ry", "x\\T\\Ny"},
      // A copy of the editor's own text: each glyph brings its line break along.
      {"own copy", "a" + E + "\r\nb" + T, "a" + E + "\rb" + T + "\r", "a\\Nb\\T"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PastedTextToEditorText(c.pasted), c.editor) << c.name;
    EXPECT_EQ(EditorToStored(PastedTextToEditorText(c.pasted)), c.stored) << c.name;
  }
}

TEST(GlyphTextTest, RichTextCarriesFontsColoursAndEveryCharacter) {
  const std::string rtf = GlyphTextToRtf("a{b}\\c" + E + "\xE2\x82\xAC" + T + "\xF0\x9F\x98\x80");
  EXPECT_EQ(rtf.rfind("{\\rtf1", 0), 0u);
  EXPECT_NE(rtf.find("{\\f1\\fnil\\fcharset2 Wingdings;}"), std::string::npos);
  EXPECT_NE(rtf.find("a\\{b\\}\\\\c\\f1\\cf2 \\u-3901?\\par\\f0\\cf1 \\u8364?"), std::string::npos)
      << rtf;
  EXPECT_NE(rtf.find("\\f1\\cf3 \\u-3856?\\par\\f0\\cf1 \\u-10179?\\u-8704?}"), std::string::npos)
      << rtf;
  const std::vector<DisplayRun> runs = DisplayRuns("x" + E + E + "y" + T);
  ASSERT_EQ(runs.size(), 5u);
  EXPECT_EQ(runs[1].kind, RunKind::kEnter);
  EXPECT_EQ(runs[4].kind, RunKind::kTab);
}

TEST(GlyphTextTest, TheCaretSkipsTheLineBreakBehindAGlyph) {
  const std::u16string glyph_line = u"Hallo\uF0C3\r\nWelt";
  const std::u16string rich_edit = u"Hallo\uF0C3\rWelt";
  const struct {
    std::u16string text;
    std::size_t caret, expected;
  } cases[] = {
      {glyph_line, 0, 0},   {glyph_line, 6, 8},   {rich_edit, 6, 7},
      {rich_edit, 5, 5},    {rich_edit, 7, 7},    {u"\uF0F0", 1, 1},
      {u"\u00C3\r", 1, 1},  // the letter, not the glyph
      {u"\uF0F0\n", 1, 2},
  };
  for (const auto& c : cases) EXPECT_EQ(SkipControlGlyph(c.text, c.caret), c.expected) << c.caret;
}

TEST(GlyphTextTest, FindIgnoresCaseAndCountsUtf16Units) {
  const std::string text = "\xF0\x9F\x98\x80 Gr\xC3\xBC\xC3\x9F" "e und GR\xC3\x9C\xC3\x9F" "E";
  EXPECT_EQ(FindInEditorText(text, "gr\xC3\xBC\xC3\x9F" "e", 0), std::optional<std::size_t>(3));
  EXPECT_EQ(FindInEditorText(text, "gr\xC3\xBC\xC3\x9F" "e", 4), std::optional<std::size_t>(13));
  EXPECT_EQ(FindInEditorText(text, "gr\xC3\xBC\xC3\x9F" "e", 14), std::nullopt);
  EXPECT_EQ(FindInEditorText(text, "", 0), std::nullopt);
  EXPECT_EQ(FindInEditorText(text, "x", 99), std::nullopt);
  EXPECT_EQ(Utf16Length(text), 18u);
}

}  // namespace
}  // namespace qm
