// AutoHotkey's hotstrings as entries for the library.
#include "transfer/hotstrings.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "text/text_lists.h"
#include "text/utf.h"
#include "transfer/ahk_keys.h"
#include "transfer/peer_text.h"

namespace qm {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view TrimLeft(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  return s;
}

std::string_view TrimRight(std::string_view s) {
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

bool StartsWithWord(std::string_view s, std::string_view word) {
  return s.size() >= word.size() && FoldCase(s.substr(0, word.size())) == FoldCase(word);
}

// The options of a hotstring, those of the #Hotstring lines above it first.
struct Options {
  bool at_once = false, inside_words = false, case_sensitive = false, keep_typed = false,
       omit_end = false, raw = false, execute = false;
  std::vector<std::string> others;  // as written: K10, SE, Z, ...

  void Apply(std::string_view options) {
    for (std::size_t i = 0; i < options.size();) {
      const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(options[i])));
      std::size_t end = i + 1;
      if (c == 'S' && end < options.size() &&
          std::string_view("IEPiep").find(options[end]) != std::string_view::npos) {
        ++end;
      }
      while (end < options.size() && std::isdigit(static_cast<unsigned char>(options[end]))) ++end;
      const std::string_view whole = options.substr(i, end - i);
      const bool on = whole.size() == 1 || whole.substr(1) != "0";
      i = end;
      switch (c) {
        case ' ':
        case '\t':
          break;
        case '*':
          at_once = on;
          break;
        case '?':
          inside_words = on;
          break;
        case 'B':
          keep_typed = !on;
          break;
        case 'C':
          case_sensitive = whole.size() == 1;
          break;
        case 'O':
          omit_end = on;
          break;
        case 'R':
        case 'T':
          raw = on;
          break;
        case 'X':
          execute = on;
          break;
        default:
          others.emplace_back(whole);
      }
    }
  }
};

// Where a comment starts: a ";" after a blank, or at the start of `s` where that is the
// start of a line, not escaped.
std::size_t CommentAt(std::string_view s, bool line_start) {
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '`') {
      ++i;
    } else if (s[i] == ';' && (i == 0 ? line_start : IsBlank(s[i - 1]))) {
      return i;
    }
  }
  return std::string_view::npos;
}

class ScriptReader {
 public:
  ScriptReader(std::string_view text, ImportResult* out);
  // False, with the bound that was passed in `problem`, where the hotstrings bring in more
  // than an import takes.
  bool Read(TextProblem* problem);

 private:
  struct Passed {
    std::size_t first = 0;
    int count = 0;
    std::string example;
  };
  void Pass(Passed& kind, std::size_t line, std::string_view example) {
    if (kind.count++ == 0) {
      kind.first = line;
      kind.example = std::string(example);
    }
  }
  void TellPassed(const Passed& kind, const std::string& what);
  bool Hotstring(std::size_t* i);
  std::string Continuation(std::size_t* i, bool* ended, bool* escapes);
  std::optional<std::size_t> PasteBody(std::size_t from, bool braced) const;
  void Add(ImportedEntry e, const Options& o, std::string text, bool escapes);
  void Keep(ImportedEntry e, const Options& o);

  std::vector<std::string_view> lines_;
  ImportResult* out_;
  Options defaults_;
  bool v2_ = false;
  std::string context_;  // the #If line the hotstrings below it depend on; empty: none
  Passed directives_, hotkeys_, code_;
};

ScriptReader::ScriptReader(std::string_view text, ImportResult* out) : out_(out) {
  std::size_t start = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == '\n' || text[i] == '\r') {
      lines_.push_back(text.substr(start, i - start));
      if (i + 1 < text.size() && text[i] == '\r' && text[i + 1] == '\n') ++i;
      start = i + 1;
    }
  }
}

bool ScriptReader::Read(TextProblem* problem) {
  ImportBounds bounds;
  bool in_comment = false;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const std::string_view t = TrimLeft(lines_[i]);
    const std::string_view tr = TrimRight(t);
    if (in_comment) {
      in_comment =
          !(tr.substr(0, 2) == "*/" || (tr.size() >= 2 && tr.substr(tr.size() - 2) == "*/"));
      continue;
    }
    if (tr.substr(0, 2) == "/*") {
      in_comment = !(tr.size() >= 4 && tr.substr(tr.size() - 2) == "*/");
      continue;
    }
    if (tr.empty() || tr[0] == ';') continue;
    if (tr[0] == '#') {
      const std::string_view rest = TrimLeft(tr.substr(std::min<std::size_t>(10, tr.size())));
      if (StartsWithWord(tr, "#hotstring ") && !StartsWithWord(rest, "endchars") &&
          !StartsWithWord(rest, "nomouse")) {
        defaults_.Apply(rest);
        // Told once here, not again at every hotstring below.
        if (!defaults_.others.empty()) {
          std::string all;
          for (const std::string& o : defaults_.others) all += (all.empty() ? "" : " ") + o;
          out_->notes.push_back(
              {i + 1, "", "Die Optionen " + Quoted(all) + " werden nicht übernommen."});
          defaults_.others.clear();
        }
      } else if (StartsWithWord(tr, "#requires")) {
        v2_ = FoldCase(tr).find("v2") != std::string::npos;
      } else {
        Pass(directives_, i + 1, tr);
      }
      static const std::set<std::string> kConditions = {
          "#if", "#ifwinactive", "#ifwinnotactive", "#ifwinexist", "#ifwinnotexist", "#hotif"};
      const std::size_t blank = tr.find_first_of(" \t");
      if (kConditions.count(FoldCase(tr.substr(0, blank)))) {
        // A bare one ends the condition of those above it.
        context_ = blank == std::string_view::npos ? "" : std::string(tr);
      }
      continue;
    }
    if (tr[0] == ':' && Hotstring(&i)) {
      if (!bounds.Within(*out_, i + 1, problem)) return false;
      continue;
    }
    Pass(tr.find("::") != std::string_view::npos ? hotkeys_ : code_, i + 1, tr);
  }
  TellPassed(directives_, "Direktiven wie");
  TellPassed(hotkeys_, "Tastenkürzel (Hotkeys) wie");
  TellPassed(code_, "Zeilen mit Befehlen wie");
  SortNotesByLine(out_);
  return bounds.Within(*out_, lines_.size(), problem);
}

