// Fuzzes placeholder expansion: any snippet text ends, with files that hold placeholders too.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/portable_code_pages.h"
#include "quillet/send/placeholders.h"

namespace {

class Files : public qm::FileSystem {
 public:
  qm::FileStamp Stat(const std::string& path) override {
    qm::FileStamp stamp;
    stamp.exists = files_.count(path) != 0;
    return stamp;
  }
  std::optional<std::string> ReadAll(const std::string& path) override {
    const auto it = files_.find(path);
    if (it == files_.end()) return std::nullopt;
    return it->second;
  }
  qm::Status ReplaceAtomically(const std::string&, const std::string&) override {
    return qm::Status::Fail("read-only");
  }
  std::unique_ptr<qm::FileLock> LockForUpdate(const std::string&, qm::Status*) override {
    return nullptr;
  }
  bool AnyFileMatches(const std::string&) override { return false; }
  bool Delete(const std::string&) override { return false; }
  std::int64_t NowNs() override { return 0; }

  std::map<std::string, std::string> files_ = {
      {"Q/a", "%datei=a%%datum%\r\n"},
      {"Q/b", std::string("\xFF\xFE%\0d\0a\0t\0e\0i\0=\0a\0%\0", 20)},
      {"Q/c", "%datei="},
  };
};

class Clock : public qm::Clock {
 public:
  qm::LocalTime Now() override { return {2026, 12, 6, 9, 5, 3, 0}; }
  std::string ShortDate(const qm::LocalTime&) override { return "06.12.2026"; }
  std::string TimeOfDay(const qm::LocalTime&) override { return "09:05:03"; }
  std::string WeekdayName(const qm::LocalTime&) override { return "Sonntag"; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Files files;
  static Clock clock;
  static qm::Windows1252CodePage ansi;
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::string out = qm::ExpandPlaceholders(input, clock, files, ansi, "Q/");
  if (input.find('%') == std::string::npos && out != input) std::abort();
  return 0;
}
