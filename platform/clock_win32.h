// The local time and the user's date and time formats, as Windows gives them.
#pragma once

#include <memory>

#include "platform/clock.h"

namespace qm {

std::unique_ptr<Clock> MakeWin32Clock();

}  // namespace qm
