// Beeftext's export files as entries for the library.
#include "transfer/beeftext.h"

#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "rich/styled_html.h"
#include "text/text_lists.h"
#include "text/utf.h"
#include "transfer/peer_text.h"

namespace qm {
namespace {

using Json = nlohmann::json;

// Where things start in a JSON text the library has accepted already: the lines of the
// objects in the top-level "combos" array, and of each top-level key. The library reports
// no positions for values, so the text is walked once more.
struct Lines {
  std::vector<std::size_t> combos;
  std::map<std::string, std::size_t> keys;
};

Lines FindLines(std::string_view text) {
  Lines lines;
  std::size_t line = 1, depth = 0;
  std::string last_string, key;
  std::size_t last_string_line = 0;
  bool in_combos = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\n' || (c == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))) ++line;
    if (c == '"') {
      const std::size_t start = ++i;
      while (i < text.size() && text[i] != '"') i += text[i] == '\\' ? 2 : 1;
      last_string.assign(text.substr(start, i - start));
      last_string_line = line;
    } else if (c == ':' && depth == 1) {
      key = last_string;
      lines.keys.emplace(key, last_string_line);
    } else if (c == '{' || c == '[') {
      if (depth == 1 && c == '[' && key == "combos") {
        in_combos = true;
        lines.combos.clear();
      }
      if (depth == 2 && c == '{' && in_combos) lines.combos.push_back(line);
      ++depth;
    } else if (c == '}' || c == ']') {
      if (--depth == 1) in_combos = false;
    }
  }
  return lines;
}

std::optional<std::string> StringOf(const Json& object, const char* key) {
  const auto it = object.find(key);
  if (it == object.end() || !it->is_string()) return std::nullopt;
  return it->get<std::string>();
}

// A setting Beeftext writes as a number or a word: as text, to compare and to show.
std::string SettingOf(const Json& object, const char* key) {
  const auto it = object.find(key);
  if (it == object.end()) return "";
  if (it->is_string()) return FoldCase(it->get<std::string>());
  // A list or object is named, not written out: writing a deeply nested one would take the
  // stack as deep as it is.
  if (it->is_array()) return "[…]";
  if (it->is_object()) return "{…}";
  return it->dump();
}

// A combo's name in the library: its own, else its keyword.
std::string NameOf(const Json& combo) {
  const std::string name = TrimBlanks(StringOf(combo, "name").value_or(""));
  return name.empty() ? TrimBlanks(StringOf(combo, "keyword").value_or("")) : name;
}

// The entry "#{combo:KEYWORD}" includes, by keyword: the name the first combo of that keyword
// comes in with, and whether "%baustein=NAME%" finds it. It does not where the name holds "%",
// a line break or a tab, or where an earlier combo has the name (letter case ignored), as
// Quillet takes the first entry of a name.
struct Included {
  std::string name;
  bool found = false;
};

std::map<std::string, Included> IncludedByKeyword(const Json& combos) {
  std::map<std::string, Included> included;
  std::set<std::string> names;
  for (const Json& combo : combos) {
    if (!combo.is_object() || !StringOf(combo, "snippet")) continue;
    const std::string name = NameOf(combo);
    if (name.empty()) continue;
    const bool first = names.insert(FoldCase(name)).second;
    const std::string keyword = TrimBlanks(StringOf(combo, "keyword").value_or(""));
    const bool writable = name.find_first_of("%\r\n\t\v") == std::string::npos;
    if (!keyword.empty()) included.emplace(keyword, Included{name, first && writable});
  }
  return included;
}

class ComboReader {
 public:
  ComboReader(ImportResult* out, std::set<std::string>* unknown_keys,
              const std::map<std::string, Included>& included)
      : out_(out), unknown_keys_(unknown_keys), included_(included) {}
  void Read(const Json& combo, std::size_t line);

 private:
  void Note(std::string what) {
    out_->notes.push_back({entry_.line, entry_.name, std::move(what)});
  }
  std::string Variables(std::string_view snippet);

