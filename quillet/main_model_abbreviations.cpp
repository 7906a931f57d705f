// The main window's abbreviation field: showing and storing an entry's abbreviation, and the
// line that names what it conflicts with.
#include <string>
#include <utility>

#include "quillet/main_model.h"
#include "store/ini_document.h"
#include "text/text_lists.h"

namespace qm {
namespace {

std::string Quoted(const std::string& text) {
  return "\xE2\x80\x9E" + text + "\xE2\x80\x9C";  // „text“
}

// "von „A“", "von „A“ und einem weiteren Eintrag", "... und 3 weiteren Einträgen"
std::string AndMore(std::size_t more, const char* one, const char* many) {
  if (more == 0) return {};
  if (more == 1) return std::string(" und einem weiteren ") + one;
  return " und " + std::to_string(more) + " weiteren " + many;
}

}  // namespace

void MainModel::ReadAbbreviationsOf(const std::shared_ptr<const IniDocument>& doc) {
  // The same document as last time: nothing in the file has changed.
  if (doc && doc == abbreviations_doc_.lock()) return;
  abbreviations_doc_ = doc;
  abbreviations_.clear();
  conflicts_.clear();
  if (!doc) return;
  const std::vector<Abbreviation> all = ReadAbbreviations(*doc);
  for (const Abbreviation& a : all) {
    abbreviations_[a.number] = {a.text, doc->Find("Name", std::to_string(a.number)).value_or(""),
                                a.at_once};
  }
  conflicts_ = FindConflicts(all);
}

void MainModel::ShowAbbreviation(int number) {
  ReadAbbreviationsOf(s_.ini.Snapshot(data_file_));
  const auto it = abbreviations_.find(number);
  saved_abbreviation_ = it != abbreviations_.end() ? it->second.text : std::string();
  saved_at_once_ = it != abbreviations_.end() && it->second.at_once;
  unstored_abbreviation_.reset();
  view_.SetAbbreviationText(saved_abbreviation_);
  view_.SetAtOnceChecked(saved_at_once_);
  view_.SetConflictText(ConflictText(number));
}

std::string MainModel::ConflictText(int number) const {
  const auto found = conflicts_.find(number);
  const auto self = abbreviations_.find(number);
  if (found == conflicts_.end() || self == abbreviations_.end()) return {};
  const std::string me = Quoted(self->second.text);
  std::vector<int> by_kind[4];
  for (const AbbreviationConflict& c : found->second) {
    by_kind[static_cast<int>(c.kind)].push_back(c.other);
  }
  // The first other entry of a kind is named, the rest counted.
  auto first = [&](ConflictKind kind, bool with_text) {
    const auto other = abbreviations_.find(by_kind[static_cast<int>(kind)].front());
    if (other == abbreviations_.end()) return std::string();
    return (with_text ? Quoted(other->second.text) + " von " : std::string("von ")) +
           Quoted(other->second.name);
  };
  auto more = [&](ConflictKind kind) { return by_kind[static_cast<int>(kind)].size() - 1; };
  std::string out;
  auto add = [&out](const std::string& sentence) {
    out += (out.empty() ? "" : " ") + sentence;
  };
  if (!by_kind[static_cast<int>(ConflictKind::kUntypable)].empty()) {
    add(me + " wird nie ersetzt: Es enthält ein Leer- oder Satzzeichen oder ist länger als " +
        std::to_string(kMaxAbbreviationLength) + " Zeichen.");
  }
  if (!by_kind[static_cast<int>(ConflictKind::kSame)].empty()) {
    add(me + " ist auch das Kürzel " + first(ConflictKind::kSame, false) +
        AndMore(more(ConflictKind::kSame), "Eintrag", "Einträgen") + ".");
  }
  if (!by_kind[static_cast<int>(ConflictKind::kBeginsOther)].empty()) {
    add(me + " ist der Anfang des Kürzels " + first(ConflictKind::kBeginsOther, true) +
        AndMore(more(ConflictKind::kBeginsOther), "Kürzel", "Kürzeln") + ".");
  }
  if (!by_kind[static_cast<int>(ConflictKind::kBeginsWithOther)].empty()) {
    add(me + " beginnt mit dem Kürzel " + first(ConflictKind::kBeginsWithOther, true) +
        AndMore(more(ConflictKind::kBeginsWithOther), "Kürzel", "Kürzeln") + ".");
  }
  return out;
}

bool MainModel::AbbreviationTold() {
  return unstored_abbreviation_ == TrimBlanks(view_.AbbreviationText());
}

bool MainModel::WriteCurrAbbreviation(bool tell_again) {
  const Busy busy(*this);
  if (CurrentEntryNumber() <= 0) return true;
  const std::string typed = view_.AbbreviationText();
  const std::string text = TrimBlanks(typed);
  // The box alone, without an abbreviation, stores nothing yet: it counts once one is typed.
  const bool at_once = view_.AtOnceChecked() && !text.empty();
  if (typed == saved_abbreviation_ && at_once == saved_at_once_) return true;
  // Leaving the field tells every time; storing on the way elsewhere tells once.
  const Quiet quiet(*this, !tell_again && AbbreviationTold());
  if (const Status check = CheckAbbreviation(text); !check) {
    if (quiet_) return false;
    unstored_abbreviation_ = text;
    Ask(check.message + "\r\n\r\nDas Kürzel " + Quoted(text) + " wurde nicht gespeichert.",
        MessageIcon::kExclamation, MessageButtons::kOk);
    view_.FocusAbbreviation();
    return false;
  }
  // Every way out below without storing tells the user; this remembers what they were told.
  if (!quiet_) unstored_abbreviation_ = text;
  if (!EnsureStorable({text})) return false;
  // Taken before a question lets other events in.
  const int pos = current_index_;
  const EntryKey key = KeyAt(pos);
  const SnippetEntry whole = WindowEntry(pos, key.name);
  const bool stored = StoreEntry(
      pos, key, whole.name, [&](EntryLocation* where, std::optional<StoredFields>* after) {
        Status status =
            WriteAbbreviation(s_.entries, key, text, at_once, whole, data_file_, where);
        // Its other fields stay as they were, where the entry is still found.
        if (where->place == EntryPlace::kHere || where->place == EntryPlace::kMoved) {
          *after = key.fields;
        }
        return status;
      });
  if (!stored) return false;
  if (pos == current_index_) ShowAbbreviation(CurrentEntryNumber());
  return true;
}

}  // namespace qm
