// A library as our own JSON file.
#include "transfer/library_json.h"

#include <nlohmann/json.hpp>

#include <array>
#include <cstdint>

#include "text/text_lists.h"
#include "text/utf.h"
#include "transfer/library_csv.h"
#include "transfer/peer_text.h"

namespace qm {
namespace {

using Json = nlohmann::json;

constexpr const char* kMarker = "quillet-library";
constexpr std::int64_t kVersion = 1;

enum Field {
  kName, kText, kAbbreviation, kImmediate, kTitle, kDosBox, kCrypt, kDelivery, kHtml, kFields
};
constexpr std::array<const char*, kFields> kFieldNames = {
    "name", "text", "abbreviation", "immediate", "title", "dosbox", "crypt", "delivery", "html"};
constexpr bool IsFlag(int field) {
  return field == kImmediate || field == kDosBox || field == kCrypt;
}

bool IsJsonBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool EndsToken(char c) {
  return IsJsonBlank(c) || c == ',' || c == ':' || c == ']' || c == '}';
}

// The line each value of a valid JSON text starts on, in the order a parser meets them: the
// parser tells what it reads but not where.
std::vector<std::size_t> ValueLines(std::string_view text) {
  std::vector<std::size_t> lines;
  std::size_t line = 1;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      ++line;
    } else if (c == '{' || c == '[') {
      lines.push_back(line);
    } else if (c == '"') {
      // A string holds no line break; one followed by a colon is a key, not a value.
      std::size_t end = i + 1;
      while (end < text.size() && text[end] != '"') end += text[end] == '\\' ? 2 : 1;
      std::size_t next = end + 1;
      while (next < text.size() && IsJsonBlank(text[next])) ++next;
      if (next >= text.size() || text[next] != ':') lines.push_back(line);
      i = end;
    } else if (!EndsToken(c)) {  // a number, true, false or null
      lines.push_back(line);
      while (i + 1 < text.size() && !EndsToken(text[i + 1])) ++i;
    }
  }
  return lines;
}

// Builds the document through nlohmann's own builder, noting which values are the entries,
// and keeps what a parse error tells instead of throwing it.
class Reader : public nlohmann::json_sax<Json> {
 public:
  explicit Reader(Json* doc) : dom_(*doc, false) {}

  bool null() override { return Value() && dom_.null(); }
  bool boolean(bool v) override { return Value() && dom_.boolean(v); }
  bool number_integer(number_integer_t v) override { return Value() && dom_.number_integer(v); }
  bool number_unsigned(number_unsigned_t v) override { return Value() && dom_.number_unsigned(v); }
  bool number_float(number_float_t v, const string_t& s) override {
    return Value() && dom_.number_float(v, s);
  }
  bool string(string_t& v) override { return Value() && dom_.string(v); }
  bool binary(binary_t& v) override { return Value() && dom_.binary(v); }
  bool start_object(std::size_t n) override {
    if (!Value()) return false;
    ++depth_;
    return dom_.start_object(n);
  }
  bool key(string_t& k) override {
    if (depth_ == 1) root_key_ = k;
    return dom_.key(k);
  }
  bool end_object() override {
    --depth_;
    return dom_.end_object();
  }
  bool start_array(std::size_t n) override {
    if (!Value()) return false;
    if (depth_ == 1 && root_key_ == "entries") {
      // Of a repeated key the document keeps the last value.
      in_entries_ = true;
      entries_.clear();
    }
    ++depth_;
    return dom_.start_array(n);
  }
  bool end_array() override {
    if (--depth_ == 1) in_entries_ = false;
    return dom_.end_array();
  }
  bool parse_error(std::size_t position, const std::string& last_token,
                   const nlohmann::detail::exception& error) override {
    error_at_ = position;
    error_token_ = last_token;
    error_what_ = error.what();
    return false;
  }

  // The value number (in the order they were read) of each entry.
  const std::vector<std::size_t>& entries() const { return entries_; }
  std::size_t error_at() const { return error_at_; }
  const std::string& error_token() const { return error_token_; }
  const std::string& error_what() const { return error_what_; }
  // Whether the reading stopped at the entry past kMostImportedEntries, and its value.
  bool too_many() const { return too_many_; }
  std::size_t values() const { return values_; }

