// Fuzzes snippets that ask and adapt: any snippet text is parsed and filled, with included
// snippets that are the input itself (so that it includes itself, however deep), a chain
// of nine that ends too deep, one that cannot be deciphered, and answers that look like words.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "platform/portable_code_pages.h"
#include "quillet/send/placeholders.h"
#include "quillet/send/snippet_fields.h"
#include "text/utf.h"

namespace {

class Files : public qm::FileSystem {
 public:
  qm::FileStamp Stat(const std::string& path) override {
    qm::FileStamp stamp;
    stamp.exists = path == "Q/a";
    return stamp;
  }
  std::optional<std::string> ReadAll(const std::string& path) override {
    if (path != "Q/a") return std::nullopt;
    return std::string("%eingabe=A%%cursor%%baustein=x%%datum+1%\r\n");
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
};

class Clock : public qm::Clock {
 public:
  qm::LocalTime Now() override { return {2026, 12, 6, 9, 5, 3, 0}; }
  std::string ShortDate(const qm::LocalTime& t) override {
    return std::to_string(t.day) + "." + std::to_string(t.month) + "." + std::to_string(t.year);
  }
  std::string TimeOfDay(const qm::LocalTime&) override { return "09:05:03"; }
  std::string WeekdayName(const qm::LocalTime&) override { return "Sonntag"; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Files files;
  static Clock clock;
  static qm::Windows1252CodePage ansi;
  const std::string input(reinterpret_cast<const char*>(data), size);
  const qm::EntryLookup lookup = [&](const std::string& name) {
    using State = qm::IncludedEntry::State;
    if (name.size() == 5 && name.compare(0, 4, "tief") == 0 && name[4] >= '1' && name[4] <= '9') {
      return qm::IncludedEntry{State::kFound,
                               "%baustein=tief" + std::string(1, name[4] + 1) + "%" + input};
    }
    if (name == "geheim") return qm::IncludedEntry{State::kUndecipherable, ""};
    if (name.empty() || name[0] == 'x') return qm::IncludedEntry{};
    return qm::IncludedEntry{State::kFound, input};
  };
  const qm::SnippetTemplate snippet = qm::ParseSnippet(input, lookup, "selbst");
  if (snippet.fields.size() > qm::kMaxSnippetFields) std::abort();
  qm::FieldValues values(snippet.fields.size());
  for (std::size_t i = 0; i < values.size(); ++i) values[i] = {"%datum%\n%cursor%", i % 2 == 0};
  const qm::FilledSnippet filled =
      qm::FillSnippet(snippet, values, "%zwischenablage%", clock, files, ansi, "Q/");
  if (filled.caret_left > qm::CountCodePoints(filled.text)) std::abort();
  // Without a word of its own, a snippet is what ExpandPlaceholders makes of it.
  const bool plain = snippet.pieces.size() == 1 &&
                     snippet.pieces[0].kind == qm::SnippetPiece::Kind::kText &&
                     snippet.pieces[0].text == input;
  if (plain && filled.text != qm::ExpandPlaceholders(input, clock, files, ansi, "Q/")) {
    std::abort();
  }
  qm::CarryCapitals(filled.text, "MFG", "mfg");
  return 0;
}
