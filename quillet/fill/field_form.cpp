// The values a snippet's form starts with: the last ones sent for the entry, kept per user.
#include "quillet/fill/field_form.h"

#include <algorithm>
#include <utility>

#include "text/utf.h"

namespace qm {
namespace {

// Whole stored values beyond this lose their oldest entries: the value is read and written
// at every send with fields.
constexpr std::size_t kMaxStoredBytes = 256 * 1024;

struct RememberedField {
  FieldKind kind = FieldKind::kLine;
  std::string name;   // as asked; matched by FoldCase
  std::string value;  // the text, or "1"/"0" for an optional section
};

struct RememberedEntry {
  std::string name;
  std::vector<RememberedField> fields;
};

// The stored form: records, most recent first, each
//   <entry> <count> "," then per field <kind digit> <name> <value>
// where every text is "<length>:<text>" with "%", control characters and DEL as "%HH", so
// that the value holds no line break whatever a field held, and the length says where it ends.
std::string Escaped(std::string_view text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : text) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x20 || b == 0x7F || b == '%') {
      out += '%';
      out += kHex[b >> 4];
      out += kHex[b & 15];
    } else {
      out += c;
    }
  }
  return out;
}

void AppendText(std::string& out, std::string_view text) {
  const std::string escaped = Escaped(text);
  out += std::to_string(escaped.size()) + ":" + escaped;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Plain decimal digits up to `end`, at most 9 of them; false for anything else.
bool ReadNumber(std::string_view s, std::size_t& pos, char end, std::size_t& out) {
  const std::size_t start = pos;
  out = 0;
  while (pos < s.size() && s[pos] >= '0' && s[pos] <= '9' && pos - start < 9) {
    out = out * 10 + static_cast<std::size_t>(s[pos++] - '0');
  }
  if (pos == start || pos >= s.size() || s[pos] != end) return false;
  ++pos;
  return true;
}

bool ReadText(std::string_view s, std::size_t& pos, std::string& out) {
  std::size_t length = 0;
  if (!ReadNumber(s, pos, ':', length) || length > s.size() - pos) return false;
  const std::string_view escaped = s.substr(pos, length);
  pos += length;
  out.clear();
  for (std::size_t i = 0; i < escaped.size(); ++i) {
    if (escaped[i] != '%') {
      out += escaped[i];
      continue;
    }
    const int high = i + 2 < escaped.size() ? HexDigit(escaped[i + 1]) : -1;
    const int low = high >= 0 ? HexDigit(escaped[i + 2]) : -1;
    if (low < 0) return false;
    out += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return IsValidUtf8(out);
}

std::string Pack(const std::vector<RememberedEntry>& entries) {
  std::string out;
  for (const RememberedEntry& entry : entries) {
    AppendText(out, entry.name);
    out += std::to_string(entry.fields.size()) + ",";
    for (const RememberedField& field : entry.fields) {
      out += static_cast<char>('0' + static_cast<int>(field.kind));
      AppendText(out, field.name);
      AppendText(out, field.value);
    }
  }
  return out;
}

// Reading stops at the first record that does not read back whole; those before it are kept.
std::vector<RememberedEntry> Unpack(std::string_view s) {
  std::vector<RememberedEntry> entries;
  for (std::size_t pos = 0; pos < s.size() && entries.size() < kRememberedEntries;) {
    RememberedEntry entry;
    std::size_t count = 0;
    if (!ReadText(s, pos, entry.name) || entry.name.empty() || !ReadNumber(s, pos, ',', count) ||
        count > kMaxSnippetFields) {
      break;
    }
    for (; count > 0; --count) {
      RememberedField field;
      const int kind = pos < s.size() ? s[pos] - '0' : -1;
      if (kind < 0 || kind > static_cast<int>(FieldKind::kOptional)) break;
      ++pos;
      field.kind = static_cast<FieldKind>(kind);
      if (!ReadText(s, pos, field.name) || !ReadText(s, pos, field.value)) break;
      entry.fields.push_back(std::move(field));
    }
    if (count > 0) break;
    entries.push_back(std::move(entry));
  }
  return entries;
}

std::vector<RememberedEntry> Load(UserSettings& settings) {
  return Unpack(settings.ReadUserSetting(kFieldMemoryKey, ""));
}

FieldValue DefaultValue(const SnippetField& field) {
  FieldValue value;
  if (field.kind == FieldKind::kChoice && !field.choices.empty()) value.text = field.choices[0];
  return value;
}

// The remembered value of `field`, where it still fits it.
std::optional<FieldValue> Remembered(const RememberedEntry& entry, const SnippetField& field) {
  const std::string folded = FoldCase(field.name);
  for (const RememberedField& kept : entry.fields) {
    if (kept.kind != field.kind || FoldCase(kept.name) != folded) continue;
    FieldValue value;
    if (field.kind == FieldKind::kOptional) {
      value.ticked = kept.value == "1";
    } else if (field.kind == FieldKind::kChoice &&
               std::find(field.choices.begin(), field.choices.end(), kept.value) ==
                   field.choices.end()) {
      return std::nullopt;
    } else {
      value.text = kept.value;
    }
    return value;
  }
  return std::nullopt;
}

}  // namespace

FieldValues StartValues(UserSettings& settings, const std::string& entry_name,
                        const std::vector<SnippetField>& fields, bool enciphered) {
  FieldValues values;
  for (const SnippetField& field : fields) values.push_back(DefaultValue(field));
  if (enciphered || fields.empty()) return values;
  const std::vector<RememberedEntry> entries = Load(settings);
  const auto it = std::find_if(entries.begin(), entries.end(),
                               [&](const RememberedEntry& e) { return e.name == entry_name; });
  if (it == entries.end()) return values;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (std::optional<FieldValue> kept = Remembered(*it, fields[i])) values[i] = std::move(*kept);
  }
  return values;
}

Status RememberValues(UserSettings& settings, const std::string& entry_name,
                      const std::vector<SnippetField>& fields, const FieldValues& values,
                      bool enciphered) {
  if (entry_name.empty()) return Status::Ok();
  const std::string before = settings.ReadUserSetting(kFieldMemoryKey, "");
  std::vector<RememberedEntry> entries = Unpack(before);
  entries.erase(std::remove_if(entries.begin(), entries.end(),
                               [&](const RememberedEntry& e) { return e.name == entry_name; }),
                entries.end());
  if (!enciphered && !fields.empty()) {
    RememberedEntry entry{entry_name, {}};
    for (std::size_t i = 0; i < fields.size() && i < kMaxSnippetFields; ++i) {
      const FieldValue value = i < values.size() ? values[i] : FieldValue{};
      RememberedField kept{
          fields[i].kind, fields[i].name,
          fields[i].kind == FieldKind::kOptional ? (value.ticked ? "1" : "0") : value.text};
      if (kept.value.size() <= kMaxRememberedValueBytes && IsValidUtf8(kept.value)) {
        entry.fields.push_back(std::move(kept));
      }
    }
    entries.insert(entries.begin(), std::move(entry));
    if (entries.size() > kRememberedEntries) entries.resize(kRememberedEntries);
  }
  std::string packed = Pack(entries);
  while (packed.size() > kMaxStoredBytes && entries.size() > 1) {
    entries.pop_back();
    packed = Pack(entries);
  }
  if (packed == before) return Status::Ok();
  return settings.SaveUserSetting(kFieldMemoryKey, packed);
}

}  // namespace qm
