// Command-line arguments and standard streams of the command-line tools, in UTF-8.
#pragma once

#include <string>
#include <vector>

namespace qm {

// The arguments without the program name.
std::vector<std::string> Utf8Arguments(int argc, char** argv);
// Standard input and output pass bytes unchanged; the console shows UTF-8.
void PrepareConsole();

}  // namespace qm
