// The modal hint dialog of Mantello, with its picture and the switch to stop showing it.
#pragma once

#include <windows.h>

#include <string>

#include "platform/file_system.h"
#include "store/user_settings.h"

namespace qm {

struct StartHintContext {
  HINSTANCE instance;
  HWND owner;
  HICON icon;
  UserSettings& settings;
  FileSystem& fs;
  std::string app_dir;        // with a trailing separator
  std::string plain_version;  // AppVersionString(VersionText::kFull)
};

// Shows hint `id` with `text` (escaped form) and the picture app_dir + image when it exists,
// unless the user switched the hint off for this version. Blocks until it is closed.
void ShowStartHint(const StartHintContext& ctx, const std::string& text, const std::string& id,
                   const std::string& image);

}  // namespace qm
