// One data file's bytes, parsed by the rules of Windows' private-profile functions, with the
// in-place edit that writing one value makes.
#include "store/ini_document.h"

#include <algorithm>
#include <map>

#include "platform/portable_code_pages.h"
#include "text/utf.h"

namespace qm {
namespace {

template <typename Unit>
inline unsigned U(Unit u) {
  if constexpr (sizeof(Unit) == 1) {
    return static_cast<unsigned char>(u);
  } else {
    return static_cast<unsigned>(u);
  }
}

// In the file, blanks, tabs and vertical tabs around names and values do not count.
inline bool IsFileBlank(unsigned u) {
  return u == ' ' || u == '\t' || u == '\v';
}

const char kCrLf[] = "\r\n";

}  // namespace

IniDocument::IniDocument(std::string bytes, const CodePage& ansi)
    : bytes_(std::move(bytes)), ansi_(ansi) {
  if (bytes_.size() >= 2 && static_cast<unsigned char>(bytes_[0]) == 0xFF &&
      static_cast<unsigned char>(bytes_[1]) == 0xFE) {
    encoding_ = IniEncoding::kUtf16Le;
    const std::size_t units = (bytes_.size() - 2) / 2;  // a stray odd byte is no character
    utf16_.resize(units);
    for (std::size_t i = 0; i < units; ++i) {
      utf16_[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes_[2 + 2 * i]) |
                                        static_cast<unsigned char>(bytes_[3 + 2 * i]) << 8);
    }
  }
}

void IniDocument::EnsureParsed() const {
  if (parsed_) return;
  try {
    if (encoding_ == IniEncoding::kUtf16Le) {
      Parse(std::u16string_view(utf16_));
    } else {
      Parse(std::string_view(bytes_));
    }
  } catch (...) {
    sections_.clear();  // half-built tables would hide keys; the next look starts afresh
    throw;
  }
  parsed_ = true;
}

std::size_t IniDocument::UnitCount() const {
  return encoding_ == IniEncoding::kUtf16Le ? utf16_.size() : bytes_.size();
}

std::size_t IniDocument::ByteOffset(std::size_t unit) const {
  return encoding_ == IniEncoding::kUtf16Le ? 2 + 2 * unit : unit;
}

std::string IniDocument::UnitsToUtf8(std::size_t begin, std::size_t end) const {
  if (encoding_ == IniEncoding::kUtf16Le) {
    return Utf16ToUtf8(std::u16string_view(utf16_).substr(begin, end - begin));
  }
  const std::string_view raw = std::string_view(bytes_).substr(begin, end - begin);
  bool ascii = true;
  for (char c : raw) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  return ascii ? std::string(raw) : ansi_.ToUtf8(raw);
}

// The folded form of a name in the file; plain ASCII, by far the common case, is folded
// straight from the file's units.
template <typename Text>
std::string IniDocument::FoldedName(const Text& text, std::size_t begin, std::size_t end) const {
  std::string out;
  out.resize(end - begin);
  for (std::size_t i = begin; i < end; ++i) {
    const unsigned u = U(text[i]);
    if (u >= 0x80) return FoldCase(UnitsToUtf8(begin, end));
    out[i - begin] = static_cast<char>(u >= 'A' && u <= 'Z' ? u + 32 : u);
  }
  return out;
}

