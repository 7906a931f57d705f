// Entry point of Mantello.exe.
#include <windows.h>

#include "mantello/mantello_form_win32.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  return qm::RunMantello(instance);
}
