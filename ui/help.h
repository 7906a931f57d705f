// The help pages beside the program, opened in the default browser, and the maker's web site.
#pragma once

#include <string>

#include "platform/dialogs.h"
#include "platform/file_system.h"
#include "platform/shell.h"

namespace qm {

inline constexpr const char* kMakerWebSite = "https://www.ferrandel.example/";
// The address as texts show it.
inline constexpr const char* kMakerWebSiteShown = "www.ferrandel.example";
inline constexpr const char* kMakerMail = "support@ferrandel.example";

// index.htm, index.html, hilfe.htm, hilfe.html, then the same in the folder "hilfe"; the first
// that exists, or an empty text. `app_dir` ends with a separator.
std::string FindHelpFile(FileSystem& fs, const std::string& app_dir);

struct HelpServices {
  FileSystem& fs;
  Shell& shell;
  Dialogs& dialogs;
  std::string app_dir;
  std::string program_title;
};

// Opens `file`, or the first help page found when it is empty or missing.
void ShowHelp(const HelpServices& h, std::string file, bool confirm);
void OpenMakerWebSite(Shell& shell);

}  // namespace qm
