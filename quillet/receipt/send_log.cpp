#include "quillet/receipt/send_log.h"

#include <cstdio>
#include <optional>

#include "transfer/csv.h"

namespace qm {
namespace {

constexpr Arrival kArrivals[] = {Arrival::kArrived, Arrival::kDiffers, Arrival::kUncheckable,
                                 Arrival::kCancelled};

std::string TimeText(const LocalTime& t) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second);
  return text;
}

std::optional<LocalTime> ParseTime(const std::string& text) {
  LocalTime t;
  char end = 0;
  if (text.size() != 19 || std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &t.year, &t.month,
                                       &t.day, &t.hour, &t.minute, &t.second, &end) != 6) {
    return std::nullopt;
  }
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
  std::vector<std::string> row = {TimeText(l.time),        OneLine(l.entry),
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

// The file's rows one line at a time, so that a damaged one spoils no other.
std::vector<std::vector<std::string>> Rows(std::string_view bytes) {
  std::vector<std::vector<std::string>> rows;
  for (std::size_t at = 0; at < bytes.size();) {
    std::size_t end = bytes.find('\n', at);
    if (end == std::string_view::npos) end = bytes.size();
    CsvTable line;
    TextProblem problem;
    // Semicolons whatever the line holds: a line without one is no send anyway.
    const std::string text = "\xEF\xBB\xBF;\r\n" + std::string(bytes.substr(at, end - at));
    if (ReadCsv(text, &line, &problem) && line.rows.size() == 2) rows.push_back(line.rows[1]);
    at = end + 1;
  }
  return rows;
}

}  // namespace

std::vector<SendLogLine> ReadSendLog(std::string_view bytes) {
  std::vector<SendLogLine> sends;
  for (const std::vector<std::string>& row : Rows(bytes)) {
    if (std::optional<SendLogLine> l = FromRow(row)) sends.push_back(std::move(*l));
  }
  return sends;
}

std::string LogWithLine(std::string_view existing, const SendLogLine& line, std::size_t most) {
  std::vector<SendLogLine> kept = ReadSendLog(existing);
  const std::size_t room = most > 0 ? most - 1 : 0;
  kept.erase(kept.begin(), kept.begin() + static_cast<std::ptrdiff_t>(
                                              kept.size() > room ? kept.size() - room : 0));
  if (most > 0) kept.push_back(line);
  bool titles = false;
  for (const SendLogLine& l : kept) titles = titles || !l.title.empty();
  std::vector<std::vector<std::string>> rows;
  rows.emplace_back(std::begin(kSendLogColumns), std::end(kSendLogColumns));
  if (titles) rows.front().push_back(kSendLogTitleColumn);
  for (const SendLogLine& l : kept) rows.push_back(Row(l, titles));
  return WriteCsv(rows);
}

}  // namespace qm
