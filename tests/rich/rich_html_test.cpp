#include <gtest/gtest.h>

#include <string>

#include "rich/markdown.h"
#include "rich/rich_html.h"
#include "rich/rich_output.h"
#include "rich/styled_html.h"

namespace qm {
namespace {

const std::string kPng = std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x03\0\0\0\x02", 24);
const std::string kPngAddress = DataAddress("image/png", kPng);

TEST(RichHtml, ReadsTheSubsetAndLeavesOutWhatIsNot) {
  struct Case {
    std::string html, written, plain;
    std::string problem = {};  // a word of the first problem; empty: none
  } cases[] = {
      {"<b>Max</b> <i>Muster</i>", "<b>Max</b> <i>Muster</i>", "Max Muster"},
      {"<strong>a</strong><em>b</em><ins>c</ins>", "<b>a</b><i>b</i><u>c</u>", "abc"},
      {"  Hallo \r\n  <b>Welt</b>  ", "Hallo <b>Welt</b>", "Hallo Welt"},
      {"A&amp;B &lt;&#252;&#xFC;&auml;&nbsp;&bogus;", "A&amp;B &lt;üüä&nbsp;&amp;bogus;",
       "A&B <üüä\xC2\xA0&bogus;"},
      {"<p>Eins</p><p>Zwei<br>Drei</p>", "<p>Eins</p><p>Zwei<br>Drei</p>", "Eins\nZwei\nDrei"},
      {"<p>offen<p>zu", "<p>offen</p><p>zu</p>", "offen\nzu"},
      {"<ul><li>a<li>b</ul>nach", "<ul><li>a</li><li>b</li></ul>nach", "a\nb\nnach"},
      {"<ol><li>a<ul><li>b</li></ul></li></ol>", "<ol><li>a<ul><li>b</li></ul></li></ol>",
       "a\nb"},
      {"<ul>lose</ul>", "<ul><li>lose</li></ul>", "lose"},
      {"<a href=\"https://x.de/?a=1&amp;b=\">Seite</a>",
       "<a href=\"https://x.de/?a=1&amp;b=\">Seite</a>", "Seite"},
      {"<a href=\"javascript:alert(1)\">klick</a>", "klick", "klick", "Link"},
      {"x<script>alert('<b>')</script>y<style>b{}</style>", "xy", "xy", "Aktive"},
      {"<div>a</div><div>b</div>", "a<br>b", "a\nb", "<div>"},
      {"<span style=\"color:red\" onclick=\"x()\">rot</span>", "rot", "rot", "<span>"},
      {"<b><i>x</b>y</i>", "<b><i>x</i></b>y", "xy", "verschachtelt"},
      {"<img src=\"http://fremd.de/a.png\">", "", "", "PNG"},
      {"<img src=\"data:image/png;base64,AAAA\">", "", "", "PNG"},
      {"<img src=\"" + kPngAddress + "\" alt=\"Logo\" width=\"30\" onload=\"x\">",
       "<img src=\"" + kPngAddress + "\" alt=\"Logo\" width=\"30\">", "", "onload"},
      {"<html><body><!-- c --><b>fett</b></body></html>", "<b>fett</b>", "fett"},
      {"1 < 2 und <3", "1 &lt; 2 und &lt;3", "1 < 2 und <3"},
  };
  for (const Case& c : cases) {
    const RichDocument doc = ReadRichHtml(c.html);
    EXPECT_EQ(WriteRichHtml(doc), c.written) << c.html;
    EXPECT_EQ(RichPlainText(doc), c.plain) << c.html;
    // What is written reads back as itself, without a problem.
    const RichDocument again = ReadRichHtml(WriteRichHtml(doc));
    EXPECT_EQ(WriteRichHtml(again), c.written) << c.html;
    EXPECT_TRUE(again.problems.empty()) << c.html;
    if (c.problem.empty()) {
      EXPECT_TRUE(doc.problems.empty()) << c.html << ": " << doc.problems.front();
    } else {
      ASSERT_FALSE(doc.problems.empty()) << c.html;
      EXPECT_NE(doc.problems.front().find(c.problem), std::string::npos) << doc.problems.front();
    }
  }
}

TEST(RichHtml, RefusesWhatIsTooLargeAndTellsAStalePlainText) {
  const RichDocument huge = ReadRichHtml(std::string(kMaxRichHtmlBytes + 1, 'a'));
  EXPECT_FALSE(huge.HasContent());
  EXPECT_NE(huge.problems.at(0).find("4 MB"), std::string::npos);
  const std::string big = DataAddress("image/png", kPng + std::string(kMaxRichPictureBytes, 0));
  EXPECT_NE(ReadRichHtml("<img src=\"" + big + "\">").problems.at(0).find("1 MB"),
            std::string::npos);

  const RichDocument doc = ReadRichHtml("<p>Hallo <b>Welt</b></p><ul><li>a</li></ul>");
  EXPECT_TRUE(RichMatchesPlain(doc, "Hallo Welt\r\n\ta"));
  EXPECT_FALSE(RichMatchesPlain(doc, "Hallo Welt!\r\na"));
  EXPECT_EQ(AsciiHtml("<a href=\"ü\">€</a>"), "<a href=\"&#252;\">&#8364;</a>");
  EXPECT_EQ(WriteRichHtml(ReadRichHtml(AsciiHtml("<a href=\"https://ü.de\">€</a>"))),
            "<a href=\"https://ü.de\">€</a>");
}

TEST(RichHtml, PicturesKeepTheirBytesAndSize) {
  std::string mime, bytes;
  for (const std::string tail : {"", "a", "ab"}) {
    ASSERT_TRUE(DecodeDataPicture(DataAddress("image/png", kPng + tail), &mime, &bytes));
    EXPECT_EQ(bytes, kPng + tail);
  }
  int w = 0, h = 0;
  EXPECT_TRUE(PictureSize(kPng, &w, &h));
  EXPECT_EQ(w * 10 + h, 32);
  const std::string jpeg("\xFF\xD8\xFF\xE0\0\x04xx\xFF\xC0\0\x11\x08\0\x07\0\x05\x03", 19);
  EXPECT_TRUE(PictureSize(jpeg, &w, &h));
  EXPECT_EQ(w * 10 + h, 57);
  EXPECT_FALSE(PictureSize(jpeg.substr(0, 8), &w, &h));
  EXPECT_FALSE(DecodeDataPicture("data:image/svg+xml;base64,PHN2Zz4=", &mime, &bytes));
}

TEST(RichOutput, RtfCarriesFormatsLinksListsAndPictures) {
  struct Case {
    std::string html, rtf_body;
  } cases[] = {
      {"<b>fett</b> <i>k</i><u>u</u>", "\\pard\\li0 {\\b fett} {\\i k}{\\ul u}"},
      {"a{b}\\c\tä€😀", "\\pard\\li0 a\\{b\\}\\\\c \\u228?\\u8364?\\u-10179?\\u-8704?"},
      {"<a href='https://x.de/\"q'>Seite</a>",
       "\\pard\\li0 {\\field{\\*\\fldinst{HYPERLINK \"https://x.de/%22q\"}}{\\fldrslt{\\ul\\cf1 "
       "Seite}}}"},
      {"<p>a</p><p>b<br>c</p>", "\\pard\\li0 a\\par \\pard\\li0 b\\par \\pard\\li0 c"},
      {"<ol><li>a</li><li>b<br>c</li></ol>d",
       "\\pard\\li360\\fi-360 1.\\tab a\\par \\pard\\li360\\fi-360 2.\\tab b\\par \\pard\\li360 "
       "c\\par \\pard\\li0 d"},
      {"<ul><li>a</li></ul>", "\\pard\\li360\\fi-360 \\u8226?\\tab a"},
      {"<img src=\"" + kPngAddress + "\" width=\"10\">",
       "\\pard\\li0 {\\pict\\pngblip\\picw3\\pich2\\picwgoal150\\pichgoal30 89504e47"},
  };
  for (const Case& c : cases) {
    const std::string rtf = RichToRtf(ReadRichHtml(c.html));
    const std::size_t body = rtf.find("\\fs22 ") + 6;
    EXPECT_EQ(rtf.compare(0, 6, "{\\rtf1"), 0);
    EXPECT_EQ(rtf.substr(body, c.rtf_body.size()), c.rtf_body) << c.html;
    EXPECT_EQ(rtf.back(), '}');
  }
  const std::string underlined = RichToRtf(ReadRichHtml("<a href=\"https://x.de/\">Seite</a>"), false);
  EXPECT_NE(underlined.find("{{{\\ul\\cf1 Seite}}}"), std::string::npos) << underlined;
}

TEST(RichHtml, MarkdownBecomesTheSubset) {
  const struct {
    const char* markdown;
    const char* html;
  } cases[] = {
      {"**fett** und *kursiv*, __auch__ _so_", "<b>fett</b> und <i>kursiv</i>, <b>auch</b> <i>so</i>"},
      {"snake_case_name * kein 2*3*4", "snake_case_name * kein 2<i>3</i>4"},
      {"\\*nicht\\* [Web](https://x.de) ![Logo](logo.png)",
       "*nicht* <a href=\"https://x.de\">Web</a> ![Logo](logo.png)"},
      {"Zeile eins\nzwei  \ndrei\\\nvier", "Zeile eins zwei<br>drei<br>vier"},
      {"A\r\n\r\n- x\n* y\n\n1. eins\n2) zwei\nB", "<p>A</p><ul><li>x</li><li>y</li></ul><ol><li>eins</li><li>zwei B</li></ol>"},
      {"1 < 2 & 3", "1 &lt; 2 &amp; 3"},
  };
  for (const auto& c : cases) EXPECT_EQ(MarkdownToHtml(c.markdown), c.html) << c.markdown;
  EXPECT_FALSE(IsStyledHtmlPage("<b>fett</b>"));
}

TEST(RichOutput, ClipboardHtmlOffsetsPointAtTheFragment) {
  const std::string fragment = "<b>Grüße</b>";
  const std::string clip = ClipboardHtml(fragment);
  const auto offset = [&](const std::string& key) {
    const std::size_t at = clip.find(key + ":");
    return std::stoul(clip.substr(at + key.size() + 1, 10));
  };
  EXPECT_EQ(clip.substr(offset("StartFragment"), offset("EndFragment") - offset("StartFragment")),
            fragment);
  EXPECT_EQ(clip.compare(offset("StartHTML"), 6, "<html>"), 0);
  EXPECT_EQ(offset("EndHTML"), clip.size());
}

TEST(RichOutput, FilledTextBreaksLinesAndKeepsTheMarkup) {
  const RichDocument doc = ReadRichHtml("<b>%x%</b> und %x%");
  const RichDocument filled = FillRichText(doc, [](const std::string& run) {
    return run == "%x%" ? std::string("a<b\r\nc\x01") : run;
  });
  EXPECT_EQ(WriteRichHtml(filled), "<b>a&lt;b<br>c</b> und %x%");
}

}  // namespace
}  // namespace qm
