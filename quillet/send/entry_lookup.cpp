// Entries of the data file by name, for a snippet that includes others and for the tools.
#include "quillet/send/entry_lookup.h"

#include <mutex>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "store/stored_text.h"
#include "text/utf.h"

namespace qm {
namespace {

// What enciphering writes: four hex digits per character, then four of the salt.
bool IsCipherText(std::string_view stored) {
  if (stored.empty()) return true;
  if (stored.size() < 4) return false;
  for (const char c : stored) {
    const bool hex = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
    if (!hex) return false;
  }
  return true;
}

using NameNumbers = std::unordered_map<std::string, int>;

// The entries' numbers by folded name, made once for each look at the file: folding 20,000
// names takes 20 ms under Wine, which every send of a snippet that includes another would
// pay before its form could show. The last look is kept while it is alive.
std::shared_ptr<const NameNumbers> NumbersByName(const std::shared_ptr<const IniDocument>& doc) {
  static std::mutex mutex;
  static std::weak_ptr<const IniDocument> last_doc;
  static std::shared_ptr<const NameNumbers> last_numbers;
  {
    std::lock_guard<std::mutex> lock(mutex);
    if (last_numbers && last_doc.lock() == doc) return last_numbers;
  }
  auto numbers = std::make_shared<NameNumbers>();
  const std::vector<std::string> names = ReadNumberedList(*doc, "Name");
  for (std::size_t i = 0; i < names.size(); ++i) {
    numbers->emplace(FoldCase(names[i]), static_cast<int>(i) + 1);  // the first one wins
  }
  std::lock_guard<std::mutex> lock(mutex);
  last_doc = doc;
  last_numbers = numbers;
  return numbers;
}

}  // namespace

void FoldNamesAhead(const std::shared_ptr<const IniDocument>& doc) {
  if (doc) NumbersByName(doc);
}

int EntryNamed(const IniDocument& doc, std::string_view name) {
  const std::string wanted = FoldCase(name);
  const std::vector<std::string> names = ReadNumberedList(doc, "Name");
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (FoldCase(names[i]) == wanted) return static_cast<int>(i) + 1;
  }
  return 0;
}

EntryLookup LookupEntriesIn(std::shared_ptr<const IniDocument> doc, const EntryStore& entries) {
  // The names folded at the first lookup, for the many that a snippet may make.
  std::shared_ptr<const NameNumbers> numbers;
  return [doc = std::move(doc), &entries, numbers](const std::string& name) mutable {
    IncludedEntry found;
    if (!doc) return found;
    if (!numbers) numbers = NumbersByName(doc);
    const auto it = numbers->find(FoldCase(name));
    if (it == numbers->end()) return found;
    const int number = it->second;
    const SnippetEntry entry = entries.EntryIn(*doc, number);
    if (entry.crypt && !IsCipherText(doc->Find("Text", std::to_string(number)).value_or(""))) {
      found.state = IncludedEntry::State::kUndecipherable;
      return found;
    }
    found.state = IncludedEntry::State::kFound;
    found.text = UnescapeStoredText(entry.text);
    return found;
  };
}

}  // namespace qm
