// Placeholders of a snippet: the contents of named files, then the date and time.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/clock.h"
#include "platform/code_page.h"
#include "platform/file_system.h"

namespace qm {

// Replaces, with letter case ignored:
//  1. every "%datei=NAME%" by the file's contents with each line break (CR LF, LF or CR) as
//     one CR, which types one Enter, or by a notice when there is no such file or it cannot
//     be read. A relative
//     NAME is looked for in `base_folder` (the data file's folder), so that a snippet reads
//     the same file however the program was started. Equal placeholders, in any letter case,
//     get the contents of one reading. Inserted contents are not searched for file
//     placeholders again, and a "%datei=" without a closing "%" ends this pass.
//  2. "%datum+N%" and "%datum-N%" (N of one to four decimal digits, 0 to 3650) by the short
//     date N days after or before today, then "%zeit%", "%stunde%", "%minute%", "%sekunde%",
//     "%datum%", "%tag%", "%wochentag%", "%monat%", "%jahr%" in this order over the whole
//     text, inserted files included, all from one reading of the clock.
// Any other text between percent signs stays as it is.
std::string ExpandPlaceholders(std::string_view text, Clock& clock, FileSystem& fs,
                               const CodePage& ansi, const std::string& base_folder);

// ExpandPlaceholders for a snippet that is expanded in pieces (the text between a form's
// fields, the snippets it includes): every piece sees the same reading of the clock, taken at
// the first date or time placeholder, and each file is read once for all of them.
class PlaceholderExpander {
 public:
  PlaceholderExpander(Clock& clock, FileSystem& fs, const CodePage& ansi, std::string base_folder)
      : clock_(clock), fs_(fs), ansi_(ansi), base_folder_(std::move(base_folder)) {}
  std::string Expand(std::string_view text);

 private:
  Clock& clock_;
  FileSystem& fs_;
  const CodePage& ansi_;
  std::string base_folder_;
  std::map<std::string, std::string> files_;  // contents by folded name
  std::optional<LocalTime> now_;
};

// The same time of day `days` whole days later (earlier where negative), the weekday
// recomputed.
LocalTime MovedByDays(const LocalTime& t, int days);

// The whole file as UTF-8; nullopt when it is missing or cannot be read.
std::optional<std::string> ReadWholeFile(FileSystem& fs, const CodePage& ansi,
                                         const std::string& path);

// A text file's bytes as UTF-8. A UTF-8 or UTF-16LE byte-order mark decides the encoding,
// and so does valid UTF-8 that holds anything beyond ASCII, as today's editors save it;
// everything else is in the ANSI code page.
std::string DecodeTextFile(std::string_view bytes, const CodePage& ansi);

// `name` in `base_folder` unless it is absolute already (a drive letter, a UNC path, or a
// leading backslash or slash) or `base_folder` is empty.
std::string ResolveFileName(const std::string& name, const std::string& base_folder);

// What is typed in place of a file that does not exist, and of one that exists but cannot be
// read (another program holds it open without sharing, the network is gone).
std::string MissingFileNotice(const std::string& name);
std::string UnreadableFileNotice(const std::string& name);

// A file above this size is not inserted: typing a megabyte already takes a quarter of an
// hour. What is typed in its place says so.
inline constexpr std::uint64_t kMaxInsertedFileBytes = 1024 * 1024;
std::string TooLargeFileNotice(const std::string& name);

}  // namespace qm
