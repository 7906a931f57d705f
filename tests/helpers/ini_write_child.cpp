// Writes values in a loop until it is killed; the crash-safety tests kill it mid-write.
// Usage: ini_write_child FILE COUNT [SECTION]. Key "k<i mod 50>" gets "v<i>" padded to 200
// characters with "x", so a complete value is recognisable.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/os.h"
#include "store/ini_store.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: ini_write_child FILE COUNT [SECTION]\n");
    return 2;
  }
  auto fs = qm::MakeOsFileSystem();
  auto ansi = qm::MakeOsAnsiCodePage();
  qm::IniStore ini(*fs, *ansi);
  const std::string section = argc > 3 ? argv[3] : "S";
  const long count = std::atol(argv[2]);
  for (long i = 0; i < count; ++i) {
    std::string value = "v" + std::to_string(i);
    value.resize(200, 'x');
    if (!ini.WriteIniValue(section, "k" + std::to_string(i % 50), value, argv[1])) return 1;
  }
  return 0;
}
