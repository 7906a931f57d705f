#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "rich/rtf_reader.h"

namespace qm {
namespace {

// The runs in short: "<biu#rrggbb>" before a text run (no colour: none given), "|" for a
// paragraph's end with "*" for a bullet or "#" for a number, "[mime bytes WxH]" a picture.
std::string Show(const std::vector<RtfRun>& runs) {
  std::string out;
  for (const RtfRun& r : runs) {
    if (r.kind == RtfRun::Kind::kParagraphEnd) {
      out += r.list == RtfList::kBullet ? "|*" : r.list == RtfList::kNumber ? "|#" : "|";
    } else if (r.kind == RtfRun::Kind::kPicture) {
      out += "[" + r.mime + " " + std::to_string(r.text.size()) + " " +
             std::to_string(r.width_twips) + "x" + std::to_string(r.height_twips) + "]";
    } else {
      out += std::string("<") + (r.bold ? "b" : "") + (r.italic ? "i" : "") +
             (r.underline ? "u" : "");
      if (r.colour != kRtfAutoColour) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "#%02x%02x%02x", r.colour & 0xFF, (r.colour >> 8) & 0xFF,
                      r.colour >> 16);
        out += hex;
      }
      out += ">" + r.text;
    }
  }
  return out;
}

TEST(RtfReader, ReadsWhatRichEditControlsWriteOut) {
  const struct {
    const char* rtf;
    const char* runs;
  } cases[] = {
      // Wine's writer: the default font's weight written as \b, lists as \pn with \pntext.
      {"{\\rtf1\\ansi\\ansicpg1252\\uc1\\deff0\\deflang1033\\deflangfe1033{\\fonttbl{\\f0"
       "\\fcharset0 Arial;}{\\f1\\fcharset2 Symbol;}}\r\n{\\colortbl;\\red0\\green0\\blue0;}\r\n"
       "{\\*\\generator Wine Riched20 2.0;}\r\n\\pard{\\pntext\\f1 \\'b7\\tab}{\\*\\pn\\pnlvlblt"
       "\\pnf1\\pnindent0{\\pntxtb\\'b7}}\\sl-240\\slmult1 \\b\\cf1\\lang1033\\fs20\\f0 a\\par\r\n"
       "{\\pntext\\f1 \\'b7\\tab}b\\par\r\n\\pard{\\pntext\\f0 1.\\tab}{\\*\\pn\\pnlvlbody\\pnf0"
       "\\pnindent360\\pnstart1\\pndec{\\pntxta.}}\\b0 c\\par\r\n\\pard d\\par\r\n}",
       "<b#000000>a|*<b#000000>b|*<#000000>c|#<#000000>d|"},
      // Wine's writer: a character beyond the code page as its nearest letter, a link's colour,
      // the glyphs in Wingdings as bytes (one of them a letter), a soft hyphen as a byte.
      {"{\\rtf1\\ansi\\ansicpg1252\\uc1\\deff0{\\fonttbl{\\f0\\fcharset0 Arial;}{\\f1\\fcharset2 "
       "Wingdings;}}\r\n{\\colortbl;\\red0\\green0\\blue0;\\red5\\green99\\blue193;\\red255"
       "\\green0\\blue0;}\r\n\\pard\\cf1\\fs20\\f0 \\'80Lo\\u20013?\\u-10179?\\u-8704? \\cf2\\ul "
       "Link\\cf1\\ulnone  \\i x\\'a0y\\'adz\\tab t\\cf3\\f1 @\\'c3\\par\r\n\\f0 a\\{\\\\b\\par\r\n}",
       "<#000000>\xE2\x82\xAC" "Lo\xE4\xB8\xAD\xF0\x9F\x98\x80 <u#0563c1>Link<#000000> "
       "<i#000000>x\xC2\xA0y\xC2\xADz\tt<i#ff0000>\xEF\x81\x80\xEF\x83\x83|"
       "<i#ff0000>a{\\b|"},
      // Windows' writer: \'hh in each font's code page (one it cannot decode counts one
      // character each), glyphs as bytes, lists without \pard between their paragraphs,
      // a picture as PNG.
      {"{\\rtf1\\ansi\\ansicpg1252\\deff0\\nouicompat\\deflang1031{\\fonttbl{\\f0\\fswiss"
       "\\fcharset0 Arial;}{\\f1\\fnil\\fcharset2 Wingdings;}{\\f2\\fnil\\fcharset2 Symbol;}"
       "{\\f3\\fnil\\fcharset238 Arial;}}\r\n{\\colortbl ;\\red0\\green0\\blue0;\\red255\\green0"
       "\\blue0;}\r\n{\\*\\generator Riched20 10.0.19041}\\viewkind4\\uc1 \r\n\\pard\\cf1\\f0"
       "\\fs20\\lang1031 Gr\\'fc\\'dfe \\b fett\\b0 , \\f3\\'a3\\'f3d\\'9f\\cf2\\f1\\'c3\\cf1\\f0"
       "\\par\r\n{\\pntext\\f2\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnf2\\pnindent0{\\pntxtb\\'b7}}\\fi-360"
       "\\li360 eins\\par\r\n{\\pntext\\f0 1.\\tab}{\\*\\pn\\pnlvlbody\\pnf0\\pnindent0\\pnstart1"
       "\\pndec{\\pntxta.}}zwei\\par\r\n\\pard\\sa200\\sl276\\slmult1 Bild: {\\pict{\\*\\picprop}"
       "\\pngblip\\picw8\\pich6\\picwgoal120\\pichgoal90 89504e47\r\n0d0a}\\par\r\n}",
       "<#000000>Gr\xC3\xBC\xC3\x9F" "e <b#000000>fett<#000000>, \xEF\xBF\xBD\xEF\xBF\xBD"
       "d\xEF\xBF\xBD<#ff0000>\xEF\x83\x83|<#000000>eins|*<#000000>zwei|#<#000000>Bild: "
       "[image/png 6 120x90]|"},
      // Groups keep their properties; \plain, \ul0 and \ulnone end them.
      {"{\\rtf1 a{\\b b{\\i c}d}e\\ul f\\ul0 g\\uldb h\\ulnone i\\b\\i j\\plain k}",
       "<>a<b>b<bi>c<b>d<>e<u>f<>g<u>h<>i<bi>j<>k|"},
      // \uN with its fallback, also of two bytes; a lone surrogate; \uc inside a group.
      {"{\\rtf1\\uc1 a\\u8364?b{\\uc2\\u20013\\'d6\\'d0}c\\u-10179?d}",
       "<>a\xE2\x82\xAC" "b\xE4\xB8\xAD" "c\xEF\xBF\xBD" "d|"},
      // A symbol font's letters and bytes are its characters; a double-byte font's pairs one.
      {"{\\rtf1{\\fonttbl{\\f1\\fcharset2 Wingdings;}{\\f2\\fcharset134 SimSun;}}\\f1 @\\'c3"
       "\\f2\\'d6\\'d0a}",
       "<>\xEF\x81\x80\xEF\x83\x83\xEF\xBF\xBD" "a|"},
      // Control symbols and character keywords.
      {"{\\rtf1 x\\~y\\-z\\_w\\line u\\emdash\\ldblquote\\rdblquote}",
       "<>x\xC2\xA0y\xC2\xADz\xE2\x80\x91w\x0Bu\xE2\x80\x94\xE2\x80\x9C\xE2\x80\x9D|"},
      // What is no text of the control's; a field's result is.
      {"{\\rtf1{\\*\\unknown skip{\\b x}}{\\stylesheet{\\s0 Normal;}}{\\info{\\title T}}a"
       "{\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt Seite}}b\\\r\nc}",
       "<>aSeiteb|<>c|"},
      // The colour table's empty first entry is no colour; an entry may lack a component.
      {"{\\rtf1{\\colortbl;\\red255\\green0\\blue0;\\blue255;}a\\cf1 b\\cf2 c\\cf0 d}",
       "<>a<#ff0000>b<#0000ff>c<>d|"},
      // A numbered list continued, then ended by \pard.
      {"{\\rtf1{\\*\\pn\\pnlvlbody\\pndec}a\\par{\\*\\pn\\pnlvlcont}b\\par\\pard c}",
       "<>a|#<>b|<>c|"},
      // Pictures: Word's PNG beside its metafile for old readers counts once; one in binary;
      // one of another kind keeps its place without its bytes; scaling.
      {"{\\rtf1 a{\\*\\shppict{\\pict\\pngblip\\picwgoal100\\picscalex50 8950}}{\\nonshppict"
       "{\\pict\\wmetafile8 0102}}b{\\pict\\jpegblip\\bin3 \xFF\xD8\xFF}c{\\pict\\wmetafile8 "
       "0102}}",
       "<>a[image/png 2 50x0]<>b[image/jpeg 3 0x0]<>c[ 0 0x0]|"},
      {"{\\rtf1}", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(Show(ReadRtf(c.rtf)), c.runs) << c.rtf;
  // Wine's writer puts a NUL for a bullet it cannot name, and one behind the last brace.
  const std::string z(1, '\0');
  const std::string nul = "{\\rtf1{\\pntext\\f1 " + z + "\\tab}a" + z + "b\\par}" + z;
  EXPECT_EQ(Show(ReadRtf(nul)), "<>ab|");
}

}  // namespace
}  // namespace qm
