// The receipt's reader on Windows: the focused Edit or RichEdit control of another program,
// read with WM_GETTEXT and EM_GETSEL, which the system carries across processes; any other
// focused field through accessibility, its text without its caret, or through UI Automation,
// its caret with it where its text pattern tells it.
#pragma once

#include <memory>

#include "quillet/receipt/receipt.h"

namespace qm {

std::unique_ptr<ControlReader> MakeWin32ControlReader();

}  // namespace qm
