// Records the restarts as administrator asked for, and answers as scripted.
#pragma once

#include <string>
#include <vector>

#include "platform/program_restart.h"

namespace qm {

class FakeProgramRestart : public ProgramRestart {
 public:
  bool Available() override { return available; }
  RestartOutcome RestartAsAdministrator(const std::string& data_file) override {
    requests.push_back(data_file);
    return outcome;
  }

  bool available = true;  // false: the program runs as administrator already
  RestartOutcome outcome{RestartResult::kStarted, {}};
  std::vector<std::string> requests;  // the data file of each
};

}  // namespace qm