// Calls on_line(is_section, line) for every section line and every key line, in file order,
// until it returns false. Blank lines, comments and lines without "=" are skipped.
template <typename Text, typename OnLine>
void IniDocument::ScanLines(const Text& text, OnLine&& on_line) {
  const std::size_t n = text.size();
  std::size_t pos = 0;
  while (pos < n) {
    // CR LF, a lone CR and a lone LF each end a line.
    Line l;
    l.start = pos;
    l.end = l.start;
    while (l.end < n && U(text[l.end]) != '\r' && U(text[l.end]) != '\n') ++l.end;
    l.next = l.end;
    if (l.next < n) {
      l.next += (U(text[l.next]) == '\r' && l.next + 1 < n && U(text[l.next + 1]) == '\n') ? 2 : 1;
    }
    pos = l.next;

    std::size_t p = l.start;
    while (p < l.end && IsFileBlank(U(text[p]))) ++p;
    if (p == l.end || U(text[p]) == ';') continue;

    if (U(text[p]) == '[') {
      l.name_begin = p + 1;
      l.name_end = l.name_begin;
      while (l.name_end < l.end && U(text[l.name_end]) != ']') ++l.name_end;  // "]" may be missing
      while (l.name_begin < l.name_end && IsFileBlank(U(text[l.name_begin]))) ++l.name_begin;
      while (l.name_end > l.name_begin && IsFileBlank(U(text[l.name_end - 1]))) --l.name_end;
      if (!on_line(true, l)) return;
      continue;
    }

    std::size_t eq = p;
    while (eq < l.end && U(text[eq]) != '=') ++eq;
    if (eq == l.end) continue;  // not a key
    l.name_begin = p;
    l.name_end = eq;
    while (l.name_end > p && IsFileBlank(U(text[l.name_end - 1]))) --l.name_end;
    l.value_begin = eq + 1;
    l.value_end = l.end;
    while (l.value_begin < l.value_end && IsFileBlank(U(text[l.value_begin]))) ++l.value_begin;
    while (l.value_end > l.value_begin && IsFileBlank(U(text[l.value_end - 1]))) --l.value_end;
    if (l.value_end - l.value_begin >= 2 && U(text[l.value_begin]) == U(text[l.value_end - 1]) &&
        (U(text[l.value_begin]) == '"' || U(text[l.value_begin]) == '\'')) {
      ++l.value_begin;
      --l.value_end;
    }
    if (!on_line(false, l)) return;
  }
}

template <typename Text>
void IniDocument::Parse(const Text& text) const {
  // Growing a section's table one rehash at a time costs more than the rest of the parse;
  // a library's sections each hold about a fifth of its lines.
  std::size_t lines = 1;
  for (std::size_t i = 0; i < text.size(); ++i) lines += U(text[i]) == '\n';
  Section* current = nullptr;  // null before the first section and inside a repeated one
  ScanLines(text, [&](bool is_section, const Line& l) {
    if (is_section) {
      auto [it, inserted] = sections_.try_emplace(FoldedName(text, l.name_begin, l.name_end));
      current = inserted ? &it->second : nullptr;
      if (current) {
        current->keys.reserve(lines / 5);
        current->insert_end = l.end;
        current->insert_next = l.next;
      }
    } else if (current) {  // keys before the first section, or in a repeated one, are unreachable
      current->insert_end = l.end;
      current->insert_next = l.next;
      current->keys.try_emplace(FoldedName(text, l.name_begin, l.name_end), l);
    }
    return true;
  });
}

template <typename Text>
bool IniDocument::NameIs(const Text& text, std::size_t begin, std::size_t end,
                         const std::string& folded) const {
  if (end - begin != folded.size()) {
    // Only a name with characters beyond ASCII can fold to another length.
    bool ascii = true;
    for (std::size_t i = begin; i < end && ascii; ++i) ascii = U(text[i]) < 0x80;
    if (ascii) return false;
    return FoldedName(text, begin, end) == folded;
  }
  for (std::size_t i = begin; i < end; ++i) {
    const unsigned u = U(text[i]);
    if (u >= 0x80) return FoldedName(text, begin, end) == folded;
    if (static_cast<char>(u >= 'A' && u <= 'Z' ? u + 32 : u) != folded[i - begin]) return false;
  }
  return true;
}

