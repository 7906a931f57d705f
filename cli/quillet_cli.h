// The snippet library on the command line: list, show, expand, add, get and set.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/code_page.h"
#include "platform/file_system.h"

namespace qm {

// Exit codes: 0 success, 1 no such file, entry or key, 2 usage error or refused input,
// 3 the file could not be read or written. Without a `clock`, "expand" reads the C library's
// local time and writes dates and times in the German formats.
int RunQuilletCli(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                  std::ostream& err, FileSystem& fs, const CodePage& ansi, Clock* clock = nullptr);

}  // namespace qm