 private:
  bool Value() {
    if (in_entries_ && depth_ == 2) {
      // Stopped here, before the document holds more than an import takes.
      if (entries_.size() == kMostImportedEntries) {
        too_many_ = true;
        return false;
      }
      entries_.push_back(values_);
    }
    ++values_;
    return true;
  }

  nlohmann::detail::json_sax_dom_parser<Json> dom_;
  std::size_t values_ = 0;
  int depth_ = 0;
  std::string root_key_;
  bool in_entries_ = false;
  std::vector<std::size_t> entries_;
  std::size_t error_at_ = 0;
  std::string error_token_, error_what_;
  bool too_many_ = false;
};

// At most about 40 bytes of `text`, cut between characters.
std::string Shortened(std::string text) {
  if (text.size() <= 40) return text;
  std::size_t cut = 0;
  while (cut < 40) NextCodePoint(text, cut);
  return text.substr(0, cut) + "…";
}

// A value as a message shows it: a list or an object by its kind, since writing out one nested
// a million deep would take as deep a stack.
std::string Shown(const Json& value) {
  if (value.is_array()) return "eine Liste";
  if (value.is_object()) return "ein Objekt";
  return Shortened(value.dump());
}

std::string SyntaxError(const Reader& reader) {
  const std::string& what = reader.error_what();
  if (what.find("unexpected end of input") != std::string::npos)
    return "Die Datei endet, bevor das JSON vollständig ist.";
  if (what.find("control character") != std::string::npos) {
    return "In einer Zeichenkette steht ein Zeilenumbruch oder Steuerzeichen; JSON schreibt ihn "
           "als \\n, \\t oder \\u-Folge.";
  }
  const std::string token = Shortened(reader.error_token());
  return "Hier ist das JSON nicht gültig" +
         (token.empty() ? std::string() : " (zuletzt gelesen: „" + token + "“)") + ".";
}

std::string Quote(const std::string& text) {
  return "„" + text + "“";
}

}  // namespace

