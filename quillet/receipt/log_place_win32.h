// Where the send log lives: per user, outside the data file.
#pragma once

#include <string>

namespace qm {

// "%LOCALAPPDATA%\Quillet" (UTF-8), without a trailing separator; empty where the system
// names no such folder.
std::string SendLogFolder();
// The log's file in that folder, the folder made where missing; empty where it cannot be.
std::string SendLogFile();

}  // namespace qm
