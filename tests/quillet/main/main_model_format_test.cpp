// The main window's model with formatted entries: showing them, storing the editor's
// formatting beside the plain text, the menu "&Format".
#include <gtest/gtest.h>

#include <string>

#include "store/stored_text.h"
#include "tests/quillet/main/main_model_fixture.h"

namespace qm {
namespace {

const std::string kPng = std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x03\0\0\0\x02", 24);
// The control's RTF for "Hallo Welt" with "Hallo" made bold, as Windows writes it.
const std::string kBoldHallo =
    "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\colortbl ;\\red0\\green0\\blue0;}\\cf1 \\b Hallo"
    "\\b0  Welt\\par}";

class MainModelFormatTest : public MainModelTest {
 protected:
  void Entry(const std::string& text, const std::string& html, int crypt = 0) {
    ASSERT_TRUE(entries.WriteEntries({{1, {"Gru\xC3\x9F", text, "", crypt, 0, "", html}}},
                                     data_file));
    Load();
    Select("Gru\xC3\x9F");
  }
  std::string File() { return fs.ReadAll(data_file).value_or(""); }
};

TEST_F(MainModelFormatTest, AnEntryWithoutFormattingStaysExactlyAsItWas) {
  Entry("Hallo Welt", "");
  EXPECT_TRUE(view.rtf.empty());
  const std::string before = File();
  model.OnEditorLostFocus();
  EXPECT_EQ(File(), before);
  view.editor = "Hallo Welt!";
  model.OnEditorLostFocus();
  EXPECT_EQ(Value("Text", "1"), "Hallo Welt!");
  EXPECT_EQ(File().find("Format"), std::string::npos);
}

TEST_F(MainModelFormatTest, AFormattedEntryIsShownAndStoredOnlyWhenItsFormattingChanges) {
  Entry("Hallo Welt", "<i>Hallo</i> Welt");
  EXPECT_EQ(view.editor, "Hallo Welt");
  EXPECT_NE(view.rtf.find("\\i "), std::string::npos);
  EXPECT_EQ(view.field_problems, "");
  const std::string before = File();
  model.OnEditorLostFocus();
  EXPECT_EQ(File(), before);
  // Made bold instead in the control: the formatted version follows, the text stays.
  view.rtf = kBoldHallo;
  EXPECT_TRUE(model.HoldsUnstoredText());
  model.OnEditorLostFocus();
  EXPECT_EQ(Value("Format", "1"), "<b>Hallo</b> Welt");
  EXPECT_EQ(Value("Text", "1"), "Hallo Welt");
  // All formatting taken off: the formatted version goes.
  view.rtf = GlyphTextToRtf("Hallo Welt");
  model.OnEditorLostFocus();
  EXPECT_EQ(entries.ReadEntry(1, data_file).html, "");
}

TEST_F(MainModelFormatTest, FormattingMadeInAPlainEntryIsStored) {
  Entry("Hallo Welt", "");
  view.rtf = kBoldHallo;  // after Ctrl+B
  model.OnEditorLostFocus();
  EXPECT_EQ(Value("Format", "1"), "<b>Hallo</b> Welt");
}

TEST_F(MainModelFormatTest, AnEncipheredEntrysFormattedVersionIsEncipheredWithIt) {
  Entry("H\xC3\xA4llo Welt", "", 1);
  view.editor = "H\xC3\xA4llo Welt";
  view.rtf = "{\\rtf1\\b H\\'e4llo\\b0  Welt}";
  model.OnEditorLostFocus();
  EXPECT_EQ(Value("Format", "1").find("llo"), std::string::npos);
  EXPECT_EQ(entries.ReadEntry(1, data_file).html, "<b>H&#228;llo</b> Welt");
  EXPECT_EQ(entries.ReadEntry(1, data_file).text, "H\xC3\xA4llo Welt");
}

TEST_F(MainModelFormatTest, TheProblemLineNamesWhatOfTheFormattedVersionIsNotShown) {
  Entry("Hallo Welt neu", "<b>Hallo</b> Welt");
  EXPECT_EQ(view.field_problems, kFormatMismatch);
  // Once the editor's text is stored, its formatting is the formatted version again.
  view.editor = "Hallo Welt neu!";
  model.OnEditorLostFocus();
  EXPECT_EQ(Value("Format", "1"), "<b>Hallo</b> Welt neu!");
  EXPECT_EQ(view.field_problems, "");
  Entry("Hallo", "<div>Hallo</div>");
  EXPECT_EQ(view.field_problems,
            "Unbekannte Auszeichnungen wurden \xC3\xBC" "bergangen: <div>.");
}

TEST_F(MainModelFormatTest, TheFormatMenuActsOnTheEditor) {
  Entry("Hallo", "");
  const std::pair<QuilletCommand, const char*> commands[] = {
      {QuilletCommand::kFormatBold, "bold"},        {QuilletCommand::kFormatItalic, "italic"},
      {QuilletCommand::kFormatUnderline, "underline"}, {QuilletCommand::kFormatBullets, "bullets"},
      {QuilletCommand::kFormatNumbers, "numbers"},  {QuilletCommand::kFormatClear, "clear"}};
  for (const auto& [command, name] : commands) model.OnFormatCommand(command);
  EXPECT_EQ(view.formatting,
            (std::vector<std::string>{"bold", "italic", "underline", "bullets", "numbers",
                                      "clear"}));
}

TEST_F(MainModelFormatTest, ALinkAsksItsAddressAndWhereNothingIsSelectedItsText) {
  Entry("Hallo", "");
  view.EditorSelect(5, 0);
  dialogs.text_answers = {"javascript:alert(1)"};
  model.OnFormatCommand(QuilletCommand::kFormatLink);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_NE(dialogs.messages[0].text.find("kann kein Link werden"), std::string::npos);
  EXPECT_TRUE(view.formatting.empty());
  dialogs.text_answers = {" https://x.de ", "Seite"};
  model.OnFormatCommand(QuilletCommand::kFormatLink);
  EXPECT_EQ(view.editor, "HalloSeite");
  EXPECT_EQ(dialogs.prompts.back().initial, "https://x.de");
  // Selected text becomes the link without a question for it; the same address, the same link.
  view.EditorSelect(0, 5);
  dialogs.text_answers = {"https://x.de"};
  const std::size_t asked = dialogs.prompts.size();
  model.OnFormatCommand(QuilletCommand::kFormatLink);
  EXPECT_EQ(dialogs.prompts.size(), asked + 1);
  const std::string link = "link " + std::to_string(LinkColour(0));
  EXPECT_EQ(view.formatting, (std::vector<std::string>{link, link}));
}

TEST_F(MainModelFormatTest, APictureGoesInAsItsMarkAndIsStoredAsPartOfTheFormattedVersion) {
  Entry("Logo", "");
  fs.SetFile("C:\\b\\gross.png", kPng + std::string(kMaxRichPictureBytes, 'x'));
  fs.SetFile("C:\\b\\text.png", "kein Bild");
  fs.SetFile("C:\\b\\logo.png", kPng);
  model.InsertPicture("C:\\b\\gross.png");
  model.InsertPicture("C:\\b\\text.png");
  ASSERT_EQ(dialogs.messages.size(), 2u);
  EXPECT_NE(dialogs.messages[0].text.find("gr\xC3\xB6\xC3\x9F" "er als 1 MB"), std::string::npos);
  EXPECT_NE(dialogs.messages[1].text.find("kein PNG- oder JPEG-Bild"), std::string::npos);
  view.EditorSelect(4, 0);
  model.InsertPicture("C:\\b\\logo.png");
  EXPECT_EQ(view.formatting,
            std::vector<std::string>{"picture " + std::to_string(PictureColour(0))});
  EXPECT_EQ(view.editor, "Logo" + std::string(kPictureMarkUtf8));
  // Copied, the mark stays behind: the clipboard holds plain text.
  view.EditorSelect(2, 3);
  model.OnEditCommand(QuilletCommand::kEditCopy);
  EXPECT_EQ(clipboard.ReadText(), "go");
  // Pasted: a picture alone comes in as one; beside text
  // the text is meant; one too large is refused by name.
  // With nothing on the clipboard, a paste leaves the selection as it is.
  clipboard.text.reset();
  view.EditorSelect(0, 2);
  model.OnEditCommand(QuilletCommand::kEditPaste);
  EXPECT_EQ(view.editor, "Logo" + std::string(kPictureMarkUtf8));
  clipboard.picture = kPng;
  model.UpdateControlStates();
  EXPECT_TRUE(view.states.paste) << "a picture alone can be pasted";
  view.EditorSelect(0, 0);
  model.OnEditCommand(QuilletCommand::kEditPaste);
  EXPECT_EQ(view.formatting.back(), "picture " + std::to_string(PictureColour(1)));
  clipboard.text = "Text";
  model.OnEditCommand(QuilletCommand::kEditPaste);
  clipboard.text.reset();
  clipboard.picture = kPng + std::string(kMaxRichPictureBytes, 'x');
  model.OnEditCommand(QuilletCommand::kEditPaste);
  EXPECT_NE(dialogs.messages.back().text.find("Zwischenablage ist gr\xC3\xB6\xC3\x9F" "er als 1 MB"),
            std::string::npos);
  EXPECT_EQ(view.editor, kPictureMarkUtf8 + std::string("TextLogo") + kPictureMarkUtf8);
  view.editor = "Logo" + std::string(kPictureMarkUtf8);
  // As the control writes it out: the mark, a Wingdings colon, in the picture's colour.
  view.rtf = "{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset2 Wingdings;}}{\\colortbl;\\red0"
             "\\green128\\blue0;}Logo\\f1\\cf1 :}";
  model.OnEditorLostFocus();
  EXPECT_EQ(Value("Text", "1"), "Logo");
  // Escaped as the text is: the quotes as \H.
  EXPECT_EQ(UnescapeStoredText(entries.ReadEntry(1, data_file).html),
            "Logo<img src=\"" + DataAddress("image/png", kPng) + "\">");
}

}  // namespace
}  // namespace qm
