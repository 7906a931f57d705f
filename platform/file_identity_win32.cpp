// Whether two paths lead to one file, by the number the file system gives the file.
#include <cstring>
#include <optional>

#include "platform/file_system_win32.h"
#include "platform/utf16_win32.h"

namespace qm {
namespace {

// Opens the file a path leads to, through links, without asking for any access, so that
// neither a sharing mode nor the file's rights stand in the way; folders open too.
HANDLE OpenForIdentity(const std::string& path) {
  return CreateFileW(Utf8ToWide(path).c_str(), 0,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                     FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// The 128-bit number where the system has it (ReFS numbers files so), else the volume's
// serial number and the 64-bit file index; nullopt where neither can be had for both.
std::optional<bool> SameIdentity(HANDLE a, HANDLE b) {
  FILE_ID_INFO ia, ib;
  if (GetFileInformationByHandleEx(a, FileIdInfo, &ia, sizeof ia) &&
      GetFileInformationByHandleEx(b, FileIdInfo, &ib, sizeof ib)) {
    return ia.VolumeSerialNumber == ib.VolumeSerialNumber &&
           std::memcmp(&ia.FileId, &ib.FileId, sizeof ia.FileId) == 0;
  }
  BY_HANDLE_FILE_INFORMATION fa, fb;
  if (!GetFileInformationByHandle(a, &fa) || !GetFileInformationByHandle(b, &fb)) {
    return std::nullopt;
  }
  return fa.dwVolumeSerialNumber == fb.dwVolumeSerialNumber &&
         fa.nFileIndexHigh == fb.nFileIndexHigh && fa.nFileIndexLow == fb.nFileIndexLow;
}

std::wstring FullPathOf(const std::string& path) {
  const std::wstring wide = Utf8ToWide(path);
  const DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  std::wstring full(size, L'\0');
  const DWORD n = size ? GetFullPathNameW(wide.c_str(), size, full.data(), nullptr) : 0;
  if (n == 0 || n >= size) return wide;
  full.resize(n);
  return full;
}

}  // namespace

bool Win32FileSystem::SameFile(const std::string& a, const std::string& b) {
  const HANDLE ha = OpenForIdentity(a), hb = OpenForIdentity(b);
  std::optional<bool> same;
  if (ha != INVALID_HANDLE_VALUE && hb != INVALID_HANDLE_VALUE) same = SameIdentity(ha, hb);
  if (ha != INVALID_HANDLE_VALUE) CloseHandle(ha);
  if (hb != INVALID_HANDLE_VALUE) CloseHandle(hb);
  if (same) return *same;
  // One of them is not there (yet), or cannot be opened: the paths themselves decide, as
  // the file system compares names.
  const std::wstring fa = FullPathOf(a), fb = FullPathOf(b);
  return CompareStringOrdinal(fa.c_str(), static_cast<int>(fa.size()), fb.c_str(),
                              static_cast<int>(fb.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace qm
