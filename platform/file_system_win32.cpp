// The Win32 file system: attribute-based stamps, shared reads, reachability, the wildcard
// test and delete; writes that replace the file in one step are in
// file_atomic_replace_win32.cpp, update locks that hold between machines in
// file_update_lock_win32.cpp.
#include "platform/file_system_win32.h"

#include <algorithm>
#include <optional>

#include "platform/file_system_shared_win32.h"
#include "platform/utf16_win32.h"

namespace qm {
namespace {

constexpr std::int64_t kEpochDelta100ns = 116444736000000000LL;  // 1601-01-01 to 1970-01-01

// How long a read keeps trying after an error that passes or a network hiccup.
constexpr ULONGLONG kReadRetryMs = 400;

bool PassesOnRead(DWORD error) {
  return IsTransient(error) || error == ERROR_NETNAME_DELETED || error == ERROR_UNEXP_NET_ERR ||
         error == ERROR_SEM_TIMEOUT || error == ERROR_NETWORK_BUSY;
}

// The errors of a path whose drive, share or folder is not there, as opposed to a file
// missing in a folder that is (ERROR_FILE_NOT_FOUND).
bool IsOutOfReach(DWORD error) {
  switch (error) {
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_NOT_READY:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_BAD_NET_RESP:
    case ERROR_NETNAME_DELETED:
    case ERROR_UNEXP_NET_ERR:
    case ERROR_REM_NOT_LIST:
    case ERROR_NETWORK_UNREACHABLE:
    case ERROR_HOST_UNREACHABLE:
    case ERROR_NO_NET_OR_BAD_PATH:
    case ERROR_NO_NETWORK:
    case ERROR_NOT_CONNECTED:
    case ERROR_SEM_TIMEOUT:
      return true;
    default:
      return false;
  }
}

FileReach ReachAfter(DWORD error) {
  if (IsOutOfReach(error)) return FileReach::kFolderUnreachable;
  // A name that can never be opened is as good as missing.
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_INVALID_NAME || error == ERROR_BAD_PATHNAME ||
      error == ERROR_FILENAME_EXCED_RANGE) {
    return FileReach::kMissing;
  }
  return FileReach::kUnreadable;
}

// One attempt at the whole file; `error` receives the reason of a failure.
std::optional<std::string> ReadOnce(const std::wstring& path, DWORD* error) {
  // Delete sharing lets a writer rename its new version over the file while we read.
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    *error = GetLastError();
    return std::nullopt;
  }
  std::string out;
  LARGE_INTEGER size;
  if (GetFileSizeEx(h, &size) && size.QuadPart > 0 && size.QuadPart < (1LL << 31)) {
    out.reserve(static_cast<std::size_t>(size.QuadPart));
  }
  char buf[65536];
  for (;;) {
    DWORD n = 0;
    if (!ReadFile(h, buf, sizeof buf, &n, nullptr)) {
      *error = GetLastError();
      CloseHandle(h);
      return std::nullopt;
    }
    if (n == 0) break;
    out.append(buf, n);
  }
  CloseHandle(h);
  return out;
}

}  // namespace

std::string Quoted(const std::string& path) {
  return "\"" + path + "\"";
}

std::wstring FullPath(const std::wstring& path) {
  DWORD size = MAX_PATH;
  for (int tries = 0; tries < 4; ++tries) {
    std::wstring buf(size, L'\0');
    const DWORD n = GetFullPathNameW(path.c_str(), size, buf.data(), nullptr);
    if (n == 0) return path;
    if (n < size) {
      buf.resize(n);
      return buf;
    }
    size = n + 1;
  }
  return path;
}

std::wstring FolderOf(const std::wstring& full) {
  const auto cut = full.find_last_of(L"\\/");
  return cut == std::wstring::npos ? std::wstring(L".") : full.substr(0, cut);
}

std::wstring NameOf(const std::wstring& full) {
  const auto cut = full.find_last_of(L"\\/");
  return cut == std::wstring::npos ? full : full.substr(cut + 1);
}

