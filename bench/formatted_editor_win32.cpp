// A formatted entry in Quillet's real main window: 20,000 characters with bold words, links,
// a list, Enters and Tabs and a 500 KB picture, laid onto its text, written as RTF and
// streamed into the RichEdit (target: under 200 ms, median), beside the same text shown plain;
// and the way back, the RTF the control writes out read as the plain text and the HTML.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_main_window_win32.h"
#include "bench/bench_support_win32.h"
#include "platform/picture_codec_win32.h"
#include "quillet/main/editor_format.h"
#include "quillet/main/glyph_text.h"
#include "quillet/main/main_form_win32.h"

namespace {

using namespace qm::bench;  // NOLINT: the timing helpers read best unqualified

// A real PNG of about `size` bytes: noise, which does not compress, so that the editor has
// all of it to decode.
std::string Picture(std::size_t size) {
  const UINT width = 420, height = static_cast<UINT>(size / (3 * 420));
  const UINT stride = (width * 3 + 3) / 4 * 4;
  std::string rows(std::size_t{stride} * height, '\0');
  unsigned state = 12345;
  for (char& c : rows) {
    state = state * 1103515245u + 12345u;
    c = static_cast<char>(state >> 16);
  }
  return qm::EncodePng(rows, width, height, stride).value_or("");
}

// The pictures of what is shown, for the editor to paint.
std::vector<std::string> PictureFiles(const qm::EditorShowing& show) {
  std::vector<std::string> files;
  for (const qm::RichNode& picture : show.attachments.pictures) {
    std::string mime, bytes;
    qm::DecodeDataPicture(picture.value, &mime, &bytes);
    files.push_back(bytes);
  }
  return files;
}

// The glyph text and its formatted version: lines of words, every third word bold, every
// tenth line a link, lines 20..29 a bulleted list, a Tab in every fourth line, the picture
// after the first line.
void Entry(std::size_t chars, std::string* glyphs, std::string* html) {
  static const char* const words[] = {"Sehr", "geehrte", "Damen", "und", "Herren", "vielen",
                                      "Dank", "für", "Ihre", "Anfrage", "Grüße", "Köln"};
  const std::string picture =
      "<img src=\"" + qm::DataAddress("image/png", Picture(500 * 1024)) + "\">";
  std::size_t shown = 0;
  for (int line = 0; shown < chars; ++line) {
    const bool item = line >= 20 && line < 30;
    if (line == 20) *html += "<ul>";
    if (line == 30) *html += "</ul>";
    if (item) *html += "<li>";
    for (int w = 0; w < 8 && shown < chars; ++w) {
      const std::string word = words[(line * 8 + w) % 12];
      const bool tab = w == 4 && line % 4 == 0;
      *glyphs += (w == 0 ? "" : tab ? qm::kTabGlyphUtf8 : " ") + word;
      *html += w == 0 ? "" : " ";
      if (line % 10 == 5 && w == 2) {
        *html += "<a href=\"https://example.de/" + std::to_string(line) + "\">" + word + "</a>";
      } else {
        *html += w % 3 == 0 ? "<b>" + word + "</b>" : word;
      }
      shown += qm::Utf16Length(word) + 1;
    }
    *glyphs += qm::kEnterGlyphUtf8;
    *html += item ? "</li>" : "<br>";
    if (line == 0) *html += picture;
  }
  if (html->find("</ul>") == std::string::npos) *html += "</ul>";
}

}  // namespace

int main() {
  qm::MainForm form(GetModuleHandleW(nullptr));
  if (!MakeMainWindow(form, true)) return 1;
  HWND editor = nullptr;
  std::string glyphs, html;
  Entry(20000, &glyphs, &html);

  // What is timed must be right: the editor gives back the text and the formatted version.
  qm::EditorShowing show = qm::ShowFormatted(glyphs, html);
  form.ShowFormattedText(show.glyph_text, show.rtf);
  const qm::EditorContent back =
      qm::ReadEditor(form.EditorText(), form.EditorRtf(), show.attachments);
  if (!show.problems.empty() || back.stored != qm::EditorToStored(
                                                    qm::GlyphTextAsEditorText(glyphs)) ||
      back.html != show.html || back.html.find("<img") == std::string::npos) {
    std::fprintf(stderr, "the editor does not give the entry back\n");
    return 1;
  }
  std::printf("round trip ok: %zu characters, formatted version %zu bytes\n",
              qm::Utf16Length(glyphs), html.size());

  constexpr int kRounds = 9;
  std::vector<double> formatted, plain, read;
  for (int round = 0; round < kRounds; ++round) {
    form.ShowGlyphText("x");
    PumpMessages();
    // Until the picture is on the screen: decoded and painted over its mark.
    double t0 = Seconds();
    show = qm::ShowFormatted(glyphs, html);
    form.EditorSetPictures(PictureFiles(show));
    form.ShowFormattedText(show.glyph_text, show.rtf);
    editor = GetDlgItem(form.hwnd(), qm::kIdEditor);
    RedrawWindow(editor, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    formatted.push_back((Seconds() - t0) * 1e3);
    form.EditorSetPictures({});
    PumpMessages();
    t0 = Seconds();
    qm::ReadEditor(form.EditorText(), form.EditorRtf(), show.attachments);
    read.push_back((Seconds() - t0) * 1e3);
    form.ShowGlyphText("x");
    PumpMessages();
    t0 = Seconds();
    form.ShowGlyphText(glyphs);
    editor = GetDlgItem(form.hwnd(), qm::kIdEditor);
    RedrawWindow(editor, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    plain.push_back((Seconds() - t0) * 1e3);
  }
  std::printf("\nin ms, median (min) of %d:\n", kRounds);
  std::printf("  showing it formatted       %8.1f (%.1f)\n", Median(formatted),
              *std::min_element(formatted.begin(), formatted.end()));
  std::printf("  showing its text plain     %8.1f (%.1f)\n", Median(plain),
              *std::min_element(plain.begin(), plain.end()));
  std::printf("  reading it back (storing)  %8.1f (%.1f)\n", Median(read),
              *std::min_element(read.begin(), read.end()));
  std::printf("\nshowing a formatted entry of 20,000 characters with a 500 KB picture: %.1f ms "
              "(target under 200)%s\n",
              Median(formatted), Median(formatted) < 200 ? "" : "  MISSED");
  return 0;
}
