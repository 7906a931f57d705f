// The sender's guards of the target window: whether it may be typed into at all, its coming
// to the front, and the keys the user still holds.
#include <functional>
#include <string>
#include <vector>

#include "quillet/send/sender.h"
#include "quillet/send/sender_shared.h"

namespace qm {

Sender::Refusal Sender::Unfit(WindowHandle window) {
  if (window == 0 || !s_.desktop.Exists(window)) {
    return {"Das Zielfenster ist nicht mehr geöffnet.", ""};
  }
  const std::string target = TargetName(WindowTitle(s_.desktop, window));
  if (!s_.desktop.IsVisible(window)) {
    return {target + " ist nicht sichtbar und kann keine Eingaben empfangen.", ""};
  }
  switch (s_.desktop.WhyNeverTarget(window)) {
    case NeverTarget::kOwnProcess:
      return {target + " gehört zu Quillet selbst.", ""};
    case NeverTarget::kShell:
      return {target + " ist der Desktop oder die Taskleiste von Windows.", ""};
    case NeverTarget::kCloaked:
      return {target +
                  " ist von Windows verborgen (etwa auf einem anderen virtuellen "
                  "Desktop) und kann keine Eingaben empfangen.",
              ""};
    case NeverTarget::kNo:
      break;
  }
  switch (s_.processes.DeliveryTo(window)) {
    case KeyDelivery::kDropped:
      return {target +
                  " gehört zu einem Programm, das mit höheren Rechten läuft (als "
                  "Administrator). Windows verwirft Tastatureingaben an solche Programme ohne "
                  "jede Rückmeldung.",
              "Um in dieses Fenster zu schreiben, starten Sie Quillet ebenfalls als "
              "Administrator.",
              true};
    case KeyDelivery::kUnknown:
      return {target +
                  " gehört zu einem Programm, dessen Rechte Quillet nicht feststellen kann, "
                  "und so lässt sich nicht sagen, ob Tastatureingaben dort ankommen: Windows "
                  "verwirft sie ohne jede Rückmeldung, wenn es mit höheren Rechten läuft.",
              "Falls das Programm als Administrator läuft, starten Sie Quillet ebenfalls als "
              "Administrator.",
              true};
    case KeyDelivery::kDelivered:
      break;
  }
  return {};
}

void Sender::ReleaseUsersKeys() {
  std::vector<KeyEvent> held;
  for (const std::uint16_t vk : s_.keyboard.HeldModifiers()) {
    held.push_back({KeyEvent::Kind::kVirtualKey, vk, false});
  }
  if (!held.empty()) s_.keyboard.Send(ReleasingEvents(std::move(held)));
}

bool Sender::Patiently(int patience_ms, int retry_ms, const std::function<bool()>& done) {
  for (int waited = 0;; waited += retry_ms) {
    if (done()) return true;
    if (waited >= patience_ms) return false;
    s_.pace.Wait(retry_ms);
  }
}

bool Sender::ComeToFront(WindowHandle window) {
  // The system may hand over the foreground a moment late, or only at a second request, and
  // a minimised window restores itself in its own time.
  bool gone = false;
  const bool done = Patiently(kForegroundPatienceMs, kForegroundRetryMs, [&] {
    gone = !s_.desktop.Exists(window);
    // Being the foreground window is not enough: a minimised one may be, and takes no keys.
    return gone || s_.desktop.BringToFront(window);
  });
  return done && !gone;
}

bool Sender::MayTypeInto(WindowHandle window) {
  return Unfit(window).why.empty();
}

bool Sender::TellWhyNot(WindowHandle window) {
  const Refusal unfit = Unfit(window);
  if (!unfit.why.empty()) Refuse(unfit.why, unfit.advice, unfit.rights);
  return !unfit.why.empty();
}

void Sender::RestartAsAdministrator() {
  // Started, the new instance asks this one to end; declined at the system's prompt,
  // everything stays as it is.
  const RestartOutcome restart = restart_->RestartAsAdministrator(data_file_);
  if (restart.result != RestartResult::kFailed) return;
  std::string text = "Quillet konnte nicht als Administrator gestartet werden.";
  if (!restart.error.empty()) text += "\r\n\r\n" + restart.error;
  s_.dialogs.ShowMessage(text + "\r\n\r\nQuillet läuft ohne Administratorrechte weiter.",
                         app_title_, MessageIcon::kExclamation, MessageButtons::kOk);
}

}  // namespace qm