std::wstring FinalPath(const std::wstring& full) {
  HANDLE h = CreateFileW(full.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return full;
  std::wstring out(MAX_PATH, L'\0');
  DWORD n = GetFinalPathNameByHandleW(h, out.data(), static_cast<DWORD>(out.size()),
                                      FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (n >= out.size()) {
    out.resize(n + 1);
    n = GetFinalPathNameByHandleW(h, out.data(), static_cast<DWORD>(out.size()),
                                  FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  }
  CloseHandle(h);
  if (n == 0 || n >= out.size()) return full;
  out.resize(n);
  return out;
}

FileStamp StampOf(const std::wstring& path) {
  FileStamp s;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return s;
  }
  s.exists = true;
  s.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  s.modified_ns = FileTimeToUnixNs(data.ftLastWriteTime);
  // A file replaced by a rename is a new file with its own creation time (except where
  // tunnelling hands the old one on), so this catches replacements the write time misses.
  s.changed_ns = FileTimeToUnixNs(data.ftCreationTime);
  return s;
}

bool IsTransient(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ||
         error == ERROR_LOCK_VIOLATION || error == ERROR_UNABLE_TO_REMOVE_REPLACED ||
         error == ERROR_UNABLE_TO_MOVE_REPLACEMENT;
}

std::string SystemErrorText(DWORD code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
      return "Die Datei wurde nicht gefunden.";
    case ERROR_PATH_NOT_FOUND:
      return "Der Ordner wurde nicht gefunden.";
    case ERROR_ACCESS_DENIED:
      return "Zugriff verweigert.";
    case ERROR_SHARING_VIOLATION:
      return "Die Datei wird von einem anderen Programm verwendet.";
    case ERROR_LOCK_VIOLATION:
      return "Die Datei ist von einem anderen Programm gesperrt.";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return "Der Datenträger ist voll.";
    case ERROR_WRITE_PROTECT:
      return "Der Datenträger ist schreibgeschützt.";
    case ERROR_INVALID_NAME:
      return "Der Dateiname ist ungültig.";
    case ERROR_FILENAME_EXCED_RANGE:
      return "Der Dateiname ist zu lang.";
    default:
      break;
  }
  wchar_t* text = nullptr;
  const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                      FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK;
  DWORD n = FormatMessageW(flags, nullptr, code, MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN),
                           reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string out;
  if (n > 0 && text) {
    std::wstring w(text, n);
    while (!w.empty() && (w.back() == L' ' || w.back() == L'\r' || w.back() == L'\n')) {
      w.pop_back();
    }
    out = WideToUtf8(w);
  }
  if (text) LocalFree(text);
  const std::string number = "Systemfehler " + std::to_string(code);
  return out.empty() ? number + "." : out + " (" + number + ")";
}

std::int64_t FileTimeToUnixNs(const FILETIME& ft) {
  const std::int64_t t = static_cast<std::int64_t>(
      (static_cast<std::uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime);
  return (t - kEpochDelta100ns) * 100;
}

FILETIME UnixNsToFileTime(std::int64_t ns) {
  const auto t = static_cast<std::uint64_t>(ns / 100 + kEpochDelta100ns);
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(t & 0xFFFFFFFFu);
  ft.dwHighDateTime = static_cast<DWORD>(t >> 32);
  return ft;
}

bool RunsUnderWine() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

Win32FileSystem::Win32FileSystem(DWORD lock_quiet_ms, bool system_replace)
    : lock_quiet_ms_(lock_quiet_ms), system_replace_(system_replace) {}

FileStamp Win32FileSystem::Stat(const std::string& path) {
  if (path != stat_path_) {
    stat_wide_ = Utf8ToWide(path);
    stat_path_ = path;
  }
  return StampOf(stat_wide_);
}

std::optional<std::string> Win32FileSystem::ReadAll(const std::string& path) {
  const std::wstring wide = Utf8ToWide(path);
  const ULONGLONG start = GetTickCount64();
  for (DWORD pause = 10;; pause = std::min<DWORD>(pause * 2, 100)) {
    DWORD error = 0;
    if (std::optional<std::string> bytes = ReadOnce(wide, &error)) return bytes;
    if (!PassesOnRead(error) || GetTickCount64() - start + pause > kReadRetryMs) {
      return std::nullopt;
    }
    Sleep(pause);
  }
}

FileReach Win32FileSystem::Reach(const std::string& path) {
  const std::wstring wide = Utf8ToWide(path);
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data)) {
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return FileReach::kMissing;
    HANDLE h = CreateFileW(wide.c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      CloseHandle(h);
      return FileReach::kThere;
    }
  }
  return ReachAfter(GetLastError());
}

bool Win32FileSystem::AnyFileMatches(const std::string& pattern) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileExW(Utf8ToWide(pattern).c_str(), FindExInfoBasic, &data,
                                 FindExSearchNameMatch, nullptr, 0);
  if (find == INVALID_HANDLE_VALUE) return false;
  bool found = false;
  do {
    found = !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
  } while (!found && FindNextFileW(find, &data));
  FindClose(find);
  return found;
}

bool Win32FileSystem::Delete(const std::string& path) {
  const std::wstring wide = Utf8ToWide(path);
  SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileW(wide.c_str());
  if (GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES) return false;
  // Anything else (a file still pending deletion answers "access denied") is still there.
  const DWORD error = GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

std::int64_t Win32FileSystem::NowNs() {
  FILETIME ft;
  GetSystemTimePreciseAsFileTime(&ft);
  return FileTimeToUnixNs(ft);
}

}  // namespace qm
