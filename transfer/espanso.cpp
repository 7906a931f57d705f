// espanso's match files as entries for the library.
#include "transfer/espanso.h"

#include <yaml-cpp/depthguard.h>
#include <yaml-cpp/yaml.h>

#include <exception>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "rich/markdown.h"
#include "text/text_lists.h"
#include "transfer/espanso_text.h"
#include "transfer/peer_text.h"

namespace qm {
namespace {

std::size_t LineOf(const YAML::Node& node, std::size_t otherwise) {
  const YAML::Mark mark = node.Mark();
  return mark.is_null() ? otherwise : static_cast<std::size_t>(mark.line) + 1;
}

// Thrown where the text read passes what an import takes: the reading ends there.
struct PastTheBound {
  TextProblem problem;
};

// A scalar's text, counted before it is copied: yaml-cpp gives an alias the whole text of its
// anchor at each use, so that a small file can stand for any amount of text.
std::optional<std::string> ScalarOf(const YAML::Node& node, ImportBounds& bounds) {
  if (!node.IsDefined() || !node.IsScalar()) return std::nullopt;
  TextProblem problem;
  if (!bounds.Expands(node.Scalar().size(), LineOf(node, 0), &problem)) {
    throw PastTheBound{problem};
  }
  return node.Scalar();
}

// A mapping's values by key, the first of a repeated key winning, with the keys that a
// "<<" merge brings in where the mapping has none of its own.
std::map<std::string, YAML::Node> Fields(const YAML::Node& map, ImportBounds& bounds) {
  std::map<std::string, YAML::Node> fields;
  std::vector<YAML::Node> merged;
  for (const auto& kv : map) {
    const std::optional<std::string> key = ScalarOf(kv.first, bounds);
    if (!key) continue;
    if (*key == "<<") {
      if (kv.second.IsMap()) merged.push_back(kv.second);
      if (kv.second.IsSequence()) {
        for (const auto& m : kv.second) merged.push_back(m);
      }
      continue;
    }
    fields.emplace(*key, kv.second);
  }
  for (const YAML::Node& m : merged) {
    if (!m.IsMap()) continue;
    for (const auto& kv : m) {
      if (const std::optional<std::string> key = ScalarOf(kv.first, bounds))
        fields.emplace(*key, kv.second);
    }
  }
  return fields;
}

bool IsTrue(const std::map<std::string, YAML::Node>& fields, const std::string& key,
            ImportBounds& bounds) {
  const auto it = fields.find(key);
  const std::optional<std::string> value =
      it == fields.end() ? std::nullopt : ScalarOf(it->second, bounds);
  return value && (*value == "true" || *value == "True" || *value == "yes");
}

// A match's or the file's variables: the ones Quillet's placeholders give (dates, the
// clipboard, a form's fields as "form.field"), by name, and the names of the others, which
// stay as text.
struct Variables {
  std::map<std::string, std::string> placeholders;
  std::set<std::string> told;
};

using Notify = std::function<void(std::size_t, std::string)>;

std::optional<std::string> ScalarIn(const std::map<std::string, YAML::Node>& m, const char* key,
                                    ImportBounds& bounds) {
  const auto it = m.find(key);
  return it == m.end() ? std::nullopt : ScalarOf(it->second, bounds);
}

std::map<std::string, YAML::Node> MapIn(const std::map<std::string, YAML::Node>& m, const char* key,
                                        ImportBounds& bounds) {
  const auto it = m.find(key);
  return it != m.end() && it->second.IsMap() ? Fields(it->second, bounds)
                                             : std::map<std::string, YAML::Node>();
}

// The field `name` of a form as the word Quillet's form asks it with, by its settings in
// `fields` (a match's "form_fields", a form variable's "fields"): a text field, one of
// "multiline: true", or a "choice" or "list" of "values" (a list, or a text of one value a
// line). `shown` stays in its place where Quillet has no word for it, with a note.
std::optional<std::string> FormFieldWord(const std::string& name,
                                         const std::map<std::string, YAML::Node>& fields,
                                         const std::string& shown, const Notify& note,
                                         std::size_t line, ImportBounds& bounds) {
  const std::map<std::string, YAML::Node> f = MapIn(fields, name.c_str(), bounds);
  const std::string type = ScalarIn(f, "type", bounds).value_or("text");
  const std::string what = "Das Formularfeld " + Quoted(name);
  std::optional<std::string> word;
  if (type == "text") {
    word = FieldWord(IsTrue(f, "multiline", bounds) ? PeerField::kLines : PeerField::kLine, name);
  } else if (type == "choice" || type == "list") {
    std::vector<std::string> values;
    const auto v = f.find("values");
    if (v != f.end() && v->second.IsSequence()) {
      for (const auto& value : v->second) values.push_back(ScalarOf(value, bounds).value_or(""));
    } else {
      values = ValueLines(ScalarIn(f, "values", bounds).value_or(""));
    }
    word = FieldWord(PeerField::kChoice, name, values);
  } else {
    note(line, what + " (Typ " + Quoted(type) + ") hat in Quillet keine Entsprechung; " +
                   Quoted(shown) + " bleibt als Text stehen.");
    return std::nullopt;
  }
  if (!word) {
    note(line, what +
                   " lässt sich mit diesem Namen oder diesen Werten in Quillet nicht "
                   "schreiben; " +
                   Quoted(shown) + " bleibt als Text stehen.");
  } else if (f.count("default")) {
    note(line, what + " kommt ohne seinen Vorgabewert.");
  }
  return word;
}

// Reads a "vars" or "global_vars" list; `note` hears of each variable that is not carried,
// with the line it stands on.
void ReadVariableList(const YAML::Node& list, const std::string& kind, Variables* vars,
                      const Notify& note, ImportBounds& bounds) {
  if (!list.IsSequence()) return;
  for (const auto& var : list) {
    if (!var.IsMap()) continue;
    const std::map<std::string, YAML::Node> v = Fields(var, bounds);
    const std::string name = ScalarIn(v, "name", bounds).value_or("");
    const std::string type = ScalarIn(v, "type", bounds).value_or("");
    const std::string named = kind + " " + Quoted(name);
    const std::string stays = "; " + Quoted("{{" + name + "}}") + " bleibt als Text stehen.";
    const std::map<std::string, YAML::Node> p = MapIn(v, "params", bounds);
    const std::size_t line = LineOf(var, 0);
    if (type == "form") {
      // Its fields are used as "{{name.field}}".
      const std::map<std::string, YAML::Node> fields = MapIn(p, "fields", bounds);
      for (const std::string& field : FormFieldNames(ScalarIn(p, "layout", bounds).value_or(""))) {
        const std::string used = name + "." + field;
        if (const auto word =
                FormFieldWord(field, fields, "{{" + used + "}}", note, line, bounds)) {
          vars->placeholders[used] = *word;
        } else {
          vars->told.insert(used);
        }
      }
      continue;
    }
    const std::optional<std::string> format = ScalarIn(p, "format", bounds);
    const std::optional<std::string> offset = ScalarIn(p, "offset", bounds);
    const bool moved = type == "date" && p.count("offset") && (!offset || Moves(*offset));
    std::optional<std::string> ours;
    if (type == "clipboard") ours = "%zwischenablage%";
    if (type == "date" && format && (offset || !moved)) ours = DateAsPlaceholders(*format, offset);
    if (ours) {
      vars->placeholders[name] = *ours;
      if (moved) {
        note(line, named + " kommt als " + Quoted(*ours) +
                       ", im kurzen Datumsformat der Ländereinstellungen.");
      }
      continue;
    }
    vars->told.insert(name);
    if (type != "date" || !format) {
      note(line,
           named + " (" + (type.empty() ? "ohne Typ" : type) + ") wird nicht übernommen" + stays);
    } else if (moved) {
      note(line, named +
                     ": Die Verschiebung des Datums wird nur in ganzen Tagen (bis 3650) mit "
                     "dem Format " +
                     Quoted(kShortDateFormat) + " übernommen" + stays);
    } else {
      note(line, named + ": Das Datumsformat " + Quoted(*format) +
                     " hat in Quillet keine Entsprechung" + stays);
    }
  }
}

class MatchReader {
 public:
  MatchReader(const YAML::Node& match, const Variables& globals, ImportResult* out,
              ImportBounds& bounds)
      : match_(match), globals_(globals), out_(out), bounds_(bounds) {}

