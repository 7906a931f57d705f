// The true Windows version (from ntdll, which no compatibility shim lowers) and our own path.
#include <windows.h>

#include "platform/os_win32.h"
#include "platform/utf16_win32.h"

namespace qm {
namespace {

class Win32SystemInfo : public SystemInfo {
 public:
  OsVersion Version() override {
    OsVersion v;
    RTL_OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    using RtlGetVersionFn = LONG(WINAPI*)(RTL_OSVERSIONINFOW*);
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    FARPROC proc = ntdll ? GetProcAddress(ntdll, "RtlGetVersion") : nullptr;
    bool ok = false;
    if (proc) {
      // Through void(*)() since GCC warns about casts between unrelated function types.
      auto fn = reinterpret_cast<RtlGetVersionFn>(reinterpret_cast<void (*)()>(proc));
      ok = fn(&info) == 0;
    }
    if (!ok) {
      // GetVersionExW is deprecated but still answers (possibly with a lowered version).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
      ok = GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info)) != 0;
#pragma GCC diagnostic pop
    }
    if (ok) {
      v.platform_id = info.dwPlatformId;
      v.major = info.dwMajorVersion;
      v.minor = info.dwMinorVersion;
      v.build = info.dwBuildNumber;
    }
    return v;
  }

  std::string ExecutablePath() override {
    // Paths may exceed MAX_PATH; a full buffer means the name was cut off.
    for (DWORD size = MAX_PATH; size <= 65536; size *= 2) {
      std::wstring buf(size, L'\0');
      const DWORD n = GetModuleFileNameW(nullptr, buf.data(), size);
      if (n == 0) return {};
      if (n < size) {
        buf.resize(n);
        return WideToUtf8(buf);
      }
    }
    return {};
  }
};

}  // namespace

std::unique_ptr<SystemInfo> MakeWin32SystemInfo() {
  return std::make_unique<Win32SystemInfo>();
}

}  // namespace qm
