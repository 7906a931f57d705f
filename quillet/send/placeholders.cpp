// Placeholders of a snippet: the contents of named files, then the date and time.
#include "quillet/send/placeholders.h"

#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <utility>

#include "text/utf.h"

namespace qm {
namespace {

constexpr std::string_view kFileOpener = "%datei=";

char LowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

// Where `lower` occurs in `text` from `from`, ASCII letters matched in either case. Every
// placeholder begins with "%", which has no other case, so the search jumps from one "%" to
// the next.
std::size_t FindPlaceholder(std::string_view text, std::string_view lower, std::size_t from) {
  for (std::size_t p = text.find(lower[0], from); p != std::string_view::npos;
       p = text.find(lower[0], p + 1)) {
    if (text.size() - p < lower.size()) return std::string_view::npos;
    std::size_t i = 1;
    while (i < lower.size() && LowerAscii(text[p + i]) == lower[i]) ++i;
    if (i == lower.size()) return p;
  }
  return std::string_view::npos;
}

std::string ReplaceAll(std::string_view text, std::string_view lower, std::size_t first,
                       const std::string& value) {
  std::string out;
  out.reserve(text.size());
  std::size_t done = 0;
  for (std::size_t p = first; p != std::string_view::npos; p = FindPlaceholder(text, lower, done)) {
    out.append(text.substr(done, p - done));
    out += value;
    done = p + lower.size();
  }
  out.append(text.substr(done));
  return out;
}

std::string TwoDigits(int n) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d", n);
  return buf;
}

std::string FileContents(FileSystem& fs, const CodePage& ansi, const std::string& name,
                         const std::string& base_folder) {
  const std::string path = ResolveFileName(name, base_folder);
  // An empty name would resolve to the folder itself; it names no file.
  const FileStamp stamp = name.empty() ? FileStamp{} : fs.Stat(path);
  if (!stamp.exists) return MissingFileNotice(name);
  // Days of typing, and the memory for its key events, are nobody's intent.
  if (stamp.size > kMaxInsertedFileBytes) return TooLargeFileNotice(name);
  const std::optional<std::string> contents = ReadWholeFile(fs, ansi, path);
  if (!contents) return UnreadableFileNotice(name);
  // A CR types Enter; a file from another system ends its lines otherwise.
  std::string lines;
  lines.reserve(contents->size());
  for (std::size_t i = 0; i < contents->size(); ++i) {
    const char c = (*contents)[i];
    if (c == '\n' && i > 0 && (*contents)[i - 1] == '\r') continue;
    lines += c == '\n' ? '\r' : c;
  }
  return lines;
}

// `read` holds the contents by folded name: a placeholder repeated in another letter case gets
// the same contents.
std::string ExpandFiles(std::string_view text, FileSystem& fs, const CodePage& ansi,
                        const std::string& base_folder, std::map<std::string, std::string>& read) {
  std::size_t start = FindPlaceholder(text, kFileOpener, 0);
  if (start == std::string_view::npos) return std::string(text);
  std::string out;
  out.reserve(text.size());
  std::size_t done = 0;
  for (; start != std::string_view::npos; start = FindPlaceholder(text, kFileOpener, done)) {
    const std::size_t name_at = start + kFileOpener.size();
    const std::size_t close = text.find('%', name_at);
    if (close == std::string_view::npos) break;
    const std::string name(text.substr(name_at, close - name_at));
    auto it = read.find(FoldCase(name));
    if (it == read.end()) {
      it = read.emplace(FoldCase(name), FileContents(fs, ansi, name, base_folder)).first;
    }
    out.append(text.substr(done, start - done));
    out += it->second;
    done = close + 1;
  }
  out.append(text.substr(done));
  return out;
}

// Days since 1 January 1970 of a date of the Gregorian calendar, and back.
long long DaysFromCivil(long long y, int m, int d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const long long yoe = y - era * 400;
  const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(long long z, LocalTime& t) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const long long doe = z - era * 146097;
  const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long long mp = (5 * doy + 2) / 153;
  t.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  t.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  t.year = static_cast<int>(yoe + era * 400 + (t.month <= 2));
}

constexpr std::string_view kDateOpener = "%datum";
constexpr int kMaxDateOffset = 3650;

// "%datum+N%" and "%datum-N%"; any other text after "%datum" stays for the table's words.
std::string ExpandDateOffsets(std::string_view text, Clock& clock, std::optional<LocalTime>& now) {
  std::string out;
  std::size_t done = 0;
  for (std::size_t p = FindPlaceholder(text, kDateOpener, 0); p != std::string_view::npos;
       p = FindPlaceholder(text, kDateOpener, p + 1)) {
    const std::size_t sign = p + kDateOpener.size();
    if (sign >= text.size() || (text[sign] != '+' && text[sign] != '-')) continue;
    std::size_t close = sign + 1;
    while (close < text.size() && close - sign <= 5 && text[close] >= '0' && text[close] <= '9') {
      ++close;
    }
    const std::size_t digits = close - sign - 1;
    if (digits == 0 || digits > 4 || close >= text.size() || text[close] != '%') continue;
    const int days = std::stoi(std::string(text.substr(sign + 1, digits)));
    if (days > kMaxDateOffset) continue;
    if (!now) now = clock.Now();
    out.append(text.substr(done, p - done));
    out += clock.ShortDate(MovedByDays(*now, text[sign] == '-' ? -days : days));
    done = close + 1;
  }
  if (done == 0) return std::string(text);
  out.append(text.substr(done));
  return out;
}

}  // namespace

