// Snippets that ask and adapt: the fields of a form, optional sections, included snippets,
// the caret's place and the clipboard, read from a snippet's text and filled with the answers.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "platform/code_page.h"
#include "platform/file_system.h"

namespace qm {

// The words a snippet may hold beside ExpandPlaceholders' ones, letter case ignored:
//   %eingabe=NAME%            a one-line text field labelled NAME
//   %mehrzeilig=NAME%         a multi-line text field; each of its line breaks types Enter
//   %auswahl=NAME:A|B|C%      a choice among A, B and C, taken exactly, blanks and an empty
//                             one included; a choice cannot hold "%"
//   %optional=NAME%…%/optional%  a section typed only where its check box NAME is ticked;
//                             sections nest, and never reach beyond the snippet that opens them
//   %cursor%                  where the caret is left afterwards (the first that arrives)
//   %zwischenablage%          the clipboard's text when the send began
//   %baustein=NAME%           the entry NAME, its own words taken as its text's
// A NAME ends at the next "%". The same NAME, letter case ignored, is one field wherever it
// stands, included snippets too; its first spelling is the label. A word whose closing "%" is
// missing, and everything after it, stays as text. Inside "%datei=…%" nothing is a word.
enum class FieldKind { kLine, kLines, kChoice, kOptional };

struct SnippetField {
  FieldKind kind = FieldKind::kLine;
  std::string name;
  std::vector<std::string> choices;  // kChoice only, in their order
};

// What a lookup finds for an included snippet's name.
struct IncludedEntry {
  enum class State { kFound, kMissing, kUndecipherable };
  State state = State::kMissing;
  std::string text;  // kFound: the plain text, unescaped and deciphered as when it is sent
};
using EntryLookup = std::function<IncludedEntry(const std::string& name)>;

struct SnippetPiece {
  enum class Kind { kText, kField, kCursor, kClipboard, kSection, kSectionEnd };
  Kind kind = Kind::kText;
  std::string text;       // kText: still holding ExpandPlaceholders' words
  std::size_t field = 0;  // kField, kSection: its index in SnippetTemplate::fields
  std::size_t end = 0;    // kSection: the index of its kSectionEnd
};

inline constexpr std::size_t kMaxSnippetFields = 30;
inline constexpr std::size_t kMaxFieldNameChars = 64;
inline constexpr int kMaxIncludeDepth = 8;
// Snippets included, however often each, and their text in all: beyond either the rest are
// left out with a notice, so that a few lines that include each other many times over end.
inline constexpr std::size_t kMaxIncludes = 1000;
inline constexpr std::size_t kMaxIncludedBytes = 1024 * 1024;

struct SnippetTemplate {
  std::vector<SnippetPiece> pieces;
  // In the order of their first place; a field inside a section is asked whether or not the
  // section is ticked, since the form shows them all at once.
  std::vector<SnippetField> fields;
  // Short German sentences, each once, for below the editor; a word they name stays as text.
  std::vector<std::string> problems;
  bool uses_clipboard = false;

  bool HasFields() const { return !fields.empty(); }
};

// `own_name` is the snippet's own entry name, so that including itself is caught at once.
// `lookup` is asked once per name (letter case ignored) and may be empty, finding nothing.
// An included snippet that is missing, cannot be deciphered, includes one that includes it,
// or lies deeper than kMaxIncludeDepth arrives as a notice in its place, as a missing file
// does. A text without any of the words above becomes one kText piece.
SnippetTemplate ParseSnippet(std::string_view plain_text, const EntryLookup& lookup,
                             const std::string& own_name = {});

// One answer per SnippetTemplate::fields, in its order; a missing one counts as empty text
// and not ticked.
struct FieldValue {
  std::string text;     // kLine, kLines, kChoice
  bool ticked = false;  // kOptional
};
using FieldValues = std::vector<FieldValue>;

struct FilledSnippet {
  std::string text;
  // Left keys that bring the caret from the snippet's end back to its %cursor%.
  std::size_t caret_left = 0;
};

// The text pieces go through ExpandPlaceholders with one reading of the clock among them
// all; field values and the clipboard are put in after that, as they are, each line break
// (CR LF, LF, CR) as one CR: nothing a person typed or copied is read as a placeholder.
// A template of one kText piece gives exactly what ExpandPlaceholders gives.
FilledSnippet FillSnippet(const SnippetTemplate& snippet, const FieldValues& values,
                          const std::string& clipboard, Clock& clock, FileSystem& fs,
                          const CodePage& ansi, const std::string& base_folder);

// The Left keys from the end of `text` back to its byte `mark`: one per character (a
// character beyond U+FFFF too, and CR), none for the command characters that are never typed.
std::size_t LeftKeysBack(std::string_view text, std::size_t mark);

// The capitals of a typed abbreviation carried over to its snippet. Typed as `stored`, or in
// another mix of cases, the snippet stays; all in capitals (two letters or more) where the
// stored one is not, the whole snippet in capitals; with a capital first letter where the
// stored one has none, the snippet's first letter (the first character with a capital, or
// "ß") in capitals. Characters keep their number ("ß" stays), so a caret count stays true.
std::string CarryCapitals(std::string_view snippet, std::string_view typed,
                          std::string_view stored);

}  // namespace qm
