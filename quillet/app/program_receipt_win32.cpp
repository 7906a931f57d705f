// Quillet.exe's receipt: each entry's send read back from the target, logged per user, and a
// snippet that arrived otherwise told from the icon at once.
#include "quillet/app/program_win32.h"

#include "quillet/receipt/control_reader_win32.h"
#include "quillet/receipt/log_place_win32.h"

namespace qm {

void QuilletProgram::StartReceipt() {
  control_reader_ = MakeWin32ControlReader();
  // Told from the icon, which takes nothing from the window the user works in; without an
  // icon (debug mode) in a message box.
  const auto tell = [this](const std::string& title, const std::string& text) {
    if (form_.tray().Notify(0, title, text)) return;
    dialogs_->ShowMessage(text, core_->caption(), MessageIcon::kExclamation, MessageButtons::kOk);
  };
  receipt_.emplace(ReceiptServices{
      *control_reader_, *desktop_, *processes_, *clock_, *pace_, *fs_, settings_,
      [] { return SendLogFile(); },
      tell, [tell](const std::string& text) { tell("Versandprotokoll", text); }});
  sender_->SetWatch(&*receipt_);
}

}  // namespace qm
