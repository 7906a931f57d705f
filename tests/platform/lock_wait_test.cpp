// Waiting for a lock: on while the file changes, given up only when nothing moves.
#include "platform/lock_wait.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

TEST(LockWaitTest, WaitsWhileOthersWriteAndGivesUpOnlyWhenNothingMoves) {
  constexpr int kForever = 1 << 30;
  const struct {
    const char* what;
    int busy_polls;    // before the lock comes free; -1: an attempt fails outright
    int change_every;  // polls between changes of the file; 0: it never changes
    LockAttempt expected;
  } cases[] = {
      {"free at once", 0, 0, LockAttempt::kTaken},
      {"a long queue of writers", 5000, 7, LockAttempt::kTaken},
      {"a holder that does nothing", kForever, 0, LockAttempt::kBusy},
      {"a lock that cannot be taken", -1, 0, LockAttempt::kFailed},
  };
  for (const auto& c : cases) {
    std::int64_t now = 0;
    int polls = 0;
    FileStamp stamp;
    LockWait wait;
    wait.try_lock = [&] {
      if (c.busy_polls < 0) return LockAttempt::kFailed;
      ++polls;
      if (c.change_every && polls % c.change_every == 0) ++stamp.size;
      return polls > c.busy_polls ? LockAttempt::kTaken : LockAttempt::kBusy;
    };
    wait.stamp = [&] { return stamp; };
    wait.now_ms = [&] { return now; };
    wait.sleep = [&](int ms) { now += ms; };
    wait.quiet_ms = 500;
    EXPECT_EQ(WaitForLock(wait), c.expected) << c.what;
    EXPECT_LT(now, c.expected == LockAttempt::kBusy ? 520 : 100000) << c.what;
  }
}

}  // namespace
}  // namespace qm
