// Entry point of quillet-cli.
#include <iostream>

#include "cli/quillet_cli.h"
#include "platform/console.h"
#include "platform/os.h"

int main(int argc, char** argv) {
  qm::PrepareConsole();
  auto fs = qm::MakeOsFileSystem();
  auto ansi = qm::MakeOsAnsiCodePage();
  return qm::RunQuilletCli(qm::Utf8Arguments(argc, argv), std::cin, std::cout, std::cerr, *fs,
                           *ansi);
}
