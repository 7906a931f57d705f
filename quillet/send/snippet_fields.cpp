// Snippets that ask and adapt: the fields of a form, optional sections, included snippets,
// the caret's place and the clipboard, read from a snippet's text and filled with the answers.
#include "quillet/send/snippet_fields.h"

#include <algorithm>
#include <array>
#include <map>
#include <optional>

#include "quillet/send/keystroke_text.h"
#include "quillet/send/placeholders.h"
#include "text/utf.h"

namespace qm {
namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);
// More would not fit below the editor; the first ones show what to mend.
constexpr std::size_t kMaxProblems = 20;
constexpr std::size_t kMaxQuotedChars = 60;

enum class Word {
  kLine,
  kLines,
  kChoice,
  kSection,
  kSectionEnd,
  kCursor,
  kClipboard,
  kInclude,
  kSkipped,  // one of ExpandPlaceholders' words, passed over whole
};

// An opener ending in "%" is the whole word; the others take a NAME up to the next "%". The
// table is grouped by the openers' second character, which picks the ones to try. Today's
// words are here as well: a file's name may hold anything, and the closing "%" of a date or
// time word begins no word of ours, as ExpandPlaceholders reads them.
struct Opener {
  std::string_view lower;
  Word word;
};
constexpr Opener kOpeners[] = {
    {"%/optional%", Word::kSectionEnd},
    {"%auswahl=", Word::kChoice},
    {"%baustein=", Word::kInclude},
    {"%cursor%", Word::kCursor},
    {"%datei=", Word::kSkipped},
    {"%datum%", Word::kSkipped},
    {"%eingabe=", Word::kLine},
    {"%jahr%", Word::kSkipped},
    {"%mehrzeilig=", Word::kLines},
    {"%minute%", Word::kSkipped},
    {"%monat%", Word::kSkipped},
    {"%optional=", Word::kSection},
    {"%stunde%", Word::kSkipped},
    {"%sekunde%", Word::kSkipped},
    {"%tag%", Word::kSkipped},
    {"%wochentag%", Word::kSkipped},
    {"%zwischenablage%", Word::kClipboard},
    {"%zeit%", Word::kSkipped},
};
constexpr std::size_t kOpenerCount = sizeof kOpeners / sizeof kOpeners[0];

// For each second character, the first opener that has it; kOpenerCount for none.
constexpr std::array<std::size_t, 256> FirstOpeners() {
  std::array<std::size_t, 256> first{};
  for (std::size_t c = 0; c < first.size(); ++c) first[c] = kOpenerCount;
  for (std::size_t i = kOpenerCount; i-- > 0;) {
    first[static_cast<unsigned char>(kOpeners[i].lower[1])] = i;
  }
  return first;
}
constexpr std::array<std::size_t, 256> kFirstOpener = FirstOpeners();

char Lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

bool HasAt(std::string_view text, std::size_t p, std::string_view lower) {
  if (text.size() - p < lower.size()) return false;
  for (std::size_t i = 0; i < lower.size(); ++i) {
    if (Lower(text[p + i]) != lower[i]) return false;
  }
  return true;
}

const Opener* OpenerAt(std::string_view text, std::size_t p) {
  if (p + 1 >= text.size()) return nullptr;
  const char next = Lower(text[p + 1]);
  for (std::size_t i = kFirstOpener[static_cast<unsigned char>(next)];
       i < kOpenerCount && kOpeners[i].lower[1] == next; ++i) {
    if (HasAt(text, p, kOpeners[i].lower)) return &kOpeners[i];
  }
  return nullptr;
}

bool IsField(Word w) {
  return w == Word::kLine || w == Word::kLines || w == Word::kChoice || w == Word::kSection;
}

FieldKind KindOf(Word w) {
  switch (w) {
    case Word::kLines:
      return FieldKind::kLines;
    case Word::kChoice:
      return FieldKind::kChoice;
    case Word::kSection:
      return FieldKind::kOptional;
    default:
      return FieldKind::kLine;
  }
}

struct Token {
  Word word = Word::kCursor;
  std::size_t begin = 0, end = 0;  // the word as written: [begin, end)
  std::string name;
  std::vector<std::string> choices;
  std::size_t partner = kNone;  // a section's start and end: each other's index
  bool as_text = false;         // left in the text around it
};

std::string Quoted(std::string_view raw) {
  std::size_t pos = 0;
  for (std::size_t n = 0; pos < raw.size() && n < kMaxQuotedChars; ++n) NextCodePoint(raw, pos);
  return "\xE2\x80\x9E" + std::string(raw.substr(0, pos)) +
         (pos < raw.size() ? "\xE2\x80\xA6" : "") + "\xE2\x80\x9C";
}

