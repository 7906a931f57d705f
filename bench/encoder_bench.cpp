// Throughput of Mantello's encoding core at 100 kB and 1000 kB, and how its cost grows.
// Prints MB/s for both sizes and the cost ratio of the ten times larger text. Both sizes,
// with their output, fit the processor's second-level cache, so that the ratio shows the
// algorithm's growth rather than the step from one cache level to the next (at 10 MB the
// throughput drops by a tenth or so for that reason alone).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

#include "mantello/html_encoder.h"

namespace {

// German HTML with umlauts, some euro signs and an emoji, repeated to `bytes`.
const std::string& MixedText(std::size_t bytes) {
  static std::map<std::size_t, std::string> made;
  std::string& text = made[bytes];
  if (!text.empty()) return text;
  const std::string para =
      "<p class=\"angebot\">Gr\xC3\xBC\xC3\x9F"
      "e aus M\xC3\xBCnchen! Unser Fr\xC3\xBChst\xC3\xBC"
      "ck kostet nur 9,50 \xE2\x82\xAC, die gro\xC3\x9F"
      "e Portion \xC3\xBC"
      "ber 12 \xE2\x82\xAC. "
      "<a href=\"mailto:info@example.org\">Schreiben Sie uns</a> \xF0\x9F\x98\x80</p>\r\n"
      "<ul><li>K\xC3\xA4se</li><li>\xC3\x96l &amp; Essig</li><li>S\xC3\xBC\xC3\x9F"
      "es</li></ul>"
      "\r\n";
  text.reserve(bytes + para.size());
  while (text.size() < bytes) text += para;
  text.resize(bytes);
  // Cut back to a whole character so that the text stays valid UTF-8.
  while (!text.empty() && (static_cast<unsigned char>(text.back()) & 0xC0) == 0x80) {
    text.pop_back();
  }
  if (!text.empty() && static_cast<unsigned char>(text.back()) >= 0xC0) text.pop_back();
  return text;
}

// Text to carrier string: the character rule, then two carrier characters per character.
void BM_EncodeCore(benchmark::State& state) {
  const std::string& text = MixedText(static_cast<std::size_t>(state.range(0)) * 1000);
  qm::CarrierRandom random(12345);
  // Reused, so that the kernel's first touch of fresh pages, which glibc hands out anew for
  // large blocks only, does not blur the comparison of the two sizes.
  std::string carrier;
  for (auto _ : state) {
    carrier.clear();
    qm::AppendEncodedText(text, random, carrier);
    benchmark::DoNotOptimize(carrier.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
// Repeated, and the fastest repetition counted, so that a busy machine does not decide the ratio.
BENCHMARK(BM_EncodeCore)
    ->Arg(100)
    ->Arg(1000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5);

// The finished script in a fresh string each time, as mantello-cli produces it.
void BM_EncodeToScript(benchmark::State& state) {
  const std::string& text = MixedText(static_cast<std::size_t>(state.range(0)) * 1000);
  for (auto _ : state) benchmark::DoNotOptimize(qm::EncodeToScript(text, 12345));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_EncodeToScript)
    ->Arg(100)
    ->Arg(1000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5);

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs) {
      const std::string name = r.benchmark_name();
      const std::size_t slash = name.find('/');
      if (slash == std::string::npos || r.iterations == 0 || r.run_type != Run::RT_Iteration) {
        continue;
      }
      const int kb = std::stoi(name.substr(slash + 1));
      const double seconds = r.real_accumulated_time / static_cast<double>(r.iterations);
      auto& best = seconds_[name.substr(0, slash)];
      if (!best.count(kb) || seconds < best[kb]) best[kb] = seconds;
      bytes_[kb] = MixedText(static_cast<std::size_t>(kb) * 1000).size();
    }
  }
  void Summary() const {
    for (const auto& [name, by_size] : seconds_) {
      std::printf("\n%s:", name.c_str());
      for (const auto& [kb, s] : by_size) {
        std::printf("  %d kB %.0f MB/s", kb, bytes_.at(kb) / s / 1e6);
      }
      if (by_size.count(100) && by_size.count(1000)) {
        std::printf(
            "\n  cost 1000 kB / 100 kB: %.2f (target: at most 11; throughput target: at "
            "least 100 MB/s)",
            by_size.at(1000) / by_size.at(100));
      }
    }
    std::printf("\n");
  }

 private:
  std::map<std::string, std::map<int, double>> seconds_;
  std::map<int, std::size_t> bytes_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.Summary();
  benchmark::Shutdown();
  return 0;
}