void ScriptReader::TellPassed(const Passed& kind, const std::string& what) {
  if (kind.count == 0) return;
  out_->notes.push_back({kind.first, "",
                         what + " " + Quoted(kind.example) + " werden übergangen (" +
                             std::to_string(kind.count) +
                             (kind.count == 1 ? " Zeile)." : " Zeilen, die erste hier).")});
}

// Reads the hotstring on line *i, and a continuation section below it; false when the line
// is no hotstring after all.
bool ScriptReader::Hotstring(std::size_t* i) {
  const std::string_view t = TrimLeft(lines_[*i]);
  const std::size_t options_end = t.find(':', 1);
  if (options_end == std::string_view::npos) return false;
  std::string abbreviation;
  std::size_t at = options_end + 1;
  for (; at < t.size() && t.compare(at, 2, "::") != 0; ++at) {
    if (t[at] == '`' && at + 1 < t.size()) ++at;
    abbreviation += t[at];
  }
  if (at >= t.size() || abbreviation.empty()) return false;
  Options o = defaults_;
  o.Apply(t.substr(1, options_end - 1));
  ImportedEntry e;
  e.line = *i + 1;
  e.name = abbreviation;
  e.abbreviation = abbreviation;
  e.at_once = o.at_once;
  if (!context_.empty()) {
    out_->notes.push_back({e.line, e.name,
                           "In AutoHotkey gilt der Hotstring nur unter " + Quoted(context_) +
                               "; Quillet erweitert ihn überall."});
  }
  std::string_view rest = t.substr(at + 2);
  if (o.execute && PastesClipboard(rest.substr(0, CommentAt(rest, false)))) {
    e.text = "%zwischenablage%";
    Keep(std::move(e), o);
    return true;
  }
  if (o.execute) {
    out_->notes.push_back(
        {e.line, e.name,
         "Der Hotstring führt Befehle aus (Option X) und wird nicht übernommen: " +
             Quoted(TrimBlanks(rest)) + "."});
    return true;
  }
  rest = TrimRight(TrimLeft(rest.substr(0, CommentAt(rest, false))));
  if (!rest.empty() && rest != "{") {
    Add(std::move(e), o, std::string(rest), true);
    return true;
  }
  std::size_t next = *i + 1;
  while (next < lines_.size() &&
         (TrimLeft(lines_[next]).empty() || TrimLeft(lines_[next])[0] == ';'))
    ++next;
  if (rest.empty() && next < lines_.size() && TrimLeft(lines_[next]).substr(0, 1) == "(") {
    *i = next;
    bool ended = false, escapes = true;
    std::string text = Continuation(i, &ended, &escapes);
    if (!ended) {
      out_->notes.push_back({e.line, e.name,
                             "Der Fortsetzungsabschnitt endet nicht mit „)“; der Text reicht bis "
                             "zum Ende der Datei."});
    }
    Add(std::move(e), o, std::move(text), escapes);
    return true;
  }
  if (const std::optional<std::size_t> end = PasteBody(next, rest == "{")) {
    *i = *end;
    e.text = "%zwischenablage%";
    Keep(std::move(e), o);
    return true;
  }
  out_->notes.push_back({e.line, e.name,
                         "Der Hotstring führt Befehle aus und wird nicht übernommen; seine "
                         "Zeilen werden übergangen."});
  return true;
}