// Where a write of `key` in `section` goes, found by one pass over the text without building
// the lookup tables, so that a run of writes does not parse the file again for each.
template <typename Text>
IniDocument::Location IniDocument::Locate(const Text& text, const std::string& section,
                                          const std::string& key) const {
  Location loc;
  bool inside = false;
  ScanLines(text, [&](bool is_section, const Line& l) {
    if (is_section) {
      // Only the first section of a name counts.
      inside = !loc.section_found && NameIs(text, l.name_begin, l.name_end, section);
      if (inside) {
        loc.section_found = true;
        loc.insert_end = l.end;
        loc.insert_next = l.next;
      }
      return true;
    }
    if (!inside) return true;
    loc.insert_end = l.end;
    loc.insert_next = l.next;
    if (NameIs(text, l.name_begin, l.name_end, key)) {
      loc.key_found = true;
      loc.key = l;
      return false;  // the first key of the name counts
    }
    return true;
  });
  return loc;
}

std::string_view IniDocument::AsReadBack(std::string_view v) {
  while (!v.empty() && IsFileBlank(static_cast<unsigned char>(v.front()))) v.remove_prefix(1);
  while (!v.empty() && IsFileBlank(static_cast<unsigned char>(v.back()))) v.remove_suffix(1);
  if (v.size() >= 2 && v.front() == v.back() && (v.front() == '"' || v.front() == '\'')) {
    v = v.substr(1, v.size() - 2);
  }
  return v;
}

std::string_view IniDocument::TrimCallerName(std::string_view name) {
  while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
  while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
  return name;
}

std::optional<std::string> IniDocument::Find(std::string_view section, std::string_view key) const {
  EnsureParsed();
  const auto s = sections_.find(FoldCase(TrimCallerName(section)));
  if (s == sections_.end()) return std::nullopt;
  const auto k = s->second.keys.find(FoldCase(TrimCallerName(key)));
  if (k == s->second.keys.end()) return std::nullopt;
  return UnitsToUtf8(k->second.value_begin, k->second.value_end);
}

bool IniDocument::Encode(std::string_view utf8, std::string& out, Status& why) const {
  if (encoding_ == IniEncoding::kUtf16Le) {
    std::u16string units;
    if (!Utf8ToUtf16(utf8, units)) {
      why = Status::Refuse(UnrepresentableMessage(0xFFFD, 1200));
      return false;
    }
    out.clear();
    for (char16_t u : units) {
      out += static_cast<char>(u & 0xFF);
      out += static_cast<char>(u >> 8);
    }
    return true;
  }
  char32_t bad = 0;
  if (!ansi_.FromUtf8(utf8, out, &bad)) {
    why = Status::Refuse(UnrepresentableMessage(bad, ansi_.Id()));
    return false;
  }
  return true;
}

bool IniDocument::ToUtf16File(std::string& out) const {
  if (encoding_ == IniEncoding::kUtf16Le) {
    out = bytes_;
    return true;
  }
  std::u16string units;
  if (!Utf8ToUtf16(ansi_.ToUtf8(bytes_), units)) return false;
  out.assign("\xFF\xFE");
  out.reserve(2 + 2 * units.size());
  for (char16_t u : units) {
    out += static_cast<char>(u & 0xFF);
    out += static_cast<char>(u >> 8);
  }
  return true;
}

Status IniDocument::CheckNames(std::string_view section, std::string_view key,
                               std::string_view value) const {
  auto has_any = [](std::string_view s, std::string_view chars) {
    return s.find_first_of(chars) != std::string_view::npos;
  };
  const std::string_view breaks("\r\n\0", 3);
  if (section.empty()) return Status::Refuse("Der Abschnittsname ist leer.");
  if (key.empty()) return Status::Refuse("Der Schlüsselname ist leer.");
  // The file trims tabs and vertical tabs around names, which a caller's name keeps: such a
  // name would be written but never found again.
  auto padded = [](std::string_view name) {
    return IsFileBlank(static_cast<unsigned char>(name.front())) ||
           IsFileBlank(static_cast<unsigned char>(name.back()));
  };
  if (padded(section) || padded(key)) {
    return Status::Refuse("Ein Name darf nicht mit einem Tabulator beginnen oder enden.");
  }
  if (has_any(section, breaks) || has_any(section, "]")) {
    return Status::Refuse(
        "Der Abschnittsname darf weder \"]\" noch einen Zeilenumbruch enthalten.");
  }
  if (has_any(key, breaks) || has_any(key, "=") || key.front() == '[' || key.front() == ';') {
    return Status::Refuse(
        "Der Schlüsselname darf weder \"=\" noch einen Zeilenumbruch enthalten und nicht mit "
        "\"[\" oder \";\" beginnen.");
  }
  if (has_any(value, breaks))
    return Status::Refuse("Der Wert darf keinen Zeilenumbruch enthalten.");
  return Status::Ok();
}