std::string Notice(const std::string& what) {
  return "\r*** Quillet: " + what + " ***\r";
}

// Each CR LF, LF or CR as one CR, which types one Enter.
std::string LinesAsEnters(std::string_view text) {
  if (text.find('\n') == std::string_view::npos) return std::string(text);
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && i > 0 && text[i - 1] == '\r') continue;
    out += text[i] == '\n' ? '\r' : text[i];
  }
  return out;
}

class Parser {
 public:
  Parser(const EntryLookup& lookup, SnippetTemplate& out) : lookup_(lookup), out_(out) {}

  void Parse(std::string_view text, int depth, const std::string& context) {
    std::vector<Token> tokens = Tokenize(text, context);
    Pair(text, tokens, context);
    Emit(text, tokens, depth, context);
  }

  std::vector<std::string> including;  // folded names of the snippets being read, outermost first

 private:
  std::vector<Token> Tokenize(std::string_view text, const std::string& context) {
    std::vector<Token> tokens;
    for (std::size_t p = text.find('%'); p != std::string_view::npos;) {
      const Opener* opener = OpenerAt(text, p);
      if (!opener) {
        p = text.find('%', p + 1);
        continue;
      }
      const std::size_t at = p, name_at = p + opener->lower.size();
      const bool named = opener->lower.back() != '%';
      const std::size_t close = named ? text.find('%', name_at) : name_at - 1;
      if (close == std::string_view::npos) {
        // As for a file, the rest of the text stays as it is.
        if (opener->word != Word::kSkipped) {
          Problem(context, Quoted(text.substr(p)) +
                               " wird nicht mit \xE2\x80\x9E%\xE2\x80\x9C geschlossen.");
        }
        break;
      }
      p = text.find('%', close + 1);
      if (opener->word == Word::kSkipped) continue;
      Token t;
      t.word = opener->word;
      t.begin = at;
      t.end = close + 1;
      if (named) t.name = std::string(text.substr(name_at, close - name_at));
      const std::string_view raw = text.substr(t.begin, t.end - t.begin);
      if (t.word == Word::kChoice) {
        const std::size_t colon = t.name.find(':');
        if (colon == std::string::npos || colon + 1 == t.name.size()) {
          Problem(context, Quoted(raw) + " hat keine Auswahl.");
          t.as_text = true;
        } else {
          for (std::size_t from = colon + 1;;) {
            const std::size_t bar = std::min(t.name.find('|', from), t.name.size());
            t.choices.push_back(t.name.substr(from, bar - from));
            if (bar == t.name.size()) break;
            from = bar + 1;
          }
          t.name.resize(colon);
        }
      }
      if (IsField(t.word) && !t.as_text &&
          (t.name.empty() || CountCodePoints(t.name) > kMaxFieldNameChars)) {
        Problem(context, "Ein Feldname ist leer oder l\xC3\xA4nger als 64 Zeichen.");
        t.as_text = true;
      }
      tokens.push_back(std::move(t));
    }
    return tokens;
  }

