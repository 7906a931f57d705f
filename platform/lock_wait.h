// Waiting for the update lock of a file that other programs, on this machine or on others,
// take in turn.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/file_system.h"

namespace qm {

enum class LockAttempt { kTaken, kBusy, kFailed };

struct LockWait {
  std::function<LockAttempt()> try_lock;
  // The locked file's stamp: while it changes, the holders of the lock are making progress.
  std::function<FileStamp()> stamp;
  std::function<std::int64_t()> now_ms;  // a steady clock
  std::function<void(int ms)> sleep;
  std::int64_t quiet_ms = 10000;
};

// Polls until the lock is taken or an attempt fails outright; a blocking wait would not wake
// up when a holder on another machine lets go. Gives up (kBusy) only after `quiet_ms`
// without the lock and without a change of the file: however long the queue of writers,
// each of them changes the file, so waiting never makes a write fail while others write.
LockAttempt WaitForLock(const LockWait& wait);

// Why a write did not happen when WaitForLock gave up.
Status BusyFileStatus(const std::string& path);

// Why a writer that may not write the lock file `lock_path` of `path` does not write: beside
// another such writer it would hold the lock at the same time, and one would lose the other's
// change.
Status ReadOnlyLockStatus(const std::string& path, const std::string& lock_path);

}  // namespace qm
