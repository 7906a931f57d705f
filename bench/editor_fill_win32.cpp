// Showing a snippet in Quillet's real main window (RTF built and streamed into the RichEdit):
// a 30,000-character text with 500 glyphs against a 3,000-character one with 50; the target
// is large/small at most 12 (medians), and the large one's absolute time is quoted.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/glyph_text.h"
#include "app/main_form_win32.h"
#include "store/stored_text.h"

namespace {

double Seconds() {
  static const double freq = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / freq;
}

std::size_t CodePoints(const std::string& utf8) {
  return static_cast<std::size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

// A snippet in its stored form: ordinary words, some umlauts and a few characters beyond
// U+00FF, with Enters and Tabs spread evenly through it. `chars` counts code points, each
// Enter or Tab as one, as the editor shows them.
std::string StoredSnippet(std::size_t chars, std::size_t glyphs) {
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
    const std::string word = std::string(w ? " " : "") + words[w % kWords];
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

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

void PumpMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

}  // namespace

int main() {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);
  qm::MainForm form(GetModuleHandleW(nullptr));
  if (!form.Create(nullptr, nullptr)) {
    std::fprintf(stderr, "cannot create the main window\n");
    return 1;
  }
  form.InitLayout();
  PumpMessages();

  struct Size {
    const char* label;
    std::size_t chars, glyphs;
    int per_round;
    std::string stored, glyph_text;
    std::vector<double> ms;
  };
  Size sizes[2] = {{"small", 3000, 50, 3, {}, {}, {}}, {"large", 30000, 500, 1, {}, {}, {}}};
  for (Size& s : sizes) {
    s.stored = StoredSnippet(s.chars, s.glyphs);
    s.glyph_text = qm::StoredToGlyphs(s.stored);
  }

  // A benchmark of an editor that shows something else would mean nothing: the stored form
  // must come back from what the editor holds.
  for (Size& s : sizes) {
    form.ShowGlyphText(s.glyph_text);
    const std::string back = qm::EditorToStored(form.EditorText());
    if (back != s.stored) {
      const auto at = std::mismatch(back.begin(), back.end(), s.stored.begin(), s.stored.end());
      std::fprintf(stderr, "%s: the editor does not give the stored form back (first difference "
                   "at byte %zu of %zu)\n",
                   s.label, static_cast<std::size_t>(at.second - s.stored.begin()),
                   s.stored.size());
      return 1;
    }
  }
  std::printf("round trip ok\n");

  // Warm-up, then rounds of 3 small and 1 large, so that a busy spell of the shared machine
  // falls on both sizes. Each show goes into an empty editor: the measure is the fill, not
  // taking the previous snippet away.
  constexpr int kRounds = 10;
  for (Size& s : sizes) form.ShowGlyphText(s.glyph_text);
  for (int round = 0; round < kRounds; ++round) {
    for (Size& s : sizes) {
      for (int k = 0; k < s.per_round; ++k) {
        form.ClearEditor();
        PumpMessages();
        const double t0 = Seconds();
        form.ShowGlyphText(s.glyph_text);
        s.ms.push_back((Seconds() - t0) * 1e3);
      }
    }
  }

  std::printf("\nShowGlyphText into the RichEdit of Quillet's main window (hidden), into an "
              "empty editor\n\n");
  std::printf("%-6s %7s %7s %6s  %10s  %10s\n", "text", "chars", "glyphs", "runs", "median ms",
              "min ms");
  for (const Size& s : sizes) {
    std::printf("%-6s %7zu %7zu %6zu  %10.2f  %10.2f\n", s.label, CodePoints(s.glyph_text),
                s.glyphs, s.ms.size(), Median(s.ms),
                *std::min_element(s.ms.begin(), s.ms.end()));
  }
  const double ratio = Median(sizes[1].ms) / Median(sizes[0].ms);
  std::printf("\nratio large/small of the medians: %.2f (10x the text; target at most 12)%s\n",
              ratio, ratio <= 12 ? "" : "  MISSED");
  std::printf("large: %.1f ms (median)\n", Median(sizes[1].ms));
  return 0;
}