  // Sections within this one text: an end without its start, or a start without its end,
  // stays as text.
  void Pair(std::string_view text, std::vector<Token>& tokens, const std::string& context) {
    std::vector<std::size_t> open;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
      Token& t = tokens[i];
      if (t.as_text) continue;
      if (t.word == Word::kSection) open.push_back(i);
      if (t.word != Word::kSectionEnd) continue;
      if (open.empty()) {
        Problem(context, Quoted(text.substr(t.begin, t.end - t.begin)) +
                             " hat keinen Anfang \xE2\x80\x9E%optional=\xE2\x80\xA6%\xE2\x80\x9C.");
        t.as_text = true;
        continue;
      }
      t.partner = open.back();
      tokens[open.back()].partner = i;
      open.pop_back();
    }
    for (const std::size_t i : open) {
      Token& t = tokens[i];
      Problem(context, Quoted(text.substr(t.begin, t.end - t.begin)) +
                           " hat kein Ende \xE2\x80\x9E%/optional%\xE2\x80\x9C.");
      t.as_text = true;
    }
  }

  void Emit(std::string_view text, std::vector<Token>& tokens, int depth,
            const std::string& context) {
    std::vector<std::size_t> open_pieces;
    std::size_t done = 0;
    for (Token& t : tokens) {
      if (t.as_text) continue;  // stays inside the text run
      AddText(text.substr(done, t.begin - done));
      done = t.end;
      const std::string_view raw = text.substr(t.begin, t.end - t.begin);
      if (IsField(t.word)) {
        const std::size_t field = FieldFor(t, raw, context);
        if (field == kNone) {
          AddText(raw);
          if (t.partner != kNone) tokens[t.partner].as_text = true;
        } else if (t.word == Word::kSection) {
          open_pieces.push_back(out_.pieces.size());
          Add(SnippetPiece::Kind::kSection, field);
        } else {
          Add(SnippetPiece::Kind::kField, field);
        }
        continue;
      }
      switch (t.word) {
        case Word::kSectionEnd:
          out_.pieces[open_pieces.back()].end = out_.pieces.size();
          open_pieces.pop_back();
          Add(SnippetPiece::Kind::kSectionEnd);
          break;
        case Word::kCursor:
          Add(SnippetPiece::Kind::kCursor);
          break;
        case Word::kClipboard:
          Add(SnippetPiece::Kind::kClipboard);
          out_.uses_clipboard = true;
          break;
        case Word::kInclude:
          Include(t.name, depth, context);
          break;
        default:
          break;
      }
    }
    AddText(text.substr(done));
  }

  std::size_t FieldFor(const Token& t, std::string_view raw, const std::string& context) {
    const std::string key = FoldCase(t.name);
    const auto it = field_of_.find(key);
    if (it != field_of_.end()) {
      if (out_.fields[it->second].kind == KindOf(t.word)) return it->second;
      Problem(context, Quoted(raw) + ": Ein Feld \xE2\x80\x9E" + out_.fields[it->second].name +
                           "\xE2\x80\x9C anderer Art gibt es schon.");
      return kNone;
    }
    if (out_.fields.size() >= kMaxSnippetFields) {
      Problem(context, "Mehr als 30 Felder: die weiteren bleiben als Text stehen.");
      return kNone;
    }
    out_.fields.push_back({KindOf(t.word), t.name, t.choices});
    field_of_.emplace(key, out_.fields.size() - 1);
    return out_.fields.size() - 1;
  }

  // An entry that cannot be included arrives as a notice in its place, and is named below the
  // editor too.
  void Include(const std::string& name, int depth, const std::string& context) {
    const std::string shown = "Der Baustein \xE2\x80\x9E" + name + "\xE2\x80\x9C ";
    const auto not_included = [&](const std::string& notice, const std::string& why) {
      Problem(context, shown + why);
      AddText(Notice(notice));
    };
    const std::string key = FoldCase(name);
    if (std::find(including.begin(), including.end(), key) != including.end()) {
      return not_included("Baustein '" + name + "' enth\xC3\xA4lt sich selbst!",
                          "enth\xC3\xA4lt sich selbst.");
    }
    if (depth >= kMaxIncludeDepth) {
      return not_included("Bausteine zu tief verschachtelt (mehr als 8)!",
                          "liegt tiefer als 8 Ebenen.");
    }
    auto found = entries_.find(key);
    if (found == entries_.end()) {
      found =
          entries_.emplace(key, name.empty() || !lookup_ ? IncludedEntry{} : lookup_(name)).first;
    }
    const IncludedEntry& entry = found->second;
    if (entry.state == IncludedEntry::State::kMissing) {
      return not_included("Baustein '" + name + "' nicht gefunden!", "fehlt.");
    }
    if (entry.state == IncludedEntry::State::kUndecipherable) {
      return not_included("Baustein '" + name + "' konnte nicht entschl\xC3\xBCsselt werden!",
                          "l\xC3\xA4sst sich nicht entschl\xC3\xBCsseln.");
    }
    if (includes_ >= kMaxIncludes || included_bytes_ + entry.text.size() > kMaxIncludedBytes) {
      return not_included("Zu viele Bausteine (mehr als 1000 oder mehr als 1 MB Text)!",
                          "kommt nicht mehr: mehr als 1000 Bausteine oder 1 MB Text.");
    }
    ++includes_;
    included_bytes_ += entry.text.size();
    including.push_back(key);
    Parse(entry.text, depth + 1, "Baustein \xE2\x80\x9E" + name + "\xE2\x80\x9C: ");
    including.pop_back();
  }

  void AddText(std::string_view text) {
    if (text.empty()) return;
    SnippetPiece piece;
    piece.text = std::string(text);
    out_.pieces.push_back(std::move(piece));
  }

  void Add(SnippetPiece::Kind kind, std::size_t field = 0) {
    SnippetPiece piece;
    piece.kind = kind;
    piece.field = field;
    out_.pieces.push_back(std::move(piece));
  }

  void Problem(const std::string& context, const std::string& sentence) {
    const std::string problem = context + sentence;
    if (out_.problems.size() >= kMaxProblems) return;
    if (std::find(out_.problems.begin(), out_.problems.end(), problem) != out_.problems.end()) {
      return;
    }
    out_.problems.push_back(problem);
  }

  const EntryLookup& lookup_;
  SnippetTemplate& out_;
  std::map<std::string, std::size_t> field_of_;   // by folded name
  std::map<std::string, IncludedEntry> entries_;  // looked up, by folded name
  std::size_t includes_ = 0, included_bytes_ = 0;
};

