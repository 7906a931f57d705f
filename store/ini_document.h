// One data file's bytes, parsed by the rules of Windows' private-profile functions, with the
// in-place edit that writing one value makes.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/code_page.h"
#include "platform/status.h"

namespace qm {

enum class IniEncoding { kAnsi, kUtf16Le };

// One value to write, its names as a caller passes them.
struct IniWrite {
  std::string section, key, value;
};

class IniDocument {
 public:
  // Never fails: every byte sequence is some file. A file that starts with a UTF-16LE
  // byte-order mark is UTF-16LE; every other file is in the ANSI code page. The text is
  // parsed when it is first looked into, so that a file just written costs nothing until
  // it is read.
  IniDocument(std::string bytes, const CodePage& ansi);

  IniEncoding encoding() const { return encoding_; }
  const std::string& bytes() const { return bytes_; }
  // The code page of a file without a byte-order mark; its edits keep to it.
  const CodePage& code_page() const { return ansi_; }

  // `section` and `key` as a caller passes them (surrounding blanks are ignored, letter case
  // too). The value in UTF-8, or nullopt when the section or key is missing.
  std::optional<std::string> Find(std::string_view section, std::string_view key) const;

  // The file's bytes after writing `value` under `key` in `section`, edited in place as
  // Windows edits it. Fails, changing nothing, for names or values that would not read
  // back (line breaks, a "]" in a section name, a "=" in a key) and for characters the
  // file's encoding cannot hold.
  Status Edit(std::string_view section, std::string_view key, std::string_view value,
              std::string& new_bytes) const;
  // The file's bytes after `writes`, one after another, as that many Edits give them, but in
  // one pass over the file: an import writes a hundred thousand values. Fails, changing
  // nothing, where one of them would.
  Status EditAll(const std::vector<IniWrite>& writes, std::string& new_bytes) const;

  // The same text as a UTF-16LE file with a byte-order mark. Every byte of an ANSI file
  // goes through the code page, so every value, comment and line break reads as before; a
  // UTF-16LE file stays as it is. False where the bytes are no text of the code page (a
  // UTF-8 pass-through file with malformed UTF-8).
  bool ToUtf16File(std::string& out) const;

  // A value as it reads back once written: surrounding blanks, tabs and one pair of
  // matching quotes gone.
  static std::string_view AsReadBack(std::string_view value);
  // Trims blanks only, as names passed by a caller are trimmed.
  static std::string_view TrimCallerName(std::string_view name);

 private:
  // One section or key line, in code units of the file's encoding.
  struct Line {
    std::size_t start = 0, end = 0, next = 0;  // the line, its end, the next line's start
    std::size_t name_begin = 0, name_end = 0;
    std::size_t value_begin = 0, value_end = 0;
  };
  struct Section {
    std::size_t insert_end = 0;                  // end of the line after which a new key goes
    std::size_t insert_next = 0;                 // start of the line that follows it
    std::unordered_map<std::string, Line> keys;  // by folded name; the first one counts
  };
  struct Location {
    bool section_found = false, key_found = false;
    std::size_t insert_end = 0, insert_next = 0;
    Line key;
  };

  template <typename Text, typename OnLine>
  static void ScanLines(const Text& text, OnLine&& on_line);
  template <typename Text>
  bool NameIs(const Text& text, std::size_t begin, std::size_t end,
              const std::string& folded) const;
  template <typename Text>
  Location Locate(const Text& text, const std::string& section, const std::string& key) const;
  Location Place(const std::string& section, const std::string& key, bool scan) const;
  Status CheckNames(std::string_view section, std::string_view key, std::string_view value) const;
  void EnsureParsed() const;
  template <typename Text>
  void Parse(const Text& text) const;
  template <typename Text>
  std::string FoldedName(const Text& text, std::size_t begin, std::size_t end) const;
  std::string UnitsToUtf8(std::size_t begin, std::size_t end) const;
  bool Encode(std::string_view utf8, std::string& out, Status& why) const;
  std::size_t UnitCount() const;
  std::size_t ByteOffset(std::size_t unit) const;

  std::string bytes_;
  IniEncoding encoding_ = IniEncoding::kAnsi;
  const CodePage& ansi_;
  std::u16string utf16_;  // the text after the byte-order mark, for UTF-16LE files
  mutable bool parsed_ = false;
  mutable std::unordered_map<std::string, Section>
      sections_;  // by folded name; the first one counts
};

// A list stored as keys "1", "2", ... of one section: the values up to the first empty or
// missing one, which ends the list whatever follows it.
std::vector<std::string> ReadNumberedList(const IniDocument& doc, std::string_view section);
// The writes that make such a list of `current` (null: an empty file) hold `values`: the
// keys that change, numbered anew from 1, and those behind emptied up to the first empty
// one, so that a value left behind a gap never joins the list again.
std::vector<IniWrite> NumberedListWrites(const IniDocument* current, std::string_view section,
                                         const std::vector<std::string>& values);

}  // namespace qm
