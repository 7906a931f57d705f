// Quillet's real main window for the editor's benchmarks: made, laid out and settled.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstdio>

#include "bench/bench_support_win32.h"
#include "quillet/main/main_form_win32.h"

namespace qm::bench {

// False, with a message, where the window cannot be made.
inline bool MakeMainWindow(qm::MainForm& form, bool shown) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);
  if (!form.Create(nullptr, nullptr)) {
    std::fprintf(stderr, "cannot create the main window\n");
    return false;
  }
  form.InitLayout();
  if (shown) ShowWindow(form.hwnd(), SW_SHOWNORMAL);
  PumpMessages();
  return true;
}

}  // namespace qm::bench
