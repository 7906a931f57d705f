// Command-line arguments and standard streams on POSIX systems, which are UTF-8 already.
#include "platform/console.h"

namespace qm {

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

void PrepareConsole() {}

}  // namespace qm
