// Snippets that ask and adapt, as the sender prepares one for every send: a snippet that
// includes 50 others and asks 20 fields, parsed from a data file of 2,000 entries and filled,
// against the 5 ms it may take (p50, p99 and the ratio of p99 to the target); and a snippet
// without any of the new words through ParseSnippet and FillSnippet beside ExpandPlaceholders
// alone, which it replaces (the ratio of the medians, which should be about 1). Plain timing,
// so that it runs natively and under Wine alike.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/os.h"
#include "platform/portable_code_pages.h"
#include "quillet/send/entry_lookup.h"
#include "quillet/send/placeholders.h"
#include "quillet/send/snippet_fields.h"
#include "store/entries.h"
#include "store/ini_document.h"
#include "store/stored_text.h"

namespace {

constexpr int kEntries = 2000;
constexpr int kIncluded = 50;
constexpr int kRounds = 400;
constexpr double kTargetMs = 5.0;

double NowMs() {
  return std::chrono::duration<double, std::milli>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

class StillClock : public qm::Clock {
 public:
  qm::LocalTime Now() override { return {2026, 12, 6, 9, 5, 3, 0}; }
  std::string ShortDate(const qm::LocalTime& t) override {
    return std::to_string(t.day) + "." + std::to_string(t.month) + "." + std::to_string(t.year);
  }
  std::string TimeOfDay(const qm::LocalTime&) override { return "09:05:03"; }
  std::string WeekdayName(const qm::LocalTime&) override { return "Sonntag"; }
};

const char kLetter[] =
    "Sehr geehrte Damen und Herren,\r\rvielen Dank für Ihre Nachricht vom %datum-3%. Anbei "
    "erhalten Sie die gewünschten Unterlagen; bei Fragen erreichen Sie uns werktags von 8 bis "
    "17 Uhr, heute bis %zeit%.\r";

// Entries "Teil 1" to "Teil 50" each ask two fields; entry 2,000 includes them all, every
// tenth in an optional section of its own: 10 text fields, 5 choices and 5 check boxes.
std::string LibraryFile() {
  std::string names = "[Name]\r\n", texts = "[Text]\r\n", top;
  for (int i = 1; i <= kEntries; ++i) {
    std::string name = "Eintrag " + std::to_string(i), text = kLetter;
    if (i <= kIncluded) {
      name = "Teil " + std::to_string(i);
      text = "Absatz " + std::to_string(i) + " für %eingabe=Feld " + std::to_string(i % 10) +
             "% und %auswahl=Wahl " + std::to_string(i % 5) + ":ja|nein|vielleicht%, " + kLetter;
      top += i % 10 == 0
                 ? "%optional=Teil " + std::to_string(i) + "%%baustein=" + name + "%%/optional%"
                 : "%baustein=" + name + "%";
    }
    if (i == kEntries) name = "Alles", text = top + "%cursor%Ende";
    names += std::to_string(i) + "=" + name + "\r\n";
    texts += std::to_string(i) + "=" + qm::EscapeStoredText(text) + "\r\n";
  }
  std::string ansi;
  qm::Windows1252CodePage().FromUtf8(names + texts, ansi, nullptr);
  return ansi;
}

double Percentile(std::vector<double> v, double p) {
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, static_cast<std::size_t>(p * static_cast<double>(v.size())))];
}

}  // namespace

int main() {
  qm::Windows1252CodePage ansi;
  StillClock clock;
  const std::unique_ptr<qm::FileSystem> fs = qm::MakeOsFileSystem();
  const auto doc = std::make_shared<const qm::IniDocument>(LibraryFile(), ansi);
  qm::IniStore ini(*fs, ansi);
  qm::EntryStore entries(ini, ansi);
  const std::string top = qm::UnescapeStoredText(entries.EntryIn(*doc, kEntries).text);

  std::vector<double> whole;
  std::size_t fields = 0, length = 0;
  for (int round = 0; round < kRounds; ++round) {
    const double start = NowMs();
    const qm::SnippetTemplate t = qm::ParseSnippet(top, qm::LookupEntriesIn(doc, entries), "Alles");
    qm::FieldValues values(t.fields.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
      values[i] = {t.fields[i].kind == qm::FieldKind::kChoice ? "ja" : "Wert", i % 2 == 0};
    }
    const qm::FilledSnippet filled = qm::FillSnippet(t, values, "", clock, *fs, ansi, "");
    whole.push_back(NowMs() - start);
    fields = t.fields.size();
    length = filled.text.size();
  }
  const double p50 = Percentile(whole, 0.5), p99 = Percentile(whole, 0.99);
  std::printf(
      "%d included snippets, %zu fields, %zu bytes typed, from %d entries: parse and fill "
      "p50 %.3f ms, p99 %.3f ms; p99 / %.0f ms: %.3f\n",
      kIncluded, fields, length, kEntries, p50, p99, kTargetMs, p99 / kTargetMs);

  // A snippet of today: a letter with dates and times, about 4 KB.
  std::string plain;
  for (int i = 0; i < 16; ++i) plain += kLetter;
  std::vector<double> engine, today;
  // In turns, each first every other round, so that neither has the warmer caches.
  for (int round = 0; round < kRounds * 10; ++round) {
    std::string a, b;
    for (int turn = 0; turn < 2; ++turn) {
      const double start = NowMs();
      if ((turn + round) % 2 == 0) {
        a = qm::FillSnippet(qm::ParseSnippet(plain, {}), {}, "", clock, *fs, ansi, "").text;
        engine.push_back(NowMs() - start);
      } else {
        b = qm::ExpandPlaceholders(plain, clock, *fs, ansi, "");
        today.push_back(NowMs() - start);
      }
    }
    if (a != b) {
      std::printf("the engine's text differs from ExpandPlaceholders'\n");
      return 1;
    }
  }
  const double e50 = Percentile(engine, 0.5), t50 = Percentile(today, 0.5);
  std::printf(
      "Without the new words (%zu bytes): parse and fill p50 %.4f ms, ExpandPlaceholders "
      "p50 %.4f ms; ratio %.2f\n",
      plain.size(), e50, t50, e50 / t50);
  return 0;
}
