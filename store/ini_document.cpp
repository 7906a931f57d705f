// One data file's bytes, parsed by the rules of Windows' private-profile functions, with the
// in-place edit that writing one value makes.
#include "store/ini_document.h"

#include "common/utf.h"
#include "platform/portable_code_pages.h"

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
inline bool IsFileBlank(unsigned u) { return u == ' ' || u == '\t' || u == '\v'; }

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
    Parse(std::u16string_view(utf16_));
  } else {
    Parse(std::string_view(bytes_));
  }
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

template <typename Text>
void IniDocument::Parse(const Text& text) {
  const std::size_t n = text.size();
  Section* current = nullptr;  // null before the first section and inside a repeated one
  std::size_t pos = 0;
  while (pos < n) {
    // CR LF, a lone CR and a lone LF each end a line.
    const std::size_t start = pos;
    std::size_t end = start;
    while (end < n && U(text[end]) != '\r' && U(text[end]) != '\n') ++end;
    std::size_t next = end;
    if (next < n) next += (U(text[next]) == '\r' && next + 1 < n && U(text[next + 1]) == '\n') ? 2 : 1;
    pos = next;

    std::size_t p = start;
    while (p < end && IsFileBlank(U(text[p]))) ++p;
    if (p == end || U(text[p]) == ';') continue;

    if (U(text[p]) == '[') {
      std::size_t b = p + 1;
      std::size_t e = b;
      while (e < end && U(text[e]) != ']') ++e;  // a missing "]" still opens the section
      while (b < e && IsFileBlank(U(text[b]))) ++b;
      while (e > b && IsFileBlank(U(text[e - 1]))) --e;
      auto [it, inserted] = sections_.try_emplace(FoldCase(UnitsToUtf8(b, e)));
      current = inserted ? &it->second : nullptr;
      if (current) {
        current->insert_end = end;
        current->insert_next = next;
      }
      continue;
    }

    std::size_t eq = p;
    while (eq < end && U(text[eq]) != '=') ++eq;
    if (eq == end || !current) continue;  // not a key, or unreachable
    std::size_t name_end = eq;
    while (name_end > p && IsFileBlank(U(text[name_end - 1]))) --name_end;
    std::size_t vb = eq + 1;
    std::size_t ve = end;
    while (vb < ve && IsFileBlank(U(text[vb]))) ++vb;
    while (ve > vb && IsFileBlank(U(text[ve - 1]))) --ve;
    if (ve - vb >= 2 && U(text[vb]) == U(text[ve - 1]) &&
        (U(text[vb]) == '"' || U(text[vb]) == '\'')) {
      ++vb;
      --ve;
    }
    current->insert_end = end;
    current->insert_next = next;
    current->keys.try_emplace(FoldCase(UnitsToUtf8(p, name_end)),
                              Key{start, end, p, name_end, vb, ve});
  }
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

std::optional<std::string> IniDocument::Find(std::string_view section,
                                             std::string_view key) const {
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

Status IniDocument::Edit(std::string_view section_in, std::string_view key_in,
                         std::string_view value, std::string& new_bytes) const {
  const std::string_view section = TrimCallerName(section_in);
  const std::string_view key = TrimCallerName(key_in);
  auto has_any = [](std::string_view s, std::string_view chars) {
    return s.find_first_of(chars) != std::string_view::npos;
  };
  const std::string_view breaks("\r\n\0", 3);
  if (section.empty()) return Status::Refuse("Der Abschnittsname ist leer.");
  if (key.empty()) return Status::Refuse("Der Schlüsselname ist leer.");
  if (has_any(section, breaks) || has_any(section, "]")) {
    return Status::Refuse("Der Abschnittsname darf weder \"]\" noch einen Zeilenumbruch enthalten.");
  }
  if (has_any(key, breaks) || has_any(key, "=") || key.front() == '[' || key.front() == ';') {
    return Status::Refuse(
        "Der Schlüsselname darf weder \"=\" noch einen Zeilenumbruch enthalten und nicht mit "
        "\"[\" oder \";\" beginnen.");
  }
  if (has_any(value, breaks)) return Status::Refuse("Der Wert darf keinen Zeilenumbruch enthalten.");

  // Everything the edit writes, in the file's encoding.
  Status why;
  std::string e_section, e_key, e_value, e_eq, e_open, e_close, e_crlf;
  if (!Encode(section, e_section, why) || !Encode(key, e_key, why) ||
      !Encode(value, e_value, why)) {
    return why;
  }
  Encode("=", e_eq, why);
  Encode("[", e_open, why);
  Encode("]", e_close, why);
  Encode(kCrLf, e_crlf, why);

  const std::size_t units = UnitCount();
  auto ends_with_break = [&](std::size_t end_unit) {
    // The line that ends at `end_unit` has a line break unless it is the file's last.
    return end_unit < units;
  };

  const auto s = sections_.find(FoldCase(section));
  if (s != sections_.end()) {
    const auto k = s->second.keys.find(FoldCase(key));
    if (k != s->second.keys.end()) {
      // The line keeps its name as spelled in the file.
      const Key& old = k->second;
      new_bytes.assign(bytes_, 0, ByteOffset(old.line_start));
      new_bytes.append(bytes_, ByteOffset(old.name_begin),
                       ByteOffset(old.name_end) - ByteOffset(old.name_begin));
      new_bytes += e_eq;
      new_bytes += e_value;
      new_bytes.append(bytes_, ByteOffset(old.line_end), std::string::npos);
      return Status::Ok();
    }
    const Section& sec = s->second;
    new_bytes.assign(bytes_, 0, ByteOffset(sec.insert_next));
    if (!ends_with_break(sec.insert_end)) new_bytes += e_crlf;
    new_bytes += e_key + e_eq + e_value + e_crlf;
    new_bytes.append(bytes_, ByteOffset(sec.insert_next), std::string::npos);
    return Status::Ok();
  }

  new_bytes = bytes_;
  if (units > 0) {
    const std::size_t last = ByteOffset(units - 1);
    const bool broken = encoding_ == IniEncoding::kUtf16Le
                            ? (utf16_.back() == u'\r' || utf16_.back() == u'\n')
                            : (bytes_[last] == '\r' || bytes_[last] == '\n');
    if (!broken) new_bytes += e_crlf;
  }
  if (encoding_ == IniEncoding::kUtf16Le && new_bytes.size() % 2 == 1) new_bytes.pop_back();
  new_bytes += e_open + e_section + e_close + e_crlf + e_key + e_eq + e_value + e_crlf;
  return Status::Ok();
}

}  // namespace qm
