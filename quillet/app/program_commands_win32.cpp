// Quillet.exe: the main window's buttons and menu commands, and what they open: import and
// export, the Options, help and About.
#include "quillet/app/program_win32.h"

#include <optional>

#include "platform/paths.h"
#include "platform/windows_version.h"
#include "quillet/app/owner_dialogs_win32.h"
#include "quillet/menu/edge_strip.h"
#include "quillet/receipt/log_place_win32.h"
#include "ui/about_dialog_win32.h"
#include "ui/help.h"
#include "ui/window_layout_win32.h"

namespace qm {

namespace {

constexpr const char* kQuilletDescription = "Quillet - Textbausteine per Mausklick";

}  // namespace

void QuilletProgram::ShowHelpPage() {
  ShowHelp(HelpServices{*fs_, *shell_, *dialogs_, AppDir(*system_), core_->caption()}, "", false);
}

void QuilletProgram::ShowAbout() {
  ShowAboutDialog(instance_, form_.hwnd(), ProgramInfo{kQuilletTitle, kQuilletDescription},
                  AboutKind::kFreeware, *shell_, *system_);
}

void QuilletProgram::Transfer(QuilletCommand command) {
  MainModel& main = core_->main();
  // What the user has typed goes into the file first: it is exported, or replaced by an
  // import as the user chooses, but never lost under the reload that follows an import.
  main.StorePendingEdits();
  transfer_->SetAppTitle(core_->caption());
  if (command == QuilletCommand::kMenuImport) {
    transfer_->Import();
  } else if (command == QuilletCommand::kMenuExport) {
    transfer_->Export();
  } else if (main.CurrentEntryNumber() > 0) {
    transfer_->Export(EntryKey{main.CurrentEntryNumber(), main.CurrentName(), std::nullopt});
  }
}

void QuilletProgram::CreateOptions() {
  // Made when first shown: a program in the notification area seldom needs it.
  options_form_.on_created = [this](HWND options) {
    static_cast<OwnerDialogs&>(*dialogs_).SetOptionsWindow(options);
  };
  options_form_.Create(instance_, form_.hwnd(), MakeCaption("Optionen", IsWindowsNT(*system_)),
                       /*when_shown=*/true);
  autostart_.emplace(*registry_, *fs_, *dialogs_, kQuilletTitle,
                     AppExePath(*system_) + " /AUTOSTART");
  options_.emplace(OptionsServices{*core_, *dialogs_, *shell_, *autostart_,
                                   [this](std::int32_t colour) {
                                     strip_.SetColour(PlainColour(colour, [](int index) {
                                       return static_cast<std::uint32_t>(GetSysColor(index));
                                     }));
                                   }},
                   options_form_);
  options_form_.Attach(&*options_);
  options_->InitAutostart();
}

void QuilletProgram::ShowSendLog() {
  send_log_.Show(instance_, form_.hwnd(), MakeCaption("Versandprotokoll", core_->windows_nt()),
                 SendLogWindowServices{*fs_, *shell_, *clipboard_, [] { return SendLogFile(); }});
}

void QuilletProgram::OnCommand(QuilletCommand command) {
  // An import runs with the window's messages going on: nothing else starts meanwhile.
  if (transfer_ && transfer_->Busy()) return;
  MainModel& main = core_->main();
  switch (command) {
    case QuilletCommand::kDeleteEntry:
    case QuilletCommand::kMenuDeleteEntry:
      main.DeleteEntry();
      break;
    case QuilletCommand::kRenameEntry:
    case QuilletCommand::kMenuRenameEntry:
      main.RenameEntry();
      break;
    case QuilletCommand::kNewEntry:
    case QuilletCommand::kMenuNewEntry:
      main.NewEntry();
      break;
    case QuilletCommand::kHideMain:
    case QuilletCommand::kMenuHide:
      HideMain();
      break;
    case QuilletCommand::kMenuQuit:
      Quit();
      break;
    case QuilletCommand::kMenuImport:
    case QuilletCommand::kMenuExport:
    case QuilletCommand::kMenuExportEntry:
      Transfer(command);
      break;
    case QuilletCommand::kOptions:
      options_form_.Show();
      break;
    case QuilletCommand::kMenuOptions:
      options_form_.ShowModal();
      break;
    case QuilletCommand::kDebugger:
    case QuilletCommand::kMenuDebugger:
      ShowDebugger();
      break;
    case QuilletCommand::kMenuSendLog:
      ShowSendLog();
      break;
    case QuilletCommand::kHelp:
    case QuilletCommand::kMenuHelp:
      ShowHelpPage();
      break;
    case QuilletCommand::kAbout:
    case QuilletCommand::kMenuAbout:
      ShowAbout();
      break;
    default:  // the edit commands go to the model, the other windows' to their own
      break;
  }
}

}  // namespace qm