  ImportResult* out_;
  std::set<std::string>* unknown_keys_;
  const std::map<std::string, Included>& included_;
  ImportedEntry entry_;
};

void ComboReader::Read(const Json& combo, std::size_t line) {
  entry_ = ImportedEntry();
  entry_.line = line;
  if (!combo.is_object()) {
    out_->notes.push_back(
        {line, "", "Ein Eintrag unter „combos“ ist kein Objekt und wird übergangen."});
    return;
  }
  entry_.abbreviation = TrimBlanks(StringOf(combo, "keyword").value_or(""));
  entry_.name = NameOf(combo);
  if (entry_.name.empty()) {
    out_->notes.push_back({line, "", "Eine Combo ohne Namen und ohne Kürzel wird übergangen."});
    return;
  }
  const std::optional<std::string> snippet = StringOf(combo, "snippet");
  if (!snippet) {
    Note("Die Combo hat keinen Text („snippet“) und wird übergangen.");
    return;
  }
  NoteOwnPlaceholders(*snippet, entry_, out_);
  const auto html = combo.find("useHtml");
  const bool rich = html != combo.end() && html->is_boolean() && html->get<bool>();
  if (rich || IsStyledHtmlPage(*snippet)) {
    // A rich-text combo: its words go into the formatted version, whose plain text the
    // library makes from it.
    entry_.html =
        Variables(IsStyledHtmlPage(*snippet) ? StyledHtmlAsSubset(*snippet) : *snippet);
  } else {
    entry_.text = LineBreaksAsEnters(Variables(*snippet));
  }
  // Beeftext replaces a keyword as soon as it is typed, without waiting for a word's end.
  entry_.at_once = true;
  const auto enabled = combo.find("enabled");
  if (enabled != combo.end() && enabled->is_boolean() && !enabled->get<bool>() &&
      !entry_.abbreviation.empty()) {
    Note("Die Combo ist in Beeftext ausgeschaltet; sie kommt ohne ihr Kürzel " +
         Quoted(entry_.abbreviation) + ", damit sie nicht erweitert wird.");
    entry_.abbreviation.clear();
  }
  const std::string matching = SettingOf(combo, "matchingMode");
  if (matching == "2" || matching == "loose") {
    Note("Mitten im Wort erweitert Quillet nicht (lockere Erkennung), nur vom Wortanfang an.");
  } else if (!matching.empty() && matching != "0" && matching != "1" && matching != "default" &&
             matching != "strict") {
    Note("Die Erkennungsart " + Quoted(matching) + " wird nicht übernommen.");
  }
  const std::string letter_case = SettingOf(combo, "caseSensitivity");
  if (!letter_case.empty() && letter_case != "0" && letter_case != "default" &&
      letter_case.find("insensitive") == std::string::npos) {
    Note("Die Einstellung zur Groß- und Kleinschreibung " + Quoted(letter_case) +
         " wird nicht übernommen: Quillet unterscheidet sie bei Kürzeln nicht.");
  }
  if (const std::optional<std::string> about = StringOf(combo, "description");
      about && !about->empty()) {
    Note("Die Beschreibung " + Quoted(*about) + " wird nicht übernommen.");
  }
  static const std::set<std::string> kRead = {"name",
                                              "keyword",
                                              "snippet",
                                              "enabled",
                                              "matchingMode",
                                              "caseSensitivity",
                                              "description",
                                              "useHtml",
                                              "group",
                                              "uuid",
                                              "created",
                                              "modified",
                                              "lastUse",
                                              "creationDateTime",
                                              "modificationDateTime",
                                              "lastUseDateTime"};
  for (const auto& item : combo.items()) {
    if (!kRead.count(item.key()) && unknown_keys_->insert(item.key()).second) {
      Note("Die Angabe " + Quoted(item.key()) + " wird in keiner Combo übernommen.");
    }
  }
  out_->entries.push_back(std::move(entry_));
}

// "#{name}" and "#{name:parameter}" ("\\}" a brace inside the parameter).
std::string ComboReader::Variables(std::string_view snippet) {
  std::string out;
  std::set<std::string> told;
  bool cursor = false;
  for (std::size_t i = 0; i < snippet.size();) {
    const std::size_t open = snippet.find("#{", i);
    std::size_t close = open == std::string_view::npos ? open : open + 2;
    while (close < snippet.size() && snippet[close] != '}') close += snippet[close] == '\\' ? 2 : 1;
    // Included names repeated past what an import takes end here; the entry is refused.
    if (open == std::string_view::npos || close >= snippet.size() ||
        out.size() > kMostImportedText) {
      out += snippet.substr(i);
      break;
    }
    out += snippet.substr(i, open - i);
    i = close + 1;
    const std::string_view whole = snippet.substr(open, i - open);
    const std::string_view inner = snippet.substr(open + 2, close - open - 2);
    const std::size_t colon = inner.find(':');
    const std::string_view name = inner.substr(0, colon);
    std::string parameter;
    if (colon != std::string_view::npos) {
      for (std::size_t k = colon + 1; k < inner.size(); ++k) {
        if (inner[k] == '\\' && k + 1 < inner.size() && inner[k + 1] == '}') ++k;
        parameter += inner[k];
      }
    }
    const auto tell = [&](const std::string& what) {
      if (told.insert(std::string(whole)).second) Note(what);
    };
    std::optional<std::string> ours;
    if (colon == std::string_view::npos && name == "date") ours = "%datum%";
    if (colon == std::string_view::npos && name == "time") ours = "%zeit%";
    if (colon == std::string_view::npos && name == "dateTime") ours = "%datum% %zeit%";
    if (colon == std::string_view::npos && name == "clipboard") ours = "%zwischenablage%";
    if (colon != std::string_view::npos && name == "dateTime")
      ours = QtFormatAsPlaceholders(parameter);
    if (inner == "cursor") {
      // Quillet leaves the caret at the first mark.
      if (!cursor) out += "%cursor%";
      if (cursor)
        tell(
            "Quillet lässt den Cursor an der ersten Marke „#{cursor}“; die weiteren werden "
            "entfernt.");
      cursor = true;
      continue;
    }
    if (colon != std::string_view::npos && name == "input") {
      // Beeftext asks once for each description, as Quillet's form asks a field once.
      ours = FieldWord(PeerField::kLine, parameter);
      if (!ours) {
        tell("Die Eingabe " + Quoted(whole) +
             " lässt sich in Quillet nicht als Feld schreiben (die Beschreibung ist leer, länger "
             "als 64 Zeichen oder enthält „%“) und bleibt als Text stehen.");
      }
    }
    if (colon != std::string_view::npos && name == "combo") {
      const auto it = included_.find(TrimBlanks(parameter));
      if (it != included_.end() && it->second.found) {
        ours = "%baustein=" + it->second.name + "%";
      } else if (it != included_.end()) {
        tell("Der Verweis " + Quoted(whole) + " bleibt als Text stehen: Der Name " +
             Quoted(it->second.name) + " lässt sich in „%baustein=…%“ nicht eindeutig schreiben.");
      } else {
        tell("Der Verweis " + Quoted(whole) +
             " auf eine Combo, die nicht in der Datei steht, bleibt als Text stehen.");
      }
    }
    if (ours) {
      out += *ours;
      continue;
    }
    out += whole;  // told once: an input or a reference above is not told again here
    tell("Die Variable " + Quoted(whole) +
         " hat in Quillet keine Entsprechung und bleibt als Text stehen.");
  }
  return out;
}

}  // namespace

