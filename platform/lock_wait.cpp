// Waiting for the update lock of a file that other programs, on this machine or on others,
// take in turn.
#include "platform/lock_wait.h"

#include <algorithm>

namespace qm {

LockAttempt WaitForLock(const LockWait& wait) {
  constexpr int kLongestPauseMs = 16;
  FileStamp seen = wait.stamp();
  std::int64_t deadline = wait.now_ms() + wait.quiet_ms;
  for (int pause = 1;; pause = std::min(2 * pause, kLongestPauseMs)) {
    const LockAttempt attempt = wait.try_lock();
    if (attempt != LockAttempt::kBusy) return attempt;
    const std::int64_t now = wait.now_ms();
    if (const FileStamp stamp = wait.stamp(); stamp != seen) {
      seen = stamp;
      deadline = now + wait.quiet_ms;
    } else if (now >= deadline) {
      return LockAttempt::kBusy;
    }
    wait.sleep(pause);
  }
}

Status BusyFileStatus(const std::string& path) {
  return Status::Fail("Die Datei \"" + path +
                      "\" wird gerade von einem anderen Programm geändert.");
}

Status ReadOnlyLockStatus(const std::string& path, const std::string& lock_path) {
  return Status::Fail("Die Datei \"" + path +
                      "\" kann nicht geändert werden: In ihre Sperrdatei \"" + lock_path +
                      "\" darf nicht geschrieben werden, und ohne die Sperre gingen gleichzeitige "
                      "Änderungen anderer verloren. Bitte geben Sie der Sperrdatei dieselben "
                      "Schreibrechte wie der Datei.");
}

}  // namespace qm
