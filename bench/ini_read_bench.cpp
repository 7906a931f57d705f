// How the cost of reading one value, and of writing one, grows with the size of the library.
// Prints the per-read cost at 500, 5,000 and 20,000 entries and their ratio.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "platform/os.h"
#include "store/ini_document.h"
#include "store/ini_store.h"

namespace {

namespace fsys = std::filesystem;

std::string LibraryFile(int entries) {
  static std::map<int, std::string> made;
  auto& path = made[entries];
  if (!path.empty()) return path;
  path = (fsys::temp_directory_path() /
          ("qm-bench-" + std::to_string(getpid()) + "-" + std::to_string(entries) + ".ini"))
             .string();
  std::string text;
  const char* sections[] = {"Name", "Title", "Text", "Crypt", "DosBox"};
  for (const char* s : sections) {
    text += "[" + std::string(s) + "]\r\n";
    for (int i = 1; i <= entries; ++i) {
      text += std::to_string(i) + "=";
      if (s == sections[0]) text += "Baustein Nummer " + std::to_string(i);
      if (s == sections[1]) text += i % 3 ? "" : "Editor " + std::to_string(i % 17);
      if (s == sections[2])
        text +=
            "Mit freundlichen Gr\xFC\xDF"
            "en\\N\\LText " +
            std::to_string(i);
      if (s == sections[3] || s == sections[4]) text += "0";
      text += "\r\n";
    }
  }
  std::ofstream(path, std::ios::binary) << text;
  // Older than the window in which content is compared, as a library normally is.
  fsys::last_write_time(path, fsys::file_time_type::clock::now() - std::chrono::minutes(5));
  return path;
}

// Reads every name and title one value per call, as the entry list loads them.
void BM_ReadNamesAndTitles(benchmark::State& state) {
  const int entries = static_cast<int>(state.range(0));
  const std::string file = LibraryFile(entries);
  auto fs = qm::MakeOsFileSystem();
  auto ansi = qm::MakeOsAnsiCodePage();
  qm::IniStore ini(*fs, *ansi);
  for (auto _ : state) {
    for (int i = 1; i <= entries; ++i) {
      const std::string key = std::to_string(i);
      benchmark::DoNotOptimize(ini.ReadIniValue("Name", key, "", file));
      benchmark::DoNotOptimize(ini.ReadIniValue("Title", key, "", ""));
    }
  }
}
BENCHMARK(BM_ReadNamesAndTitles)->Arg(500)->Arg(5000)->Arg(20000)->Unit(benchmark::kMillisecond);

// One crash-safe write (lock, read, edit, new file, rename) into a 5,000-entry library. The
// new content is parsed by the next read (see BM_ParseLibrary), not by the write.
void BM_WriteOneValue(benchmark::State& state) {
  const std::string file = LibraryFile(static_cast<int>(state.range(0)));
  auto fs = qm::MakeOsFileSystem();
  auto ansi = qm::MakeOsAnsiCodePage();
  qm::IniStore ini(*fs, *ansi);
  int i = 0;
  for (auto _ : state) {
    ++i;
    ini.WriteIniValue("Title", std::to_string(1 + i % 100), "Fenster " + std::to_string(i), file);
  }
}
BENCHMARK(BM_WriteOneValue)->Arg(5000)->Unit(benchmark::kMillisecond);

// Parsing a whole 5,000-entry library, which a write or a changed file costs.
void BM_ParseLibrary(benchmark::State& state) {
  std::ifstream in(LibraryFile(static_cast<int>(state.range(0))), std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  auto ansi = qm::MakeOsAnsiCodePage();
  for (auto _ : state) {
    qm::IniDocument doc(bytes, *ansi);
    benchmark::DoNotOptimize(doc.Find("Name", "1"));  // the first look parses
  }
}
BENCHMARK(BM_ParseLibrary)->Arg(5000)->Unit(benchmark::kMillisecond);

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs) {
      if (r.benchmark_name().rfind("BM_ReadNamesAndTitles/", 0) == 0) {
        const int n = std::stoi(r.benchmark_name().substr(22));
        per_read_[n] = r.GetAdjustedRealTime() * 1e6 / (2.0 * n);  // ms per pass to ns per read
      }
    }
  }
  void Summary() const {
    std::printf("\nPer-read cost (ns): ");
    for (const auto& [n, ns] : per_read_) std::printf("%d entries %.1f   ", n, ns);
    if (per_read_.count(500) && per_read_.count(20000)) {
      std::printf("\nRatio 20,000 / 500 entries: %.2f (target: at most 1.5)\n",
                  per_read_.at(20000) / per_read_.at(500));
    }
  }

 private:
  std::map<int, double> per_read_;
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
