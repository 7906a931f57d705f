// The main window's abbreviation field: showing and storing an entry's abbreviation, and the
// line that names what it conflicts with.
#include <algorithm>
#include <string>
#include <vector>

#include "quillet/main/main_model.h"
#include "store/ini_document.h"
#include "text/text_lists.h"

namespace qm {
namespace {

std::string Quoted(const std::string& text) {
  return "\xE2\x80\x9E" + text + "\xE2\x80\x9C";  // „text“
}

// "", " und einem weiteren Eintrag", " und 3 weiteren Einträgen"
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
  std::string out;
  if (std::any_of(found->second.begin(), found->second.end(), [](const AbbreviationConflict& c) {
        return c.kind == ConflictKind::kUntypable;
      })) {
    out = me +
          " wird nie ersetzt: Es enthält ein Leerzeichen, einen Tabulator oder einen "
          "Zeilenumbruch oder ist länger als " +
          std::to_string(kMaxAbbreviationLength) + " Zeichen.";
  }
  // Per kind, the first other entry is named and the rest counted.
  static const struct {
    ConflictKind kind;
    const char* says;
    bool names_abbreviation;
    const char *one, *many;
  } kSentences[] = {
      {ConflictKind::kSame, " ist auch das Kürzel von ", false, "Eintrag", "Einträgen"},
      {ConflictKind::kBeginsOther, " ist der Anfang des Kürzels ", true, "Kürzel", "Kürzeln"},
      {ConflictKind::kBeginsWithOther, " beginnt mit dem Kürzel ", true, "Kürzel", "Kürzeln"},
      {ConflictKind::kInsideOther, " steht nach einem Satzzeichen im Kürzel ", true, "Kürzel",
       "Kürzeln"},
      {ConflictKind::kHoldsOther, " enthält nach einem Satzzeichen das Kürzel ", true, "Kürzel",
       "Kürzeln"},
  };
  for (const auto& s : kSentences) {
    std::vector<int> others;
    for (const AbbreviationConflict& c : found->second) {
      if (c.kind == s.kind) others.push_back(c.other);
    }
    const auto first = others.empty() ? abbreviations_.end() : abbreviations_.find(others[0]);
    if (first == abbreviations_.end()) continue;
    if (!out.empty()) out += " ";
    out += me + s.says +
           (s.names_abbreviation ? Quoted(first->second.text) + " von " : std::string()) +
           Quoted(first->second.name) + AndMore(others.size() - 1, s.one, s.many) + ".";
  }
  return out;
}

bool MainModel::AbbreviationTold() {
  return unstored_abbreviation_ == TrimBlanks(view_.AbbreviationText());
}

bool MainModel::WriteAbbreviationField(bool tell_again) {
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
        Status status = WriteAbbreviation(s_.entries, key, text, at_once, whole, data_file_, where);
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
