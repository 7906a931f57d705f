// Entry point of Quillet.exe.
#include <windows.h>

#include "quillet/app/quillet_program_win32.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR command_line, int) {
  return qm::RunQuillet(instance, command_line ? command_line : L"");
}