  // Sets `inside_words` for an entry that espanso expands inside words too.
  void Read(bool* inside_words);

 private:
  void Note(std::string what) {
    out_->notes.push_back({entry_.line, entry_.name, std::move(what)});
  }
  std::optional<std::string> Field(const std::string& key) const {
    const auto it = fields_.find(key);
    return it == fields_.end() ? std::nullopt : ScalarOf(it->second, bounds_);
  }
  bool IsSet(const std::string& key) { return IsTrue(fields_, key, bounds_); }
  bool ReadText();
  void ReadVariables();
  void ReadFormFields();
  std::string Put(const std::string& word);
  void ReadOptions(bool* inside_words);

  const YAML::Node& match_;
  const Variables& globals_;
  ImportResult* out_;
  ImportBounds& bounds_;
  std::map<std::string, YAML::Node> fields_;
  ImportedEntry entry_;
};

void MatchReader::Read(bool* inside_words) {
  entry_.line = LineOf(match_, 0);
  if (!match_.IsMap()) {
    out_->notes.push_back(
        {entry_.line, "", "Ein Eintrag unter „matches“ ist keine Zuordnung und wird übergangen."});
    return;
  }
  fields_ = Fields(match_, bounds_);
  std::vector<std::string> triggers;
  if (const std::optional<std::string> t = Field("trigger")) triggers.push_back(*t);
  if (const auto it = fields_.find("triggers"); it != fields_.end() && it->second.IsSequence()) {
    for (const auto& t : it->second) {
      if (const std::optional<std::string> s = ScalarOf(t, bounds_)) triggers.push_back(*s);
    }
  }
  const std::optional<std::string> regex = Field("regex");
  const std::optional<std::string> label = Field("label");
  if (!triggers.empty()) entry_.abbreviation = triggers.front();
  entry_.name = TrimBlanks(label               ? *label
                           : !triggers.empty() ? triggers.front()
                                               : regex.value_or(""));
  if (entry_.name.empty()) {
    out_->notes.push_back(
        {entry_.line, "", "Ein Eintrag ohne Auslöser und ohne „label“ wird übergangen."});
    return;
  }
  if (triggers.size() > 1) {
    std::string others;
    for (std::size_t i = 1; i < triggers.size(); ++i)
      others += (i > 1 ? ", " : "") + Quoted(triggers[i]);
    Note("Die weiteren Auslöser " + others +
         " werden nicht übernommen: Ein Eintrag hat in Quillet ein Kürzel.");
  }
  if (regex) {
    Note("Der Auslöser als regulärer Ausdruck " + Quoted(*regex) + " wird nicht übernommen" +
         (triggers.empty() ? "; der Eintrag kommt ohne Kürzel." : "."));
  }
  if (!ReadText()) return;
  ReadOptions(inside_words);
  out_->entries.push_back(std::move(entry_));
}

bool MatchReader::ReadText() {
  std::optional<std::string> text;
  std::string_view source;
  for (const char* key : {"replace", "html", "markdown", "form"}) {
    if (text) break;
    text = Field(key);
    source = key;
  }
  // A formatted text goes through the same words as a plain one, as the subset's HTML; its
  // plain text is made from it when it is stored.
  const bool formatted = source == "html" || source == "markdown";
  if (text && source == "markdown") *text = MarkdownToHtml(*text);
  if (!text) {
    const std::optional<std::string> image = Field("image_path");
    Note(image ? "Ein Bild (" + Quoted(*image) +
                     ") wird nicht übernommen; der Eintrag wird übergangen."
               : std::string("Der Eintrag hat keinen Text („replace“) und wird übergangen."));
    return false;
  }
  entry_.text = std::move(*text);
  NoteOwnPlaceholders(entry_.text, entry_, out_);
  if (!CarryCursorMark(&entry_.text)) {
    Note("Quillet lässt den Cursor an der ersten Marke „$|$“; die weiteren werden entfernt.");
  }
  ReadVariables();
  if (source == "form") ReadFormFields();
  if (formatted) {
    entry_.html = std::move(entry_.text);
    entry_.text.clear();
  } else {
    entry_.text = LineBreaksAsEnters(entry_.text);
  }
  return true;
}

std::string MatchReader::Put(const std::string& word) {
  // A word used again and again repeats it: counted as it is put in.
  TextProblem problem;
  if (!bounds_.Expands(word.size(), entry_.line, &problem)) throw PastTheBound{problem};
  return word;
}

// A form's "[[name]]" as the words of Quillet's form.
void MatchReader::ReadFormFields() {
  const std::map<std::string, YAML::Node> fields = MapIn(fields_, "form_fields", bounds_);
  std::map<std::string, std::optional<std::string>> words;  // by name, each noted once
  const Notify note = [this](std::size_t, std::string what) { Note(std::move(what)); };
  entry_.text =
      ReplaceBetween(entry_.text, "[[", "]]", [&](const std::string& name, std::string_view whole) {
        auto [word, first] = words.try_emplace(name);
        if (first) {
          word->second = FormFieldWord(name, fields, std::string(whole), note, 0, bounds_);
        }
        return word->second ? Put(*word->second) : std::string(whole);
      });
}

void MatchReader::ReadVariables() {
  const auto list = fields_.find("vars");
  if (fields_.count("inject_vars") && !IsSet("inject_vars")) {
    if (list != fields_.end()) {
      Note(
          "Die Variablen werden nicht eingesetzt („inject_vars: false“); der Text bleibt, wie er "
          "ist.");
    }
    return;
  }
  Variables own;
  if (list != fields_.end()) {
    ReadVariableList(
        list->second, "Die Variable", &own,
        [this](std::size_t, std::string what) { Note(std::move(what)); }, bounds_);
  }
  entry_.text = ReplaceBetween(
      entry_.text, "{{", "}}", [&](const std::string& inner, std::string_view whole) {
        const std::string name = TrimBlanks(inner);
        if (const auto p = own.placeholders.find(name); p != own.placeholders.end()) {
          return Put(p->second);
        }
        if (const auto p = globals_.placeholders.find(name);
            p != globals_.placeholders.end() && !own.told.count(name)) {
          return Put(p->second);
        }
        if (own.told.insert(name).second) {
          const std::string shown = Quoted("{{" + name + "}}");
          Note(globals_.told.count(name)
                   ? "Der Verweis " + shown + " auf die globale Variable bleibt als Text stehen."
                   : "Der Verweis " + shown +
                         " auf eine Variable, die hier nicht steht, bleibt als Text stehen.");
        }
        return std::string(whole);
      });
}

void MatchReader::ReadOptions(bool* inside_words) {
  static const std::set<std::string> kRead = {
      "trigger",  "triggers",  "regex",       "label",      "replace",        "html",
      "markdown", "form",      "form_fields", "image_path", "vars",           "inject_vars",
      "word",     "left_word", "right_word",  "force_mode", "force_clipboard"};
  // espanso expands as soon as the trigger is typed, inside words too, unless told to wait
  // for a word's edges; Quillet's abbreviations start at a word's start.
  const bool word = IsSet("word");
  const bool right = IsSet("right_word");
  entry_.at_once = !word && !right;
  if (!entry_.abbreviation.empty() && !word && !IsSet("left_word")) {
    if (right) {
      Note("Mitten im Wort erweitert Quillet nicht („right_word“), nur vom Wortanfang an.");
    } else {
      *inside_words = true;
    }
  }
  const std::optional<std::string> mode = Field("force_mode");
  if (mode == "clipboard" || IsSet("force_clipboard")) {
    entry_.delivery = "Einfügen";
  } else if (mode == "keys") {
    entry_.delivery = "Tasten";
  } else if (mode) {
    Note("Die Übertragungsart " + Quoted(*mode) + " wird nicht übernommen.");
  }
  if (fields_.count("propagate_case") || fields_.count("uppercase_style")) {
    Note("Die Angleichung der Groß- und Kleinschreibung an den Auslöser wird nicht übernommen.");
  }
  for (const auto& [key, value] : fields_) {
    if (kRead.count(key) || key == "propagate_case" || key == "uppercase_style") continue;
    Note("Die Angabe " + Quoted(key) + " wird nicht übernommen.");
  }
}

}  // namespace

bool ReadEspansoMatches(std::string_view bytes, ImportResult* result, TextProblem* problem) {
  std::string text;
  if (!DecodeTextFile(bytes, &text, problem)) return false;
  ImportBounds bounds;
  try {
    const YAML::Node root = YAML::Load(text);
    const std::map<std::string, YAML::Node> top =
        root.IsMap() ? Fields(root, bounds) : std::map<std::string, YAML::Node>();
    const auto matches = top.find("matches");
    if (matches == top.end()) {
      *problem = {LineOf(root, 1),
                  "Die Datei ist keine Match-Datei von espanso: Ihr fehlt die Liste „matches:“."};
      return false;
    }
    const std::size_t matches_line = LineOf(matches->second, 1);
    if (!matches->second.IsSequence() && !matches->second.IsNull()) {
      *problem = {matches_line, "„matches:“ ist keine Liste von Einträgen."};
      return false;
    }
    ImportResult out;
    Variables globals;
    for (const auto& [key, value] : top) {
      if (key == "matches") continue;
      const std::size_t line = LineOf(value, matches_line);
      if (key == "global_vars") {
        ReadVariableList(
            value, "Die globale Variable", &globals,
            [&out](std::size_t at, std::string what) {
              out.notes.push_back({at, "", std::move(what)});
            },
            bounds);
      } else if (key == "imports") {
        out.notes.push_back({line, "",
                             "Die eingebundenen Dateien („imports“) werden nicht gelesen; "
                             "importieren Sie sie einzeln."});
      } else {
        out.notes.push_back({line, "", "Der Abschnitt " + Quoted(key) + " wird nicht übernommen."});
      }
    }
    bool inside_words = false;
    for (const auto& match : matches->second) {
      MatchReader(match, globals, &out, bounds).Read(&inside_words);
      if (!bounds.Within(out, LineOf(match, matches_line), problem)) return false;
    }
    if (inside_words) {
      out.notes.insert(out.notes.begin(),
                       {matches_line, "",
                        "Auslöser, die espanso auch mitten im Wort erweitert, erweitert Quillet "
                        "sofort, aber nur am Wortanfang."});
    }
    SortNotesByLine(&out);
    *result = std::move(out);
    return true;
  } catch (const PastTheBound& e) {
    *problem = e.problem;
  } catch (const YAML::DeepRecursion& e) {
    *problem = {static_cast<std::size_t>(e.mark.line) + 1,
                "Die Datei ist zu tief verschachtelt, um sie als YAML zu lesen."};
  } catch (const YAML::Exception& e) {
    *problem = {e.mark.is_null() ? 0 : static_cast<std::size_t>(e.mark.line) + 1,
                "Die Datei ist kein gültiges YAML (" + e.msg + ")."};
  } catch (const std::exception& e) {
    *problem = {0, std::string("Die Datei lässt sich nicht als YAML lesen (") + e.what() + ")."};
  }
  return false;
}

}  // namespace qm
