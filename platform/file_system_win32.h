// The Win32 file system behind the FileSystem seam.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/file_system.h"

namespace qm {

// A one-line German text for a Win32 error code, for messages to the user.
std::string SystemErrorText(DWORD code);

// 100-ns intervals since 1601 <-> nanoseconds since 1970.
std::int64_t FileTimeToUnixNs(const FILETIME& ft);
FILETIME UnixNsToFileTime(std::int64_t ns);

class Win32FileSystem : public FileSystem {
 public:
  // `lock_prefix` names the mutexes of LockForUpdate; every program that writes the same
  // files must use the same one.
  explicit Win32FileSystem(std::wstring lock_prefix = L"FerrandelIni",
                           DWORD lock_timeout_ms = 10000);

  FileStamp Stat(const std::string& path) override;
  std::optional<std::string> ReadAll(const std::string& path) override;
  FileReach Reach(const std::string& path) override;
  Status ReplaceAtomically(const std::string& path, const std::string& bytes) override;
  std::unique_ptr<FileLock> LockForUpdate(const std::string& path, Status* why) override;
  bool AnyFileMatches(const std::string& pattern) override;
  bool Delete(const std::string& path) override;
  std::int64_t NowNs() override;

  // The mutex name LockForUpdate uses for `path`.
  std::wstring LockName(const std::string& path) const;

 private:
  std::wstring lock_prefix_;
  DWORD lock_timeout_ms_;
  // Every read of a value stats its file; the conversion of the same path is kept.
  std::string stat_path_;
  std::wstring stat_wide_;
};

}  // namespace qm
