// Showing a snippet in Quillet's real main window (RTF built and streamed into the RichEdit,
// replacing the one shown before): a 30,000-character text with 500 glyphs against a
// 3,000-character one with 50; the target is large/small at most 12 (medians), and the large
// one's absolute time is quoted. Beside it: taking a snippet away, and a show into an emptied
// editor.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "quillet/main/glyph_text.h"
#include "quillet/main/main_form_win32.h"
#include "store/stored_text.h"
#include "bench/bench_main_window_win32.h"
#include "bench/bench_support_win32.h"

namespace {

using namespace qm::bench;  // NOLINT: the timing helpers read best unqualified

std::size_t CodePoints(const std::string& utf8) {
  return static_cast<std::size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

// A snippet in its stored form: ordinary words, some umlauts and a few characters beyond
// U+00FF, with Enters and Tabs spread evenly through it. `chars` counts code points, each
// Enter or Tab as one, as the editor shows them. `first_word` varies the text.
std::string StoredSnippet(std::size_t chars, std::size_t glyphs, std::size_t first_word) {
  static const char* const words[] = {
      "Sehr", "geehrte", "Damen", "und", "Herren,", "vielen", "Dank", "für", "Ihre",
      "Anfrage", "vom", "März.", "Wir", "schicken", "Ihnen", "gern", "das", "Angebot",
      "über", "120 €", "zurück", "–", "größer", "als", "„geplant“", "Grüße", "aus",
      "Köln", "Übersicht", "Straße", "Łódź", "\"Muster\"", "Ω-Wert", "Öffnungszeiten", "ab",
      "Montag", "bitte", "bestätigen", "Sie", "den", "Termin."};
  constexpr std::size_t kWords = sizeof words / sizeof *words;
  // The words alone, one code point per element, as long as the text without its glyphs.
  std::vector<std::string> letters;
  for (std::size_t w = 0; letters.size() < chars - glyphs; ++w) {
    const std::string word = std::string(w ? " " : "") + words[(first_word + w) % kWords];
    for (std::size_t i = 0; i < word.size() && letters.size() < chars - glyphs;) {
      std::size_t len = 1;
      while (i + len < word.size() && (static_cast<unsigned char>(word[i + len]) & 0xC0) == 0x80) {
        ++len;
      }
      letters.push_back(word.substr(i, len));
      i += len;
    }
  }
  std::string plain;
  std::size_t next = 0, placed = 0;
  for (std::size_t pos = 0; pos < chars; ++pos) {
    if (placed < glyphs && pos == (placed + 1) * chars / (glyphs + 1)) {
      // Two Enters for every Tab, as letters and forms have them.
      plain += placed % 3 == 2 ? '\t' : '\r';
      ++placed;
    } else {
      plain += letters[next++];
    }
  }
  return qm::EscapeStoredText(plain);
}

}  // namespace

int main() {
  qm::MainForm form(GetModuleHandleW(nullptr));
  if (!MakeMainWindow(form, false)) return 1;

  struct Size {
    const char* label;
    std::size_t chars, glyphs;
    int per_round;
    // Two snippets of each size, so that each timed show replaces a different one of its size.
    std::string stored[2], glyph_text[2];
  };
  Size sizes[2] = {{"small", 3000, 50, 3, {}, {}}, {"large", 30000, 500, 1, {}, {}}};
  for (Size& s : sizes) {
    for (std::size_t v = 0; v < 2; ++v) {
      s.stored[v] = StoredSnippet(s.chars, s.glyphs, v * 7);
      s.glyph_text[v] = qm::StoredToGlyphs(s.stored[v]);
    }
  }

  // A benchmark of an editor that shows something else would mean nothing: the stored form
  // must come back from what the editor holds.
  for (Size& s : sizes) {
    for (const std::string& stored : s.stored) {
      form.ShowGlyphText(qm::StoredToGlyphs(stored));
      const std::string back = qm::EditorToStored(form.EditorText());
      if (back != stored) {
        const auto at = std::mismatch(back.begin(), back.end(), stored.begin(), stored.end());
        std::fprintf(stderr,
                     "%s: the editor does not give the stored form back (first difference at "
                     "byte %zu of %zu)\n",
                     s.label, static_cast<std::size_t>(at.second - stored.begin()),
                     stored.size());
        return 1;
      }
    }
  }
  std::printf("round trip ok\n");

  // Warm-up, then rounds of 3 small and 1 large, so that a busy spell of the shared machine
  // falls on both sizes. The measure that counts is a show that replaces a snippet of its own
  // size, as a click on another entry of the list does (which size came before would
  // otherwise count in it). Beside it, from the same rounds: what taking the shown snippet
  // away costs alone, and a show into an editor emptied that way.
  constexpr int kRounds = 10;
  enum Measure { kSwitch, kRemove, kIntoEmpty, kMeasures };
  const char* const measure_names[kMeasures] = {
      "replacing one of its size", "taking it away (Clear)", "into an empty editor"};
  std::vector<double> ms[2][kMeasures];
  auto timed = [](std::vector<double>& into, auto&& step) {
    PumpMessages();
    const double t0 = Seconds();
    step();
    into.push_back((Seconds() - t0) * 1e3);
  };
  for (Size& s : sizes) form.ShowGlyphText(s.glyph_text[0]);
  for (int round = 0; round < kRounds; ++round) {
    for (int z = 0; z < 2; ++z) {
      const Size& s = sizes[z];
      for (int k = 0; k < s.per_round; ++k) {
        const int v = (round + k) % 2;
        form.ShowGlyphText(s.glyph_text[1 - v]);
        timed(ms[z][kSwitch], [&] { form.ShowGlyphText(s.glyph_text[v]); });
        timed(ms[z][kRemove], [&] { form.ClearEditor(); });
        timed(ms[z][kIntoEmpty], [&] { form.ShowGlyphText(s.glyph_text[1 - v]); });
      }
    }
  }

  std::printf("\nShowGlyphText in the RichEdit of Quillet's main window (hidden), in ms;\n"
              "small: %zu characters with %zu glyphs, large: %zu characters with %zu glyphs\n\n",
              CodePoints(sizes[0].glyph_text[0]), sizes[0].glyphs,
              CodePoints(sizes[1].glyph_text[0]), sizes[1].glyphs);
  std::printf("%-26s %8s %7s %8s %7s %8s\n", "", "small", "", "large", "", "ratio");
  std::printf("%-26s %8s %7s %8s %7s %8s\n", "", "median", "min", "median", "min", "medians");
  for (int m = 0; m < kMeasures; ++m) {
    std::printf("%-26s %8.2f %7.2f %8.2f %7.2f %8.2f\n", measure_names[m], Median(ms[0][m]),
                *std::min_element(ms[0][m].begin(), ms[0][m].end()), Median(ms[1][m]),
                *std::min_element(ms[1][m].begin(), ms[1][m].end()),
                Median(ms[1][m]) / Median(ms[0][m]));
  }
  std::printf("(%zu small and %zu large runs of each)\n", ms[0][kSwitch].size(),
              ms[1][kSwitch].size());
  const double ratio = Median(ms[1][kSwitch]) / Median(ms[0][kSwitch]);
  std::printf("\nshowing a snippet, ratio large/small of the medians: %.2f (10x the text; target "
              "at most 12)%s\n",
              ratio, ratio <= 12 ? "" : "  MISSED");
  std::printf("large: %.1f ms (median)\n", Median(ms[1][kSwitch]));
  return 0;
}
