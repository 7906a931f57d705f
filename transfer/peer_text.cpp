// What the importers of other snippet tools share.
#include "transfer/peer_text.h"

#include <algorithm>
#include <array>
#include <utility>

#include "text/utf.h"

namespace qm {

std::string LineBreaksAsEnters(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    out += text[i] == '\n' ? '\r' : text[i];
  }
  return out;
}

std::optional<std::string> StrftimeAsPlaceholders(std::string_view format) {
  // Only the pieces whose output Quillet's placeholders give exactly: two digits, four for
  // the year, 24 hours, the weekday's full name.
  static const std::array<std::pair<char, const char*>, 11> kPieces = {{
      {'d', "%tag%"},
      {'m', "%monat%"},
      {'Y', "%jahr%"},
      {'H', "%stunde%"},
      {'M', "%minute%"},
      {'S', "%sekunde%"},
      {'A', "%wochentag%"},
      {'F', "%jahr%-%monat%-%tag%"},
      {'T', "%stunde%:%minute%:%sekunde%"},
      {'R', "%stunde%:%minute%"},
      {'%', "%"},
  }};
  std::string out;
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%') {
      out += format[i];
      continue;
    }
    if (++i == format.size()) return std::nullopt;
    bool found = false;
    for (const auto& [piece, placeholder] : kPieces) {
      if (format[i] == piece) {
        out += placeholder;
        found = true;
      }
    }
    if (!found) return std::nullopt;
  }
  return out;
}

std::optional<std::string> QtFormatAsPlaceholders(std::string_view format) {
  static const std::array<std::pair<std::string_view, const char*>, 8> kPieces = {{
      {"dd", "%tag%"},
      {"dddd", "%wochentag%"},
      {"MM", "%monat%"},
      {"yyyy", "%jahr%"},
      {"HH", "%stunde%"},
      {"hh", "%stunde%"},  // 24 hours unless AP is there, and AP has no placeholder
      {"mm", "%minute%"},
      {"ss", "%sekunde%"},
  }};
  static constexpr std::string_view kLetters = "dMyhHmszaAt";
  std::string out;
  for (std::size_t i = 0; i < format.size();) {
    const char c = format[i];
    if (c == '\'') {
      // Quoted text as it stands; two quotes in a row are one.
      std::size_t k = i + 1;
      if (k < format.size() && format[k] == '\'') {
        out += '\'';
        i = k + 1;
        continue;
      }
      for (; k < format.size(); ++k) {
        if (format[k] == '\'' && k + 1 < format.size() && format[k + 1] == '\'') {
          out += format[k++];
        } else if (format[k] == '\'') {
          break;
        } else {
          out += format[k];
        }
      }
      i = k + 1;
      continue;
    }
    if (kLetters.find(c) == std::string_view::npos) {
      out += c;
      ++i;
      continue;
    }
    std::size_t run = i;
    while (run < format.size() && format[run] == c) ++run;
    const std::string_view piece = format.substr(i, run - i);
    const char* placeholder = nullptr;
    for (const auto& [letters, p] : kPieces) {
      if (letters == piece) placeholder = p;
    }
    if (!placeholder) return std::nullopt;
    out += placeholder;
    i = run;
  }
  return out;
}

std::string Quoted(std::string_view text) {
  constexpr std::size_t kLongest = 60;
  std::string out = "„";
  std::size_t count = 0;
  for (std::size_t pos = 0; pos < text.size();) {
    if (++count > kLongest) {
      out += "…";
      break;
    }
    const char32_t cp = NextCodePoint(text, pos);
    AppendUtf8(out, cp == U'\r' || cp == U'\n' || cp == U'\t' ? U' ' : cp);
  }
  return out + "“";
}

void NoteOwnPlaceholders(const std::string& text, const ImportedEntry& entry, ImportResult* out) {
  static constexpr std::array<std::string_view, 20> kOwn = {
      "%zeit%",     "%stunde%",    "%minute%",  "%sekunde%",        "%datum%",
      "%datum+",    "%datum-",     "%tag%",     "%monat%",          "%wochentag%",
      "%jahr%",     "%datei=",     "%eingabe=", "%mehrzeilig=",     "%auswahl=",
      "%optional=", "%/optional%", "%cursor%",  "%zwischenablage%", "%baustein="};
  const std::string folded = FoldCase(text);
  for (const std::string_view own : kOwn) {
    if (folded.find(own) == std::string::npos) continue;
    out->notes.push_back({entry.line, entry.name,
                          Quoted(own) +
                              " im Text ist in Quillet ein Platzhalter und wird beim Senden "
                              "ersetzt."});
    return;
  }
}

std::optional<std::string> FieldWord(PeerField kind, std::string_view name,
                                     const std::vector<std::string>& choices) {
  const bool choice = kind == PeerField::kChoice;
  if (name.empty() || CountCodePoints(name) > 64 || name.find('%') != std::string_view::npos ||
      (choice && name.find(':') != std::string_view::npos)) {
    return std::nullopt;
  }
  if (!choice)
    return (kind == PeerField::kLine ? "%eingabe=" : "%mehrzeilig=") + std::string(name) + "%";
  std::string all;
  for (const std::string& c : choices) {
    if (c.find_first_of("%|") != std::string::npos) return std::nullopt;
    all += (&c == &choices.front() ? "" : "|") + c;
  }
  if (all.empty()) return std::nullopt;  // nothing to choose, or one empty choice alone
  return "%auswahl=" + std::string(name) + ":" + all + "%";
}

namespace {

// "100.000", as German readers group digits.
std::string Grouped(std::size_t n) {
  std::string digits = std::to_string(n);
  for (std::size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, ".");
  return digits;
}

std::string TooMuchText() {
  return "Die Datei ergibt mehr Text, als ein Import aufnimmt (höchstens " +
         std::to_string(kMostImportedText >> 20) + " MB).";
}

}  // namespace

bool ImportBounds::Within(const ImportResult& result, std::size_t line, TextProblem* problem) {
  for (; entries_ < result.entries.size(); ++entries_) {
    const ImportedEntry& e = result.entries[entries_];
    text_ +=
        e.name.size() + e.text.size() + e.abbreviation.size() + e.title.size() + e.delivery.size();
  }
  for (; notes_ < result.notes.size(); ++notes_) {
    text_ += result.notes[notes_].entry.size() + result.notes[notes_].what.size();
  }
  if (entries_ > kMostImportedEntries) {
    *problem = TooManyEntries(line);
    return false;
  }
  if (text_ > kMostImportedText) {
    *problem = {line, TooMuchText()};
    return false;
  }
  return true;
}

TextProblem ImportBounds::TooManyEntries(std::size_t line) {
  return {line, "Die Datei ergibt mehr Einträge, als ein Import aufnimmt (höchstens " +
                    Grouped(kMostImportedEntries) + ")."};
}

bool ImportBounds::Expands(std::size_t bytes, std::size_t line, TextProblem* problem) {
  expanded_ += bytes;
  if (expanded_ <= kMostImportedText) return true;
  *problem = {line, TooMuchText()};
  return false;
}

void SortNotesByLine(ImportResult* result) {
  std::stable_sort(result->notes.begin(), result->notes.end(),
                   [](const ImportNote& a, const ImportNote& b) { return a.line < b.line; });
}

}  // namespace qm