bool ReadJsonLibrary(std::string_view bytes, ImportResult* result, TextProblem* problem) {
  std::string text;
  if (!DecodeTextFile(bytes, &text, problem)) return false;
  Json doc;
  Reader reader(&doc);
  if (!Json::sax_parse(text, &reader)) {
    if (reader.too_many()) {
      const std::vector<std::size_t> lines = ValueLines(text);
      *problem =
          ImportBounds::TooManyEntries(reader.values() < lines.size() ? lines[reader.values()] : 0);
      return false;
    }
    // The parser counts the byte it stopped at from 1; at the end, the last one it read.
    std::size_t at = reader.error_at() > 0 ? reader.error_at() - 1 : 0;
    if (at >= text.size()) {
      at = text.size();
      while (at > 0 && IsJsonBlank(text[at - 1])) --at;
      at = at > 0 ? at - 1 : 0;
    }
    *problem = {LineAt(text, at), SyntaxError(reader)};
    return false;
  }
  const std::vector<std::size_t> lines = ValueLines(text);
  const auto line_of = [&](std::size_t value) { return value < lines.size() ? lines[value] : 0; };
  const std::size_t top = line_of(0);
  const auto refuse = [&](std::size_t line, std::string what) {
    *problem = {line, std::move(what)};
    return false;
  };
  if (!doc.is_object()) {
    return refuse(top, "Die Datei muss ein JSON-Objekt mit der Liste „entries“ sein.");
  }
  ImportResult out;
  const auto format = doc.find("format");
  if (format == doc.end()) {
    out.notes.push_back({top, "",
                         "Die Datei nennt ihr Format nicht („format“: „quillet-library“); sie "
                         "wird als Quillet-Bibliothek gelesen."});
  } else if (!format->is_string() || format->get_ref<const std::string&>() != kMarker) {
    return refuse(top, "Das ist keine Quillet-Bibliothek: „format“ ist " + Shown(*format) +
                           " statt „quillet-library“.");
  }
  if (const auto version = doc.find("version"); version != doc.end()) {
    if (!version->is_number_integer() || version->get<std::int64_t>() < 1) {
      return refuse(top,
                    "„version“ muss eine ganze Zahl ab 1 sein, nicht " + Shown(*version) + ".");
    }
    if (version->get<std::int64_t>() > kVersion) {
      out.notes.push_back(
          {top, "",
           "Die Datei hat die Version " + version->dump() +
               " des Formats; diese Quillet-Version kennt Version 1 und meldet, was sie darin "
               "nicht kennt."});
    }
  }
  const auto list = doc.find("entries");
  if (list == doc.end() || !list->is_array()) {
    return refuse(top, "Die Datei braucht die Liste der Einträge („entries“: [ ... ]).");
  }
  for (const auto& [key, value] : doc.items()) {
    if (key != "format" && key != "version" && key != "entries") {
      out.notes.push_back({top, "", "Der Schlüssel " + Quote(key) + " wird nicht übernommen."});
    }
  }
  const std::vector<std::size_t>& entry_values = reader.entries();
  ImportBounds bounds;
  for (std::size_t i = 0; i < list->size(); ++i) {
    const Json& item = (*list)[i];
    const std::size_t line = i < entry_values.size() ? line_of(entry_values[i]) : top;
    const std::string which = "Der " + std::to_string(i + 1) + ". Eintrag";
    if (!item.is_object()) return refuse(line, which + " ist kein Objekt { ... }.");
    std::array<const Json*, kFields> given{};
    std::vector<std::string> unknown;
    for (const auto& [key, value] : item.items()) {
      int field = 0;
      while (field < kFields && key != kFieldNames[field]) ++field;
      if (field == kFields) {
        unknown.push_back(key);
        continue;
      }
      if (value.is_null()) continue;
      if (IsFlag(field) ? !value.is_boolean() : !value.is_string()) {
        return refuse(line, which + ": " + Quote(key) + " muss " +
                                (IsFlag(field) ? "true oder false" : "eine Zeichenkette") +
                                " sein, nicht " + Shown(value) + ".");
      }
      given[field] = &value;
    }
    const auto text_of = [&](int field) {
      return given[field] ? given[field]->get_ref<const std::string&>() : std::string();
    };
    ImportedEntry e;
    e.line = line;
    e.name = ImportedName(text_of(kName), line, &out.notes);
    if (e.name.empty()) return refuse(line, which + " hat keinen Namen („name“).");
    e.text = LineBreaksAsEnters(text_of(kText));
    e.abbreviation = TrimBlanks(text_of(kAbbreviation));
    e.title = text_of(kTitle);
    e.delivery = TrimBlanks(text_of(kDelivery));
    e.html = text_of(kHtml);
    e.at_once = given[kImmediate] && given[kImmediate]->get<bool>();
    e.dosbox = given[kDosBox] && given[kDosBox]->get<bool>();
    e.crypt = given[kCrypt] && given[kCrypt]->get<bool>();
    for (const std::string& key : unknown) {
      out.notes.push_back({line, e.name, "Das Feld " + Quote(key) + " wird nicht übernommen."});
    }
    out.entries.push_back(std::move(e));
    if (!bounds.Within(out, line, problem)) return false;
  }
  *result = std::move(out);
  return true;
}

std::string WriteJsonLibrary(const std::vector<ImportedEntry>& entries) {
  using Ordered = nlohmann::ordered_json;
  Ordered doc;
  doc["format"] = kMarker;
  doc["version"] = kVersion;
  Ordered& list = doc["entries"] = Ordered::array();
  for (const ImportedEntry& e : entries) {
    std::string text = e.text;
    for (char& c : text) c = c == '\r' ? '\n' : c;
    Ordered entry;
    entry[kFieldNames[kName]] = e.name;
    entry[kFieldNames[kText]] = text;
    entry[kFieldNames[kAbbreviation]] = e.abbreviation;
    entry[kFieldNames[kImmediate]] = e.at_once;
    entry[kFieldNames[kTitle]] = e.title;
    entry[kFieldNames[kDosBox]] = e.dosbox;
    entry[kFieldNames[kCrypt]] = e.crypt;
    entry[kFieldNames[kDelivery]] = e.delivery;
    if (!e.html.empty()) entry[kFieldNames[kHtml]] = e.html;
    list.push_back(std::move(entry));
  }
  // The library's texts are UTF-8 already; nothing is left to replace.
  return doc.dump(2, ' ', false, Ordered::error_handler_t::replace) + "\n";
}

}  // namespace qm
