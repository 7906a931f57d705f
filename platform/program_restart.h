// Starting this program again with administrator rights, so that it can type into programs
// that run with them; the new instance takes over from this one.
#pragma once

#include <string>

namespace qm {

enum class RestartResult {
  kStarted,    // the new instance runs, and will ask this one to end
  kCancelled,  // the user declined the system's prompt: nothing changed
  kFailed,
};

struct RestartOutcome {
  RestartResult result = RestartResult::kFailed;
  std::string error;  // why it failed, as the system says it
};

class ProgramRestart {
 public:
  virtual ~ProgramRestart() = default;
  // False where this program runs with administrator rights already.
  virtual bool Available() = 0;
  // Starts the program's own executable as administrator with `data_file`.
  virtual RestartOutcome RestartAsAdministrator(const std::string& data_file) = 0;
};

}  // namespace qm
