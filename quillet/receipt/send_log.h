// The send log: one line per send, kept per user outside the data file, for a German
// spreadsheet as it is (UTF-8 with a byte-order mark, semicolons, CR LF). It names where a
// snippet went and how it arrived, never what it said: no text, no field's value, no title.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "quillet/receipt/arrival.h"

namespace qm {

inline constexpr std::size_t kSendLogLines = 10'000;
inline constexpr const char* kSendLogColumns[] = {"Zeit", "Eintrag", "Programm", "Fensterklasse",
                                                  "Weg",  "Zeichen", "Ergebnis"};
inline constexpr const char* kSendLogTitleColumn = "Fenstertitel";

struct SendLogLine {
  LocalTime time;
  std::string entry;         // the entry's name
  std::string program;       // the target's program file, without its folder
  std::string window_class;  // the target window's class
  std::string delivery;      // "Tippen", "Tasten" or "Einfügen"
  std::size_t characters = 0;
  Arrival arrival = Arrival::kUncheckable;
  // The target window's title, only for a user who asked for titles in the log; written as
  // an eighth column "Fenstertitel" when any line kept has one.
  std::string title = {};
};

// The log as a file's bytes, kept between sends so that a send adds its line without reading
// and parsing the whole log again.
class SendLogText {
 public:
  // The file as it is (empty where there is none): its sends kept, whatever does not read as
  // one (a half line, a foreign file) left out.
  void Take(std::string_view existing);
  // `line` added last, and the oldest dropped beyond the newest `most`.
  void Add(const SendLogLine& line, std::size_t most = kSendLogLines);
  const std::string& bytes() const { return bytes_; }
  // Lets go of the bytes between sends, keeping what they hold: a program that waits in the
  // notification area keeps no log in memory.
  void Release() { std::string().swap(bytes_); }
  // The file again, as this log last wrote it.
  void Resume(std::string bytes) { bytes_ = std::move(bytes); }

 private:
  void Rebuild(std::vector<SendLogLine> sends);

  std::string bytes_;
  std::size_t rows_ = 0;
  bool titles_ = false;  // the column "Fenstertitel" is there
};

// The log's file after `line` was added to `existing` (the file as it is, empty where there
// is none): the column names, then the newest `most` sends, `line` last. Rows that do not read
// as a send (a half line, a foreign file) are left out.
std::string LogWithLine(std::string_view existing, const SendLogLine& line,
                        std::size_t most = kSendLogLines);

// "YYYY-MM-DD hh:mm:ss": a send's time as the log writes it.
std::string SendLogTime(const LocalTime& t);

// The sends a log holds, oldest first; rows that do not read as one are passed over.
std::vector<SendLogLine> ReadSendLog(std::string_view bytes);

}  // namespace qm