// Where a write goes in the file as it is: with the tables built they answer at once;
// otherwise one pass finds the place.
IniDocument::Location IniDocument::Place(const std::string& fsection, const std::string& fkey,
                                         bool scan) const {
  if (scan) {
    return encoding_ == IniEncoding::kUtf16Le ? Locate(std::u16string_view(utf16_), fsection, fkey)
                                              : Locate(std::string_view(bytes_), fsection, fkey);
  }
  Location loc;
  const auto s = sections_.find(fsection);
  if (s != sections_.end()) {
    loc.section_found = true;
    loc.insert_end = s->second.insert_end;
    loc.insert_next = s->second.insert_next;
    const auto k = s->second.keys.find(fkey);
    if (k != s->second.keys.end()) {
      loc.key_found = true;
      loc.key = k->second;
    }
  }
  return loc;
}

Status IniDocument::Edit(std::string_view section, std::string_view key, std::string_view value,
                         std::string& new_bytes) const {
  return EditAll({{std::string(section), std::string(key), std::string(value)}}, new_bytes);
}

Status IniDocument::EditAll(const std::vector<IniWrite>& writes, std::string& new_bytes) const {
  // New key lines go after the last key line of their section, each after the one written
  // before it; new sections go at the end, in the order they were first written.
  struct NewKeys {
    std::size_t at = 0, after_end = 0;  // where they go, and the end of the line before them
    bool is_new = false;                // a section the file lacks, to go at its end
    std::string section;                // its name, in the file's encoding
    std::vector<std::pair<std::string, std::string>> lines;  // key and value, encoded
    std::unordered_map<std::string, std::size_t> by_key;     // folded key: its line
  };
  std::vector<NewKeys> blocks;
  std::unordered_map<std::string, std::size_t> block_of;         // folded section: its block
  std::map<std::size_t, std::pair<Line, std::string>> replaced;  // by line start: new value

  // A single write into a file nobody has read needs no tables.
  const bool scan = writes.size() == 1 && !parsed_;
  if (!scan) EnsureParsed();
  Status why;
  std::string e_section, e_key, e_value, e_eq, e_open, e_close, e_crlf;
  Encode("=", e_eq, why);
  Encode("[", e_open, why);
  Encode("]", e_close, why);
  Encode(kCrLf, e_crlf, why);
  for (const IniWrite& w : writes) {
    const std::string_view section = TrimCallerName(w.section), key = TrimCallerName(w.key);
    if (Status s = CheckNames(section, key, w.value); !s) return s;
    // Everything the edit writes, in the file's encoding.
    if (!Encode(section, e_section, why) || !Encode(key, e_key, why) ||
        !Encode(w.value, e_value, why)) {
      return why;
    }
    const std::string fsection = FoldCase(section), fkey = FoldCase(key);
    const Location loc = Place(fsection, fkey, scan);
    if (loc.key_found) {
      // The line keeps its name as spelled in the file.
      replaced[loc.key.start] = {loc.key, e_value};
      continue;
    }
    auto [slot, created] = block_of.try_emplace(fsection, blocks.size());
    if (created) {
      blocks.emplace_back();
      if (loc.section_found) {
        blocks.back().at = loc.insert_next;
        blocks.back().after_end = loc.insert_end;
      } else {
        blocks.back().is_new = true;
        blocks.back().section = e_section;
      }
    }
    NewKeys& block = blocks[slot->second];
    const auto [line, added] = block.by_key.try_emplace(fkey, block.lines.size());
    if (added) {
      block.lines.emplace_back(e_key, e_value);
    } else {
      block.lines[line->second].second = e_value;
    }
  }

  const std::size_t units = UnitCount();
  auto unit_at = [&](std::size_t i) {
    return encoding_ == IniEncoding::kUtf16Le ? U(utf16_[i]) : U(bytes_[i]);
  };
  // Windows ends the file's last line with CR LF once it writes at or after it.
  bool broken_end = units == 0 || unit_at(units - 1) == '\r' || unit_at(units - 1) == '\n';
  auto end_line_at = [&](std::size_t end) {
    if (end == units && !broken_end) {
      new_bytes += e_crlf;
      broken_end = true;
    }
  };

  // The edits in file order; new keys go ahead of a rewritten line that starts where they go.
  std::vector<std::size_t> block_order;
  for (std::size_t b = 0; b < blocks.size(); ++b) {
    if (!blocks[b].is_new) block_order.push_back(b);
  }
  std::stable_sort(block_order.begin(), block_order.end(),
                   [&](std::size_t a, std::size_t b) { return blocks[a].at < blocks[b].at; });

  new_bytes.assign(bytes_, 0, ByteOffset(0));
  std::size_t cursor = 0;
  auto copy_to = [&](std::size_t unit) {
    new_bytes.append(bytes_, ByteOffset(cursor), ByteOffset(unit) - ByteOffset(cursor));
    cursor = unit;
  };
  auto next_block = block_order.begin();
  auto next_line = replaced.begin();
  while (next_block != block_order.end() || next_line != replaced.end()) {
    if (next_block != block_order.end() &&
        (next_line == replaced.end() || blocks[*next_block].at <= next_line->first)) {
      const NewKeys& block = blocks[*next_block++];
      copy_to(block.at);
      end_line_at(block.after_end);
      for (const auto& [k, v] : block.lines) new_bytes += k + e_eq + v + e_crlf;
      continue;
    }
    const auto& [old, value] = (next_line++)->second;
    copy_to(old.start);
    new_bytes.append(bytes_, ByteOffset(old.name_begin),
                     ByteOffset(old.name_end) - ByteOffset(old.name_begin));
    new_bytes += e_eq + value;
    cursor = old.end;
    end_line_at(old.end);
  }
  copy_to(units);

  bool appended = false;
  for (const NewKeys& block : blocks) {
    if (!block.is_new) continue;
    if (!appended) {
      // Windows starts a file that holds only the byte-order mark with a line break.
      if (units == 0 && encoding_ == IniEncoding::kUtf16Le) broken_end = false;
      if (!broken_end) new_bytes += e_crlf;
      appended = true;
    }
    new_bytes += e_open + block.section + e_close + e_crlf;
    for (const auto& [k, v] : block.lines) new_bytes += k + e_eq + v + e_crlf;
  }
  // A stray last byte of a UTF-16 file is no character; it goes where a section follows it, so
  // that what follows stays aligned.
  if (!appended) new_bytes.append(bytes_, ByteOffset(units), std::string::npos);
  return Status::Ok();
}

std::vector<std::string> ReadNumberedList(const IniDocument& doc, std::string_view section) {
  std::vector<std::string> items;
  for (;;) {
    std::optional<std::string> value = doc.Find(section, std::to_string(items.size() + 1));
    if (!value || value->empty()) return items;
    items.push_back(std::move(*value));
  }
}

std::vector<IniWrite> NumberedListWrites(const IniDocument* current, std::string_view section,
                                         const std::vector<std::string>& values) {
  std::vector<IniWrite> writes;
  const auto now = [&](std::size_t number) {
    return current ? current->Find(section, std::to_string(number)).value_or("") : std::string();
  };
  const std::string name(section);
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (now(i + 1) != values[i]) writes.push_back({name, std::to_string(i + 1), values[i]});
  }
  for (std::size_t n = values.size() + 1; !now(n).empty(); ++n) {
    writes.push_back({name, std::to_string(n), ""});
  }
  return writes;
}

}  // namespace qm