// The text of the section whose "(" line is *i; *i ends on its ")" line.
std::string ScriptReader::Continuation(std::size_t* i, bool* ended, bool* escapes) {
  std::string join = "\n";
  bool ltrim = false, ltrim_set = false, rtrim = true, comments = false;
  const std::string_view header = TrimRight(TrimLeft(lines_[*i]).substr(1));
  for (std::size_t p = 0; p < header.size();) {
    const std::size_t end = std::min(header.find_first_of(" \t", p), header.size());
    const std::string_view word = header.substr(p, end - p);
    p = end + 1;
    const std::string w = FoldCase(word);
    if (StartsWithWord(w, "join")) {
      std::vector<std::string> dropped;
      join = Unescape(word.substr(4), &dropped);
    } else if (w == "ltrim" || w == "ltrim0") {
      ltrim = w == "ltrim";
      ltrim_set = true;
    } else if (w == "rtrim0") {
      rtrim = false;
    } else if (w == "comments" || w == "comment" || w == "com" || w == "c") {
      comments = true;
    } else if (w == "`") {
      *escapes = false;
    }
  }
  std::string text;
  std::string_view indent;
  bool first = true;
  for (++*i; *i < lines_.size(); ++*i) {
    std::string_view line = lines_[*i];
    if (TrimLeft(line).substr(0, 1) == ")") {
      *ended = true;
      text += TrimLeft(line).substr(1);
      break;
    }
    if (comments) {
      const std::size_t c = CommentAt(line, true);
      if (c != std::string_view::npos) {
        line = line.substr(0, c);
        if (TrimLeft(line).empty()) continue;
      }
    }
    if (first) indent = line.substr(0, line.size() - TrimLeft(line).size());
    if (ltrim) {
      line = TrimLeft(line);
    } else if (!ltrim_set && v2_ && line.substr(0, indent.size()) == indent) {
      line.remove_prefix(indent.size());
    }
    if (rtrim) line = TrimRight(line);
    // A long join between many short lines grows the text past any import: it is refused
    // once made an entry, and read no further.
    if (text.size() > kMostImportedText) continue;
    if (!first) text += join;
    text += line;
    first = false;
  }
  return text;
}

// The last line of a body of commands from line `from` on that does no more than paste the
// clipboard: the paste and "return" (v1), or the paste, perhaps with "return", between "{" and
// "}", the "{" ending the hotstring's line where `braced`; nullopt for any other body.
std::optional<std::size_t> ScriptReader::PasteBody(std::size_t from, bool braced) const {
  std::vector<std::pair<std::size_t, std::string_view>> body;  // the lines that say something
  for (std::size_t k = from; k < lines_.size() && body.size() < 4; ++k) {
    const std::string_view line =
        TrimRight(TrimLeft(lines_[k].substr(0, CommentAt(lines_[k], true))));
    if (!line.empty()) body.emplace_back(k, line);
  }
  std::size_t n = 0;
  const auto is = [&](std::string_view word) {
    return n < body.size() && FoldCase(body[n].second) == word;
  };
  if (!braced && is("{")) {
    braced = true;
    ++n;
  }
  if (n == body.size() || !PastesClipboard(body[n++].second)) return std::nullopt;
  if (is("return") && !braced) return body[n].first;
  if (is("return")) ++n;
  if (braced && is("}")) return body[n].first;
  return std::nullopt;
}

void ScriptReader::Add(ImportedEntry e, const Options& o, std::string text, bool escapes) {
  std::vector<std::string> dropped, kept;
  if (escapes) text = Unescape(text, &dropped);
  NoteOwnPlaceholders(text, e, out_);
  // The line breaks first: an {Enter} beside one is an Enter of its own.
  text = LineBreaksAsEnters(text);
  e.text = o.raw ? std::move(text) : TypedText(text, &kept);
  const auto list = [](const std::vector<std::string>& items) {
    std::string all;
    for (const std::string& item : items) all += (all.empty() ? "" : ", ") + Quoted(item);
    return all;
  };
  if (!kept.empty()) {
    out_->notes.push_back(
        {e.line, e.name,
         "Die Tasten " + list(kept) +
             " haben in Quillet keine Entsprechung und bleiben als Text stehen."});
  }
  if (!dropped.empty()) {
    out_->notes.push_back(
        {e.line, e.name, "Die Steuerzeichen " + list(dropped) + " werden nicht übernommen."});
  }
  Keep(std::move(e), o);
}

// Adds the entry, with a note on the options Quillet does not carry.
void ScriptReader::Keep(ImportedEntry e, const Options& o) {
  std::vector<std::string> options;
  if (o.inside_words) options.push_back("? (auch mitten im Wort)");
  if (o.case_sensitive) options.push_back("C (Groß- und Kleinschreibung beachten)");
  if (o.keep_typed) options.push_back("B0 (das Kürzel stehen lassen)");
  if (o.omit_end) options.push_back("O (ohne das Wortende)");
  for (const std::string& other : o.others) options.push_back(other);
  if (!options.empty()) {
    std::string all;
    for (const std::string& item : options) all += (all.empty() ? "" : ", ") + item;
    out_->notes.push_back({e.line, e.name, "Nicht übernommen werden die Optionen " + all + "."});
  }
  out_->entries.push_back(std::move(e));
}

}  // namespace

bool ReadHotstrings(std::string_view bytes, ImportResult* result, TextProblem* problem) {
  std::string text;
  if (!DecodeTextFile(bytes, &text, problem)) return false;
  ImportResult out;
  if (!ScriptReader(text, &out).Read(problem)) return false;
  *result = std::move(out);
  return true;
}

}  // namespace qm
