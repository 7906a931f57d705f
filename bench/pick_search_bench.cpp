// The picker's search over 20,000 entries: the time per keystroke's query at the 50th and
// 99th percentile, names only and with the texts, both as a user types (each query extends
// the one before) and for queries on their own (a paste, a deleted character), with their
// ratio to the 10 ms in which a keystroke's result must show; also the cost of opening the
// picker, from the data file's snapshot to the index. Plain timing, so that it runs natively
// and under Wine alike.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/portable_code_pages.h"
#include "quillet/pick/pick_index.h"
#include "store/ini_document.h"
#include "store/stored_text.h"

namespace {

constexpr int kEntries = 20000;
constexpr int kRounds = 20;
constexpr double kTargetMs = 10.0;

double NowMs() {
  return std::chrono::duration<double, std::milli>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// A data file like a grown German library: names of a kind, a subject and a number, some
// with umlauts, and letter-sized texts.
std::string LibraryFile() {
  static const char* const kinds[] = {"Grußformel", "Adresse",  "Signatur", "Antwort",
                                      "Termin",     "Rechnung", "Angebot",  "Notiz",
                                      "Vorlage",    "Änderung", "Übergabe", "Bestätigung"};
  static const char* const subjects[] = {"Müller GmbH", "Musterstraße", "Kundendienst",
                                         "Büro Köln",   "privat",       "Projekt-Nord",
                                         "Lieferung",   "Zahlung_alt",  "Weißenfels"};
  std::string names = "[Name]\r\n", texts = "[Text]\r\n";
  unsigned seed = 12345;
  for (int i = 1; i <= kEntries; ++i) {
    seed = seed * 1103515245u + 12345u;
    const std::string name = std::string(kinds[(seed >> 8) % 12]) + " " +
                             subjects[(seed >> 16) % 9] + " " + std::to_string(i);
    names += std::to_string(i) + "=" + name + "\r\n";
    texts += std::to_string(i) + "=" +
             qm::EscapeStoredText(
                 "Sehr geehrte Damen und Herren,\r\n\r\nvielen Dank für Ihre Nachricht zu " + name +
                 ". Anbei erhalten Sie die gewünschten Unterlagen; bei Fragen erreichen Sie uns "
                 "werktags von 8 bis 17 Uhr.\r\n\r\nMit freundlichen Grüßen\r\nIhr Team " +
                 std::to_string(seed % 977)) +
             "\r\n";
  }
  std::string ansi;
  qm::Windows1252CodePage().FromUtf8(names + texts, ansi, nullptr);
  return ansi;
}

// What a user types, one keystroke at a time: each prefix is one query.
const std::vector<std::string>& Typed() {
  static const std::vector<std::string> typed = {"adr muster", "gruss",  "rechnung köln 1",
                                                 "über",       "xq",     "e",
                                                 "damen",      "str 19", "vorlage nord"};
  return typed;
}

// A keystroke types a whole character: no query ends inside one.
bool Inside(const std::string& text, std::size_t n) {
  return n < text.size() && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80;
}

double Percentile(std::vector<double> v, double p) {
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, static_cast<std::size_t>(p * static_cast<double>(v.size())))];
}

struct Timed {
  std::vector<double> ms;
  double slowest = 0;
  std::string slowest_query;
  void Add(const std::string& query, double t) {
    ms.push_back(t);
    if (t > slowest) slowest = t, slowest_query = query;
  }
};

void Report(const char* label, const Timed& timed) {
  const double p50 = Percentile(timed.ms, 0.50), p99 = Percentile(timed.ms, 0.99);
  std::printf(
      "  %-22s per query p50 %6.3f ms, p99 %6.3f ms (%zu queries); p99 / %.0f ms: %.3f;"
      " slowest \"%s\" %.3f ms\n",
      label, p50, p99, timed.ms.size(), kTargetMs, p99 / kTargetMs, timed.slowest_query.c_str(),
      timed.slowest);
}

void Measure(const qm::IniDocument& doc, bool with_text) {
  qm::UseRecord uses;
  for (int i = 0; i < 200; ++i) uses.Add("Adresse privat " + std::to_string(i * 97), i * 1000);
  const double open_start = NowMs();
  qm::PickIndex index(qm::PickSourcesOf(&doc, with_text), uses, 1800000000);
  const double open_ms = NowMs() - open_start;
  std::printf("%s: picker's index from the snapshot in %.1f ms\n",
              with_text ? "Names and texts" : "Names only", open_ms);

  Timed typing, alone;
  for (int round = 0; round < kRounds; ++round) {
    for (const std::string& word : Typed()) {
      index.Search("");  // the picker opens afresh
      for (std::size_t n = 1; n <= word.size(); ++n) {
        if (Inside(word, n)) continue;
        const double start = NowMs();
        index.Search(word.substr(0, n));
        typing.Add(word.substr(0, n), NowMs() - start);
      }
      for (std::size_t n = 1; n <= word.size(); ++n) {
        if (Inside(word, n)) continue;
        index.Search("");  // forgets the query before, as a deleted character does
        const double start = NowMs();
        index.Search(word.substr(0, n));
        alone.Add(word.substr(0, n), NowMs() - start);
      }
    }
  }
  Report("typed, key by key:", typing);
  Report("each query on its own:", alone);
}

}  // namespace

int main() {
  const qm::Windows1252CodePage ansi;
  const qm::IniDocument doc(LibraryFile(), ansi);
  doc.Find("Name", "1");  // parsed, as the program's snapshot is by the time the picker opens
  std::printf("Picker search over %d entries (target: each keystroke within %.0f ms)\n", kEntries,
              kTargetMs);
  Measure(doc, false);
  Measure(doc, true);
  return 0;
}