// Letters with a capital and a small form, and where the first of them stands.
struct CaseShape {
  std::size_t capitals = 0, smalls = 0;
  bool first_capital = false;
};

CaseShape ShapeOf(std::string_view text) {
  CaseShape shape;
  for (std::size_t pos = 0; pos < text.size();) {
    const char32_t c = NextCodePoint(text, pos);
    const bool capital = FoldCase(c) != c, small = UpperCase(c) != c;
    if (!capital && !small) continue;
    if (shape.capitals + shape.smalls == 0) shape.first_capital = capital;
    ++(capital ? shape.capitals : shape.smalls);
  }
  return shape;
}

std::string WithCapitalFirst(std::string_view text) {
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t at = pos;
    bool malformed = false;
    const char32_t c = NextCodePoint(text, pos, &malformed);
    if (malformed || (FoldCase(c) == c && UpperCase(c) == c && c != 0xDF)) continue;
    std::string out(text.substr(0, at));
    AppendUtf8(out, UpperCase(c));
    out.append(text.substr(pos));
    return out;
  }
  return std::string(text);
}

}  // namespace

SnippetTemplate ParseSnippet(std::string_view plain_text, const EntryLookup& lookup,
                             const std::string& own_name) {
  SnippetTemplate out;
  Parser parser(lookup, out);
  if (!own_name.empty()) parser.including.push_back(FoldCase(own_name));
  parser.Parse(plain_text, 0, "");
  return out;
}

FilledSnippet FillSnippet(const SnippetTemplate& snippet, const FieldValues& values,
                          const std::string& clipboard, Clock& clock, FileSystem& fs,
                          const CodePage& ansi, const std::string& base_folder) {
  PlaceholderExpander expander(clock, fs, ansi, base_folder);
  FilledSnippet out;
  // A snippet of today's words alone, the most common by far, costs no copy more.
  if (snippet.pieces.size() == 1 && snippet.pieces[0].kind == SnippetPiece::Kind::kText) {
    out.text = expander.Expand(snippet.pieces[0].text);
    return out;
  }
  const FieldValue empty;
  auto value = [&](std::size_t field) -> const FieldValue& {
    return field < values.size() ? values[field] : empty;
  };
  std::size_t mark = kNone;
  const std::vector<SnippetPiece>& pieces = snippet.pieces;
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    const SnippetPiece& piece = pieces[i];
    switch (piece.kind) {
      case SnippetPiece::Kind::kText:
        out.text += expander.Expand(piece.text);
        break;
      case SnippetPiece::Kind::kField:
        out.text += LinesAsEnters(value(piece.field).text);
        break;
      case SnippetPiece::Kind::kClipboard:
        out.text += LinesAsEnters(clipboard);
        break;
      case SnippetPiece::Kind::kCursor:
        if (mark == kNone) mark = out.text.size();
        break;
      case SnippetPiece::Kind::kSection:
        if (!value(piece.field).ticked) i = piece.end;
        break;
      case SnippetPiece::Kind::kSectionEnd:
        break;
    }
  }
  if (mark != kNone) out.caret_left = LeftKeysBack(out.text, mark);
  return out;
}

std::size_t LeftKeysBack(std::string_view text, std::size_t mark) {
  if (mark >= text.size()) return 0;
  return CountCodePoints(WithoutCommandCharacters(text.substr(mark)));
}

std::string CarryCapitals(std::string_view snippet, std::string_view typed,
                          std::string_view stored) {
  if (typed == stored) return std::string(snippet);
  const CaseShape t = ShapeOf(typed), s = ShapeOf(stored);
  const bool stored_all_capitals = s.smalls == 0 && s.capitals > 0;
  if (t.smalls == 0 && t.capitals >= 2 && !stored_all_capitals) return UpperCase(snippet);
  if (t.first_capital && !s.first_capital) return WithCapitalFirst(snippet);
  return std::string(snippet);
}

}  // namespace qm
