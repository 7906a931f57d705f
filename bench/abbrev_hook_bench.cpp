// The abbreviation detector's work per key with 20,000 abbreviations, as the keyboard hook
// will do it for every key the user presses: prints p50, p99 and the worst in µs per key and
// the ratio of p99 to the 50 µs after which the system gives up on a slow hook.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "quillet/abbrev/detector.h"
#include "store/abbreviations.h"
#include "text/utf.h"

namespace {

constexpr int kAbbreviations = 20'000;
constexpr std::size_t kKeys = 1'000'000;
constexpr double kTargetUs = 50.0;

using Clock = std::chrono::steady_clock;

std::vector<qm::Abbreviation> MakeAbbreviations(std::mt19937& gen) {
  const char* letters = "abcdefghijklmnopqrstuvwxyz\xC3\xA4\xC3\xB6\xC3\xBC";
  const std::vector<std::string> alphabet = [&] {
    std::vector<std::string> a;
    std::string s(letters);
    for (std::size_t pos = 0; pos < s.size();) {
      const std::size_t start = pos;
      qm::NextCodePoint(s, pos);
      a.push_back(s.substr(start, pos - start));
    }
    return a;
  }();
  std::vector<qm::Abbreviation> all;
  for (int n = 1; n <= kAbbreviations; ++n) {
    std::string text = n % 7 == 0 ? "#" : "";
    const int length = 2 + static_cast<int>(gen() % 7);
    for (int i = 0; i < length; ++i) text += alphabet[gen() % alphabet.size()];
    all.push_back({n, text, n % 10 == 0});
  }
  return all;
}

// Every key in one field: each Backspace right after an expansion undoes it.
constexpr qm::CaretPlace kHere{1, 1, 0, 0, 1, 16};

// German prose with capitals (a Shift before them), a dead key now and then, typing errors
// mended with Backspace, a click every few sentences, and one of the abbreviations every
// twenty words or so.
std::vector<qm::KeyInput> MakeKeys(const std::vector<qm::Abbreviation>& all, std::mt19937& gen) {
  using K = qm::KeyInput::Kind;
  const std::vector<std::string> words = {
      "Sehr",   "geehrte", "Damen",     "und",          "Herren", "vielen",   "Dank",
      "für",    "Ihre",    "Nachricht", "wir",          "melden", "uns",      "morgen",
      "bei",    "Ihnen",   "mit",       "freundlichen", "Grüßen", "Rechnung", "Lieferung",
      "Straße", "bitte",   "prüfen",    "Sie",          "den",    "Anhang"};
  const char* ends[] = {" ", " ", " ", " ", ", ", ". ", "\r", "\t", "? "};
  std::vector<qm::KeyInput> keys;
  qm::KeyInput backspace = qm::KeyInput::Of(K::kBackspace);
  backspace.place = kHere;
  const auto type = [&](const std::string& text) {
    for (std::size_t pos = 0; pos < text.size();) {
      const char32_t cp = qm::NextCodePoint(text, pos);
      std::u16string unit;
      qm::AppendUtf16(unit, cp);
      if ((cp >= U'A' && cp <= U'Z') || cp == U'?') keys.push_back(qm::KeyInput::Of(K::kModifier));
      if (gen() % 50 == 0) keys.push_back(qm::KeyInput::Of(K::kDeadKey));
      keys.push_back(qm::KeyInput::Text(unit));
      if (gen() % 40 == 0) {
        keys.push_back(qm::KeyInput::Text(u"x"));
        keys.push_back(backspace);
      }
    }
  };
  while (keys.size() < kKeys) {
    type(gen() % 20 == 0 ? all[gen() % all.size()].text : words[gen() % words.size()]);
    type(ends[gen() % (sizeof ends / sizeof *ends)]);
    if (gen() % 60 == 0) keys.push_back(qm::KeyInput::Of(K::kReset));
    if (gen() % 30 == 0) keys.push_back(qm::KeyInput::Of(K::kOtherKey));
  }
  return keys;
}

double Microseconds(Clock::duration d) {
  return std::chrono::duration<double, std::micro>(d).count();
}

}  // namespace

int main() {
  std::mt19937 gen(20261209);
  const std::vector<qm::Abbreviation> all = MakeAbbreviations(gen);
  const std::vector<qm::KeyInput> keys = MakeKeys(all, gen);

  qm::AbbreviationDetector detector;
  const Clock::time_point load_start = Clock::now();
  detector.Load(all);
  const double load_ms = Microseconds(Clock::now() - load_start) / 1000;
  const Clock::time_point conflicts_start = Clock::now();
  const std::size_t with_conflicts = qm::FindConflicts(all).size();
  const double conflicts_ms = Microseconds(Clock::now() - conflicts_start) / 1000;

  std::vector<double> us;
  us.reserve(keys.size());
  int expansions = 0, undos = 0;
  for (const qm::KeyInput& key : keys) {
    const Clock::time_point start = Clock::now();
    const qm::AbbrevAction action = detector.OnKey(key);
    us.push_back(Microseconds(Clock::now() - start));
    if (action.kind == qm::AbbrevAction::Kind::kExpand) {
      ++expansions;
      detector.ExpansionDone(40, kHere);
    }
    if (action.kind == qm::AbbrevAction::Kind::kUndo) ++undos;
  }
  std::sort(us.begin(), us.end());
  const auto at = [&](double share) {
    return us[std::min(us.size() - 1, static_cast<std::size_t>(share * us.size()))];
  };
  const double p99 = at(0.99);
  std::printf(
      "abbrev_hook_bench: %d abbreviations (loaded in %.1f ms; %zu entries in conflict, "
      "found in %.1f ms), %zu keys, %d expansions, %d undone\n",
      kAbbreviations, load_ms, with_conflicts, conflicts_ms, keys.size(), expansions, undos);
  std::printf("per key: p50 %.3f us, p99 %.3f us, max %.1f us\n", at(0.5), p99, us.back());
  std::printf("p99 %.3f us against the target of %.0f us: ratio %.4f (target/p99 %.0fx)%s\n", p99,
              kTargetUs, p99 / kTargetUs, kTargetUs / p99, p99 <= kTargetUs ? "" : "  MISSED");
  return 0;
}