LocalTime MovedByDays(const LocalTime& t, int days) {
  LocalTime moved = t;
  const long long z = DaysFromCivil(t.year, t.month, t.day) + days;
  CivilFromDays(z, moved);
  moved.weekday = static_cast<int>(((z % 7) + 11) % 7);  // 1 January 1970 was a Thursday
  return moved;
}

std::string MissingFileNotice(const std::string& name) {
  return "\r*** Quillet: Konnte Datei '" + name + "' nicht finden! ***\r";
}

std::string UnreadableFileNotice(const std::string& name) {
  return "\r*** Quillet: Konnte Datei '" + name + "' nicht lesen! ***\r";
}

std::string TooLargeFileNotice(const std::string& name) {
  return "\r*** Quillet: Datei '" + name + "' ist zu gro\xC3\x9F zum Tippen (mehr als 1 MB)! ***\r";
}

std::string ResolveFileName(const std::string& name, const std::string& base_folder) {
  const bool drive = name.size() >= 2 && name[1] == ':' &&
                     ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z'));
  const bool rooted = !name.empty() && (name[0] == '\\' || name[0] == '/');
  if (name.empty() || drive || rooted || base_folder.empty()) return name;
  const char last = base_folder.back();
  if (last == '\\' || last == '/') return base_folder + name;
  const bool posix =
      base_folder.find('\\') == std::string::npos && base_folder.find('/') != std::string::npos;
  return base_folder + (posix ? '/' : '\\') + name;
}

std::string DecodeTextFile(std::string_view bytes, const CodePage& ansi) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
    // Repairs what is not UTF-8 after all, one U+FFFD per bad byte.
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t pos = 3; pos < bytes.size();) AppendUtf8(out, NextCodePoint(bytes, pos));
    return out;
  }
  if (bytes.substr(0, 2) == "\xFF\xFE") {
    std::u16string units;
    units.reserve(bytes.size() / 2);
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
      units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                     static_cast<unsigned char>(bytes[i + 1]) << 8);
    }
    return Utf16ToUtf8(units);
  }
  // Pure ASCII reads the same either way; valid UTF-8 beyond it is hardly ever meant as ANSI.
  if (IsValidUtf8(bytes)) return std::string(bytes);
  return ansi.ToUtf8(bytes);
}

std::optional<std::string> ReadWholeFile(FileSystem& fs, const CodePage& ansi,
                                         const std::string& path) {
  const std::optional<std::string> bytes = fs.ReadAll(path);
  if (!bytes) return std::nullopt;
  return DecodeTextFile(*bytes, ansi);
}

std::string ExpandPlaceholders(std::string_view text, Clock& clock, FileSystem& fs,
                               const CodePage& ansi, const std::string& base_folder) {
  return PlaceholderExpander(clock, fs, ansi, base_folder).Expand(text);
}

std::string PlaceholderExpander::Expand(std::string_view text) {
  Clock& clock = clock_;
  // The offsets first: the words of the table below never form one.
  std::string out =
      ExpandDateOffsets(ExpandFiles(text, fs_, ansi_, base_folder_, files_), clock, now_);

  using Format = std::function<std::string(Clock&, const LocalTime&)>;
  const std::pair<std::string_view, Format> kTimes[] = {
      {"%zeit%", [](Clock& c, const LocalTime& t) { return c.TimeOfDay(t); }},
      {"%stunde%", [](Clock&, const LocalTime& t) { return TwoDigits(t.hour); }},
      {"%minute%", [](Clock&, const LocalTime& t) { return TwoDigits(t.minute); }},
      {"%sekunde%", [](Clock&, const LocalTime& t) { return TwoDigits(t.second); }},
      {"%datum%", [](Clock& c, const LocalTime& t) { return c.ShortDate(t); }},
      {"%tag%", [](Clock&, const LocalTime& t) { return TwoDigits(t.day); }},
      {"%wochentag%", [](Clock& c, const LocalTime& t) { return c.WeekdayName(t); }},
      {"%monat%", [](Clock&, const LocalTime& t) { return TwoDigits(t.month); }},
      {"%jahr%",
       [](Clock&, const LocalTime& t) {
         char buf[16];
         std::snprintf(buf, sizeof buf, "%04d", t.year);
         return std::string(buf);
       }},
  };
  // One reading of the clock for the whole text: read per placeholder, "%tag%.%monat%.%jahr%"
  // could give the old day with the new year at midnight.
  for (const auto& [placeholder, format] : kTimes) {
    const std::size_t first = FindPlaceholder(out, placeholder, 0);
    if (first == std::string::npos) continue;
    if (!now_) now_ = clock.Now();
    out = ReplaceAll(out, placeholder, first, format(clock, *now_));
  }
  return out;
}

}  // namespace qm
