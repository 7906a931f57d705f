#include "quillet/receipt/send_log.h"

#include <cstdio>
#include <optional>

#include "transfer/csv.h"
#include <string_view>

namespace qm {
namespace {

constexpr Arrival kArrivals[] = {Arrival::kArrived, Arrival::kDiffers, Arrival::kUncheckable,
                                 Arrival::kCancelled};


// "YYYY-MM-DD hh:mm:ss", digits where digits belong.
std::optional<LocalTime> ParseTime(const std::string& text) {
  static constexpr char kShape[] = "0000-00-00 00:00:00";
  if (text.size() != sizeof kShape - 1) return std::nullopt;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool digit = text[i] >= '0' && text[i] <= '9';
    if (kShape[i] == '0' ? !digit : text[i] != kShape[i]) return std::nullopt;
  }
  const auto number = [&](std::size_t at, std::size_t digits) {
    int n = 0;
    for (std::size_t i = at; i < at + digits; ++i) n = n * 10 + (text[i] - '0');
    return n;
  };
  LocalTime t;
  t.year = number(0, 4);
  t.month = number(5, 2);
  t.day = number(8, 2);
  t.hour = number(11, 2);
  t.minute = number(14, 2);
  t.second = number(17, 2);
  return t;
}

// One line per send, whatever a name holds: a line break in it would split the row.
std::string OneLine(std::string text) {
  for (char& c : text) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return text;
}

std::vector<std::string> Row(const SendLogLine& l, bool titles) {
  std::vector<std::string> row = {SendLogTime(l.time),        OneLine(l.entry),
                                  OneLine(l.program),      OneLine(l.window_class),
                                  OneLine(l.delivery),     std::to_string(l.characters),
                                  ArrivalWord(l.arrival)};
  if (titles) row.push_back(OneLine(l.title));
  return row;
}

std::optional<SendLogLine> FromRow(const std::vector<std::string>& row) {
  if (row.size() != std::size(kSendLogColumns) && row.size() != std::size(kSendLogColumns) + 1) {
    return std::nullopt;
  }
  SendLogLine l;
  const std::optional<LocalTime> time = ParseTime(row[0]);
  if (!time || row[5].empty() || row[5].find_first_not_of("0123456789") != std::string::npos ||
      row[5].size() > 12) {
    return std::nullopt;
  }
  l.time = *time;
  l.entry = row[1];
  l.program = row[2];
  l.window_class = row[3];
  l.delivery = row[4];
  l.characters = static_cast<std::size_t>(std::stoull(row[5]));
  if (row.size() > std::size(kSendLogColumns)) l.title = row.back();
  for (const Arrival a : kArrivals) {
    if (row[6] == ArrivalWord(a)) return (l.arrival = a, l);
  }
  return std::nullopt;
}

// One line of the file as its fields; nullopt where a quote is left open. The log writes each
// send on a line of its own, so that a damaged line spoils no other.
std::optional<std::vector<std::string>> Fields(std::string_view line) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
      fields.back() += '"';
      ++i;
    } else if (c == '"') {
      quoted = !quoted;
    } else if (c == ';' && !quoted) {
      fields.emplace_back();
    } else if (c != '\r' || quoted) {
      fields.back() += c;
    }
  }
  if (quoted) return std::nullopt;
  return fields;
}

// Each line of `bytes` in turn, the byte-order mark left out.
template <typename Visit>
void EachLine(std::string_view bytes, Visit visit) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  for (std::size_t at = 0; at < bytes.size();) {
    std::size_t end = bytes.find('\n', at);
    if (end == std::string_view::npos) end = bytes.size();
    visit(bytes.substr(at, end - at));
    at = end + 1;
  }
}

}  // namespace

std::vector<SendLogLine> ReadSendLog(std::string_view bytes) {
  std::vector<SendLogLine> sends;
  EachLine(bytes, [&](std::string_view line) {
    const std::optional<std::vector<std::string>> fields = Fields(line);
    if (!fields) return;
    if (std::optional<SendLogLine> l = FromRow(*fields)) sends.push_back(std::move(*l));
  });
  return sends;
}

std::string SendLogTime(const LocalTime& t) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second);
  return text;
}

void SendLogText::Rebuild(std::vector<SendLogLine> sends) {
  titles_ = false;
  for (const SendLogLine& l : sends) titles_ = titles_ || !l.title.empty();
  std::vector<std::vector<std::string>> rows;
  rows.emplace_back(std::begin(kSendLogColumns), std::end(kSendLogColumns));
  if (titles_) rows.front().push_back(kSendLogTitleColumn);
  for (const SendLogLine& l : sends) rows.push_back(Row(l, titles_));
  bytes_ = WriteCsv(rows);
  rows_ = sends.size();
}

void SendLogText::Take(std::string_view existing) {
  std::vector<SendLogLine> sends = ReadSendLog(existing);
  // A log as this program writes it is kept as it is; anything else is written anew.
  std::vector<std::string> names(std::begin(kSendLogColumns), std::end(kSendLogColumns));
  const std::string plain = WriteCsv({names});
  names.push_back(kSendLogTitleColumn);
  const std::string titled = WriteCsv({names});
  const std::string_view first = existing.substr(0, existing.find('\n') + 1);
  std::size_t lines = 0;
  EachLine(existing, [&](std::string_view) { ++lines; });
  if ((first == plain || first == titled) && lines == sends.size() + 1 &&
      existing.substr(existing.size() - 2) == "\r\n") {
    bytes_ = existing;
    rows_ = sends.size();
    titles_ = first == titled;
    return;
  }
  Rebuild(std::move(sends));
}

void SendLogText::Add(const SendLogLine& line, std::size_t most) {
  if (most == 0) return Rebuild({});
  if (!titles_ && !line.title.empty()) {
    std::vector<SendLogLine> sends = ReadSendLog(bytes_);
    sends.push_back(line);
    Rebuild(std::move(sends));
  } else {
    // One row, one line: a name's line breaks were made blanks.
    bytes_ += WriteCsv({Row(line, titles_)}).substr(3);  // without its byte-order mark
    ++rows_;
  }
  if (rows_ <= most) return;
  std::size_t cut = bytes_.find("\r\n") + 2;  // after the column names
  const std::size_t from = cut;
  for (; rows_ > most; --rows_) cut = bytes_.find("\r\n", cut) + 2;
  bytes_.erase(from, cut - from);
}

std::string LogWithLine(std::string_view existing, const SendLogLine& line, std::size_t most) {
  SendLogText log;
  log.Take(existing);
  log.Add(line, most);
  return log.bytes();
}

}  // namespace qm
