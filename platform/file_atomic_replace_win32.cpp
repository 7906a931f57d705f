// The Win32 file system's atomic replace: a new version written beside the file, flushed, and
// put in the old one's place by the system's replace or a rename.
#include <algorithm>
#include <atomic>
#include <cwchar>

#include "platform/file_system_shared_win32.h"
#include "platform/file_system_win32.h"
#include "platform/utf16_win32.h"

namespace qm {
namespace {

// A file system (or a server) that has no replace of its own; the rename then serves.
bool RefusesReplace(DWORD error) {
  return error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_FUNCTION ||
         error == ERROR_INVALID_PARAMETER || error == ERROR_CALL_NOT_IMPLEMENTED;
}

}  // namespace

Status Win32FileSystem::ReplaceAtomically(const std::string& path, const std::string& bytes) {
  const std::wstring target = FinalPath(FullPath(Utf8ToWide(path)));
  WIN32_FILE_ATTRIBUTE_DATA old;
  const bool existed = GetFileAttributesExW(target.c_str(), GetFileExInfoStandard, &old) != 0;
  if (existed && (old.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return Status::Fail("\"" + path + "\" ist ein Ordner, keine Datei.");
  }
  if (existed && (old.dwFileAttributes & FILE_ATTRIBUTE_READONLY)) {
    return Status::Fail("Die Datei " + Quoted(path) + " ist schreibgeschützt.");
  }
  // The new version keeps the old one's hidden and system marks, also where the rename
  // has to serve instead of the replace.
  const DWORD keep = existed
                         ? (old.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                                    FILE_ATTRIBUTE_NOT_CONTENT_INDEXED))
                         : 0;

  static std::atomic<unsigned> counter{0};
  const std::wstring folder = FolderOf(target);
  std::wstring tmp;
  HANDLE h = INVALID_HANDLE_VALUE;
  DWORD error = 0;
  for (int attempt = 0; attempt < 100 && h == INVALID_HANDLE_VALUE; ++attempt) {
    wchar_t suffix[64];
    std::swprintf(suffix, 64, L".%lx-%x-%x.tmp", GetCurrentProcessId(), counter.fetch_add(1),
                  GetTickCount());
    tmp = folder + L"\\~" + NameOf(target) + suffix;
    h = CreateFileW(tmp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                    FILE_ATTRIBUTE_ARCHIVE | keep, nullptr);
    error = h == INVALID_HANDLE_VALUE ? GetLastError() : 0;
    if (error != 0 && error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
  }
  if (h == INVALID_HANDLE_VALUE) {
    return Status::Fail("Die Datei " + Quoted(path) +
                        " kann nicht geschrieben werden: " + SystemErrorText(error));
  }
  auto fail = [&](const std::string& what, DWORD code) {
    CloseHandle(h);
    DeleteFileW(tmp.c_str());
    return Status::Fail("Die Datei " + Quoted(path) + what + SystemErrorText(code));
  };
  for (std::size_t done = 0; done < bytes.size();) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
    DWORD n = 0;
    if (!WriteFile(h, bytes.data() + done, chunk, &n, nullptr) || n == 0) {
      return fail(" kann nicht geschrieben werden: ", GetLastError());
    }
    done += n;
  }
  // Readers that cache by write time must see each version as new, even when two writes
  // fall into one tick of the file system's clock.
  std::int64_t stamp = NowNs();
  if (existed) {
    const std::int64_t before = FileTimeToUnixNs(old.ftLastWriteTime);
    if (stamp <= before && before - stamp < 1'000'000'000) stamp = before + 100;
  }
  const FILETIME ft = UnixNsToFileTime(stamp);
  SetFileTime(h, nullptr, nullptr, &ft);
  if (!FlushFileBuffers(h)) return fail(" kann nicht gesichert werden: ", GetLastError());
  CloseHandle(h);

  // The replace keeps what makes the old file that file (its ACL, owner, attributes and
  // streams), which a rename would lose; the rename serves where there is no old file yet
  // or the file system has no replace.
  bool replace = existed && system_replace_;
  for (int attempt = 0;; ++attempt) {
    if (replace) {
      if (ReplaceFileW(target.c_str(), tmp.c_str(), nullptr, 0, nullptr, nullptr)) {
        return Status::Ok();
      }
      error = GetLastError();
      // The old file is gone (deleted meanwhile, or by a replace that failed half-way).
      if (RefusesReplace(error) || error == ERROR_FILE_NOT_FOUND ||
          GetFileAttributesW(target.c_str()) == INVALID_FILE_ATTRIBUTES) {
        replace = false;
        continue;
      }
    } else if (MoveFileExW(tmp.c_str(), target.c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      return Status::Ok();
    } else {
      error = GetLastError();
    }
    if (!IsTransient(error) || attempt >= 10) break;
    // A read-only mark set meanwhile is no passing obstacle.
    const DWORD now_attrs = GetFileAttributesW(target.c_str());
    if (now_attrs != INVALID_FILE_ATTRIBUTES && (now_attrs & FILE_ATTRIBUTE_READONLY)) break;
    Sleep(10 + 10 * attempt);
  }
  if (existed && GetFileAttributesW(target.c_str()) == INVALID_FILE_ATTRIBUTES) {
    // The old file went with a replace that failed half-way: the new version is all there
    // is of it now, and stays for the user.
    return Status::Fail("Die Datei " + Quoted(path) + " kann nicht ersetzt werden: " +
                        SystemErrorText(error) + " Der neue Inhalt liegt in " +
                        Quoted(WideToUtf8(tmp)) + ".");
  }
  DeleteFileW(tmp.c_str());
  return Status::Fail("Die Datei " + Quoted(path) +
                      " kann nicht ersetzt werden: " + SystemErrorText(error));
}

}  // namespace qm