bool ReadBeeftextCombos(std::string_view bytes, ImportResult* result, TextProblem* problem) {
  std::string text;
  if (!DecodeTextFile(bytes, &text, problem)) return false;
  Json doc;
  try {
    doc = Json::parse(text);
  } catch (const Json::parse_error& e) {
    *problem = {LineAt(text, e.byte > 0 ? e.byte - 1 : 0),
                std::string("Die Datei ist kein gültiges JSON (") + e.what() + ")."};
    return false;
  } catch (const std::exception& e) {
    *problem = {0, std::string("Die Datei lässt sich nicht als JSON lesen (") + e.what() + ")."};
    return false;
  }
  const auto combos = doc.is_object() ? doc.find("combos") : doc.end();
  if (!doc.is_object() || combos == doc.end() || !combos->is_array()) {
    *problem = {1, "Die Datei ist keine Exportdatei von Beeftext: Ihr fehlt die Liste „combos“."};
    return false;
  }
  const Lines lines = FindLines(text);
  ImportResult out;
  for (const auto& item : doc.items()) {
    const auto at = lines.keys.find(item.key());
    const std::size_t line = at == lines.keys.end() ? 1 : at->second;
    if (item.key() == "combos" || item.key() == "fileFormatVersion") continue;
    if (item.key() != "groups") {
      out.notes.push_back(
          {line, "", "Der Abschnitt " + Quoted(item.key()) + " wird nicht übernommen."});
      continue;
    }
    std::string names;
    for (const Json& group : item.value().is_array() ? item.value() : Json::array()) {
      const std::optional<std::string> name =
          group.is_object() ? StringOf(group, "name") : std::nullopt;
      if (name) names += (names.empty() ? "" : ", ") + Quoted(*name);
    }
    if (!names.empty()) {
      out.notes.push_back(
          {line, "",
           "Die Gruppen " + names + " werden nicht übernommen; ihre Combos kommen ohne Gruppe."});
    }
  }
  std::set<std::string> unknown_keys;
  const std::map<std::string, Included> included = IncludedByKeyword(*combos);
  ComboReader reader(&out, &unknown_keys, included);
  const bool lines_known = lines.combos.size() == combos->size();
  ImportBounds bounds;
  for (std::size_t i = 0; i < combos->size(); ++i) {
    const std::size_t line = lines_known ? lines.combos[i] : 0;
    reader.Read((*combos)[i], line);
    if (!bounds.Within(out, line, problem)) return false;
  }
  SortNotesByLine(&out);
  *result = std::move(out);
  return true;
}

}  // namespace qm
