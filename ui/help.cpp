// The help pages beside the program, opened in the default browser, and the maker's web site.
#include "ui/help.h"

#include "platform/paths.h"

namespace qm {

std::string FindHelpFile(FileSystem& fs, const std::string& app_dir) {
  // The separator of the folder the program runs from, so that the path works on both sides.
  const std::string sep = !app_dir.empty() && app_dir.back() == '/' ? "/" : "\\";
  for (const char* sub : {"", "hilfe"}) {
    for (const char* base : {"index", "hilfe"}) {
      for (const char* l : {"", "l"}) {
        const std::string candidate =
            app_dir + (*sub ? std::string(sub) + sep : "") + base + ".htm" + l;
        if (FileExists(fs, candidate)) return candidate;
      }
    }
  }
  return {};
}

void ShowHelp(const HelpServices& h, std::string file, bool confirm) {
  if (file.empty() || !FileExists(h.fs, file)) file = FindHelpFile(h.fs, h.app_dir);
  if (file.empty()) {
    h.dialogs.ShowMessage("Die Online-Hilfe konnte leider nicht gefunden werden ...",
                          h.program_title, MessageIcon::kInformation, MessageButtons::kOk);
    return;
  }
  h.shell.Open(file, ShowMode::kNormal);
  if (confirm) {
    h.dialogs.ShowMessage("HTML-Hilfetext wurde an den Standard-Browser geschickt ...",
                          h.program_title, MessageIcon::kInformation, MessageButtons::kOk);
  }
}

void OpenMakerWebSite(Shell& shell) {
  shell.Open(kMakerWebSite, ShowMode::kMaximized);
}

}  // namespace qm
