// Times one locked write into a 5,000-entry library with the update lock taken two ways, side
// by side: a named mutex, which holds only within one session, and the byte-range lock on the
// companion file, which holds between machines.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_support_win32.h"
#include "platform/file_system_win32.h"
#include "platform/os.h"
#include "platform/utf16_win32.h"
#include "store/ini_store.h"

namespace {

using namespace qm::bench;  // NOLINT: the timing helpers read best unqualified

// The file system with the former lock: a named mutex per file, named after its full path.
class MutexLockedFileSystem : public qm::Win32FileSystem {
 public:
  std::unique_ptr<qm::FileLock> LockForUpdate(const std::string& path, qm::Status* why) override {
    std::wstring full(MAX_PATH, L'\0');
    full.resize(GetFullPathNameW(qm::Utf8ToWide(path).c_str(), MAX_PATH, full.data(), nullptr));
    CharLowerBuffW(full.data(), static_cast<DWORD>(full.size()));
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (wchar_t ch : full) hash = (hash ^ static_cast<std::uint16_t>(ch)) * 1099511628211ull;
    const std::wstring name = L"Local\\QmBenchLock-" + std::to_wstring(hash);
    HANDLE mutex = CreateMutexW(nullptr, FALSE, name.c_str());
    const DWORD waited = mutex ? WaitForSingleObject(mutex, 10000) : WAIT_FAILED;
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
      if (mutex) CloseHandle(mutex);
      if (why) *why = qm::Status::Fail("no lock");
      return nullptr;
    }
    return std::make_unique<Held>(mutex);
  }

 private:
  class Held : public qm::FileLock {
   public:
    explicit Held(HANDLE mutex) : mutex_(mutex) {}
    ~Held() override {
      ReleaseMutex(mutex_);
      CloseHandle(mutex_);
    }

   private:
    HANDLE mutex_;
  };
};

struct Way {
  const char* name;
  std::unique_ptr<qm::FileSystem> fs;
  std::string path;
  std::vector<double> write_ms, lock_us;
};

}  // namespace

int main() {
  constexpr int kEntries = 5000, kRounds = 41;
  const std::wstring dir = MakeRunFolder(L"qm-lock-bench");
  auto ansi = qm::MakeOsAnsiCodePage();

  Way ways[2] = {{"named mutex (one session)", std::make_unique<MutexLockedFileSystem>(), "", {}, {}},
                 {"byte-range lock (all machines)", std::make_unique<qm::Win32FileSystem>(), "", {}, {}}};
  const std::string library = BuildFile(kEntries);
  for (int i = 0; i < 2; ++i) {
    // A library of its own for each, so that neither finds the other's write to read afresh.
    const std::wstring wpath = dir + L"\\Quillet" + std::to_wstring(i) + L".ini";
    ways[i].path = qm::WideToUtf8(wpath);
    if (!WriteDatedFile(wpath, library, 90)) {
      std::fprintf(stderr, "cannot write %s\n", ways[i].path.c_str());
      return 1;
    }
  }
  qm::IniStore stores[2] = {{*ways[0].fs, *ansi}, {*ways[1].fs, *ansi}};
  int exit_code = 0;
  for (int round = 0; round < kRounds; ++round) {
    // Taken in turns, so that a busy moment of the machine falls on both alike.
    for (int i = 0; i < 2; ++i) {
      Way& w = ways[(round + i) % 2];
      qm::IniStore& ini = stores[(round + i) % 2];
      double t = Seconds();
      const qm::Status st = ini.WriteIniValue("Name", "2500", "Neuer Name " + std::to_string(round), w.path);
      w.write_ms.push_back((Seconds() - t) * 1e3);
      if (!st) {
        std::fprintf(stderr, "write failed: %s\n", st.message.c_str());
        exit_code = 1;
      }
      t = Seconds();
      w.fs->LockForUpdate(w.path, nullptr).reset();
      w.lock_us.push_back((Seconds() - t) * 1e6);
    }
  }
  for (const Way& w : ways) {
    DeleteFileW(qm::Utf8ToWide(w.path).c_str());
    DeleteFileW(qm::Utf8ToWide(w.path + qm::kLockFileSuffix).c_str());
  }
  RemoveDirectoryW(dir.c_str());

  std::printf("One locked write (IniStore::WriteIniValue) into a %d-entry library, %zu bytes,\n"
              "median of %d, the two ways in turns:\n\n",
              kEntries, library.size(), kRounds);
  std::printf("%-32s  %10s  %16s\n", "update lock", "write ms", "lock alone us");
  for (const Way& w : ways) {
    std::printf("%-32s  %10.2f  %16.1f\n", w.name, Median(w.write_ms), Median(w.lock_us));
  }
  std::printf("\nwrite with the byte-range lock / with the named mutex: %.2fx (target: at most 1.2)\n",
              Median(ways[1].write_ms) / Median(ways[0].write_ms));
  return exit_code;
}
