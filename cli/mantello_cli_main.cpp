// Entry point of mantello-cli.
#include <iostream>

#include "cli/mantello_cli.h"
#include "mantello/html_encoder.h"
#include "platform/console.h"
#include "platform/os.h"

int main(int argc, char** argv) {
  qm::PrepareConsole();
  auto fs = qm::MakeOsFileSystem();
  return qm::RunMantelloCli(qm::Utf8Arguments(argc, argv), std::cin, std::cout, std::cerr, *fs,
                            qm::ClockSeed());
}
