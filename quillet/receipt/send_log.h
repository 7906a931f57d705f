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

// The log's file after `line` was added to `existing` (the file as it is, empty where there
// is none): the column names, then the newest `most` sends, `line` last. Rows that do not read
// as a send (a half line, a foreign file) are left out.
std::string LogWithLine(std::string_view existing, const SendLogLine& line,
                        std::size_t most = kSendLogLines);

// The sends a log holds, oldest first; rows that do not read as one are passed over.
std::vector<SendLogLine> ReadSendLog(std::string_view bytes);

}  // namespace qm
