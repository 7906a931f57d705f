#include <gtest/gtest.h>

#include <string>

#include "quillet/main/editor_format.h"
#include "quillet/main/glyph_text.h"

namespace qm {
namespace {

const std::string E = kEnterGlyphUtf8, T = kTabGlyphUtf8, M = kPictureMarkUtf8;
const std::string kPng = std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x03\0\0\0\x02", 24);
const std::string kPngAddress = DataAddress("image/png", kPng);
const std::string kHead = "{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset2 Wingdings;}}";

TEST(EditorFormat, AFormattedEntryGoesIntoTheEditorAndComesBackAsItWas) {
  const struct {
    std::string glyphs, html;
  } cases[] = {
      {"Mit freundlichen Gr\xC3\xBC\xC3\x9F" "en" + E + "Max Muster" + E + "Tel.:" + T + "0123" +
           E + "www.x.de",
       "Mit freundlichen Gr\xC3\xBC\xC3\x9F" "en<br><b>Max Muster</b><br>Tel.: 0123<br>"
       "<a href=\"https://www.x.de\">www.x.de</a>"},
      {"Punkte:" + E + "eins" + E + "zwei" + E + "Ende",
       "Punkte:<ul><li>eins</li><li>zwei</li></ul>Ende"},
      {"a" + E + "b", "<ol><li>a</li><li><i>b</i></li></ol>"},
      // A Tab's line break only lays the item out.
      {"Name:" + T + "Erika" + E + "Ort", "<ul><li>Name: Erika</li></ul>Ort"},
      // Blanks in a row stay as such, every second one a no-break space.
      {"x y  z", "<b>x <i>y</i></b> &nbsp;<u>z</u>"},
      {"Logo: ", "Logo: <img src=\"" + kPngAddress + "\">"},
      {"Gru\xC3\x9F" + E, "Gru\xC3\x9F<br><img src=\"" + kPngAddress + "\" alt=\"Logo\">"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.html);
    const EditorShowing show = ShowFormatted(c.glyphs, c.html);
    EXPECT_TRUE(show.problems.empty()) << show.problems.front();
    EXPECT_EQ(show.html, c.html);
    const EditorContent back =
        ReadEditor(GlyphTextAsEditorText(show.glyph_text), show.rtf, show.attachments);
    EXPECT_EQ(back.stored, EditorToStored(GlyphTextAsEditorText(c.glyphs)));
    EXPECT_EQ(back.html, c.html);
  }
  // The picture after a line break stands on the next line, after the glyph.
  EXPECT_EQ(ShowFormatted("Gru\xC3\x9F" + E, "Gru\xC3\x9F<br><img src=\"" + kPngAddress + "\">")
                .glyph_text,
            "Gru\xC3\x9F" + E + M);
}

TEST(EditorFormat, WhatNoLongerMatchesKeepsItsFormattingAroundTheChangeAndSaysSo) {
  const struct {
    std::string glyphs, html, shown, problem;
  } cases[] = {
      {"Hallo Welt" + E + "neu", "<b>Hallo</b> Welt", "<b>Hallo</b> Welt<br>neu", kFormatMismatch},
      {"Hallo liebe Welt", "<b>Hallo</b> <i>Welt</i>", "<b>Hallo</b> liebe <i>Welt</i>",
       kFormatMismatch},
      {"a b", "<div>a</div> <span>b</span>", "",
       "Unbekannte Auszeichnungen wurden \xC3\xBC" "bergangen: <div>, <span>."},
      // A picture inside the difference still finds its place.
      {"eins drei", "<i>eins</i> zwei <img src=\"" + kPngAddress + "\"> drei",
       "<i>eins</i> <img src=\"" + kPngAddress + "\">drei", kFormatMismatch},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.html);
    const EditorShowing show = ShowFormatted(c.glyphs, c.html);
    ASSERT_EQ(show.problems.size(), 1u);
    EXPECT_EQ(show.problems.front(), c.problem);
    EXPECT_EQ(show.html, c.shown);
  }
}

TEST(EditorFormat, TheControlsRtfGivesTheLooksToTheTextItReports) {
  EditorAttachments attachments;
  attachments.AddLink("https://x.de");
  attachments.AddPicture(*PictureFromFile(kPng));
  const struct {
    std::string text, rtf, stored, html;
  } cases[] = {
      // Plain: no RTF, or RTF without formatting (the glyphs' colours are none).
      {"a" + E + "\rb", "", "a\\Nb", ""},
      {"a" + E + "\rb", GlyphTextToRtf("a" + E + "b"), "a\\Nb", ""},
      // A writer that puts a letter beyond its code page as its nearest one.
      {"\xC5\x81\xC3\xB3" "d", "{\\rtf1\\b Lo\\b0 d\\par}", "\xC5\x81\xC3\xB3" "d",
       "<b>\xC5\x81\xC3\xB3</b>d"},
      // Link colours: the first link, then one the editor does not know, which stays text.
      {"Seite x", kHead + "{\\colortbl;\\red5\\green99\\blue192;\\red5\\green99\\blue193;}"
                          "\\cf1\\ul Seite\\ulnone\\cf0  \\cf2 x}",
       "Seite x", "<a href=\"https://x.de\">Seite</a> x"},
      // A picture's mark in its colour leaves the text; one in another colour is a character.
      {M + "x" + M, kHead + "{\\colortbl;\\red0\\green128\\blue0;}\\f1\\cf1 :\\f0\\cf0 x\\f1 :}",
       "x" + M, "<img src=\"" + kPngAddress + "\">x" + M},
      // A picture the control holds itself; where the RTF ends early (Wine's writer stops at
      // an embedded object), the rest of the text stays, unformatted.
      {"a\xEF\xBF\xBC" "bcd",
       "{\\rtf1\\b a{\\pict\\pngblip 89504e470d0a1a0a0000000d494844520000000300000002}b",
       "abcd", "<b>a<img src=\"" + kPngAddress + "\">b</b>cd"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.rtf);
    const EditorContent content = ReadEditor(c.text, c.rtf, attachments);
    EXPECT_EQ(content.stored, c.stored);
    EXPECT_EQ(content.html, c.html);
  }
}

TEST(EditorFormat, LinksAndPicturesAreKeptOnceAndUpToTheirLimits) {
  EditorAttachments a;
  EXPECT_EQ(a.AddLink("https://a.de"), 0u);
  EXPECT_EQ(a.AddLink("https://b.de"), 1u);
  EXPECT_EQ(a.AddLink("https://a.de"), 0u);
  for (std::size_t i = a.links.size(); i < kMaxEditorLinks; ++i) {
    a.AddLink("https://x.de/" + std::to_string(i));
  }
  EXPECT_EQ(a.AddLink("https://c.de"), std::nullopt);
  // Their colours are apart from each other's and from the glyphs'.
  EXPECT_TRUE(IsLinkColour(LinkColour(kMaxEditorLinks - 1)));
  EXPECT_FALSE(IsLinkColour(PictureColour(kMaxEditorPictures - 1)));
  EXPECT_NE(LinkColour(kMaxEditorLinks - 1), PictureColour(0));
  EXPECT_NE(PictureColour(kMaxEditorPictures - 1), LinkColour(0));
  for (const std::uint32_t glyph : {kEnterColour, kTabColour, kTextColour}) {
    EXPECT_NE(LinkColour(0), glyph);
    EXPECT_NE(PictureColour(0), glyph);
  }
}

TEST(EditorFormat, OnlyWebMailFtpAndTelephoneAddressesBecomeLinks) {
  for (const char* good : {"https://x.de/?a=1&b=\"2\"", "http://x", "mailto:a@b.de", "ftp://f.de",
                           "tel:+49 30 1234"}) {
    EXPECT_TRUE(LinkAddressAllowed(good)) << good;
  }
  for (const char* bad : {"javascript:alert(1)", "www.x.de", "https://", "file:///C:/x"}) {
    EXPECT_FALSE(LinkAddressAllowed(bad)) << bad;
  }
  EXPECT_FALSE(PictureFromFile("GIF89a"));
  EXPECT_EQ(PictureFromFile(kPng)->value, kPngAddress);
}

}  // namespace
}  // namespace qm
