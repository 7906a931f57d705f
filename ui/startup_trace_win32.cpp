// Where a program's start-up goes, for the start-up benchmark.
#include "ui/startup_trace_win32.h"

#include <windows.h>
#include <psapi.h>

#include <cstdio>

namespace qm {
namespace {

double Ms(const FILETIME& t) {
  return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) |
                             t.dwLowDateTime) /
         1e4;
}

}  // namespace

StartupTrace::StartupTrace() {
  wchar_t file[MAX_PATH];
  const DWORD n = GetEnvironmentVariableW(kStartupTraceVariable, file, MAX_PATH);
  if (n > 0 && n < MAX_PATH) file_.assign(file, n);
}

void StartupTrace::Mark(const char* phase) {
  if (!on()) return;
  FILETIME created{}, ended{}, kernel{}, user{}, now{};
  GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user);
  GetSystemTimePreciseAsFileTime(&now);
  // Kernel32's own (K32GetProcessMemoryInfo): the process status library would be one more
  // to load at start.
  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof memory;
  GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
  phases_.push_back({phase, Ms(now) - Ms(created),
                     static_cast<double>(memory.WorkingSetSize) / (1024.0 * 1024.0)});
}

void StartupTrace::Finish() {
  if (!on() || phases_.empty()) return;
  std::string text;
  char line[160];
  for (const Phase& p : phases_) {
    std::snprintf(line, sizeof line, "%s;%.1f;%.2f\n", p.name, p.ms, p.mb);
    text += line;
  }
  phases_.clear();
  HANDLE h = CreateFileW(file_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(h);
}

}  // namespace qm
