// Where a program's start-up goes: the end of each phase, with the time since the process was
// created and the working set at that moment. Only where the environment variable
// QM_STARTUP_TRACE names a file (as the start-up benchmark does) is anything recorded; the
// lines go there, "phase;milliseconds;megabytes", once the start is over.
#pragma once

#include <string>
#include <vector>

namespace qm {

inline constexpr const wchar_t* kStartupTraceVariable = L"QM_STARTUP_TRACE";

class StartupTrace {
 public:
  StartupTrace();
  bool on() const { return !file_.empty(); }
  void Mark(const char* phase);
  // Writes what was marked, once.
  void Finish();

 private:
  struct Phase {
    const char* name;
    double ms;
    double mb;
  };
  std::wstring file_;
  std::vector<Phase> phases_;
};

}  // namespace qm
