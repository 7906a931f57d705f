// Mantello's encoding on the command line: encode a text into the script, decode a script.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace qm {

// Exit codes: 0 success, 2 usage error, unreadable input or a script that cannot be decoded.
// `seed` chooses the carrier's bands, so that a test can repeat an encoding.
int RunMantelloCli(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                   std::ostream& err, FileSystem& fs, std::uint64_t seed);

}  // namespace qm
