// HKEY_CURRENT_USER string values through the W registry functions.
#include "platform/registry_win32.h"

#include "platform/utf16_win32.h"
#include "text/utf.h"

namespace qm {

std::optional<std::wstring> ReadUserString(const std::wstring& key, const std::wstring& name,
                                           LONG* error) {
  DWORD bytes = 0;
  LONG rc = RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr,
                         nullptr, &bytes);
  // The value may grow between the two calls.
  for (int tries = 0; rc == ERROR_SUCCESS && tries < 8; ++tries) {
    std::wstring buf(bytes / sizeof(wchar_t) + 1, L'\0');
    DWORD got = static_cast<DWORD>(buf.size() * sizeof(wchar_t));
    rc = RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr,
                      buf.data(), &got);
    if (rc == ERROR_SUCCESS) {
      buf.resize(got / sizeof(wchar_t));
      while (!buf.empty() && buf.back() == L'\0') buf.pop_back();
      if (error) *error = ERROR_SUCCESS;
      return buf;
    }
    if (rc == ERROR_MORE_DATA) {
      bytes = got;
      rc = ERROR_SUCCESS;
    }
  }
  if (error) *error = rc;
  return std::nullopt;
}

std::optional<std::string> ReadUserText(const std::wstring& key, const std::string& name) {
  auto value = ReadUserString(key, Utf8ToWide(name));
  if (!value) return std::nullopt;
  return WideToUtf8(*value);
}

bool StorableAsUserString(const std::string& value) {
  return value.find('\0') == std::string::npos && IsValidUtf8(value);
}

LONG WriteUserString(const std::wstring& key, const std::wstring& name, const std::wstring& value) {
  const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
  return RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name.c_str(), REG_SZ, value.c_str(),
                         bytes);
}

namespace {

class Win32Registry : public Registry {
 public:
  std::optional<std::string> ReadString(const std::string& key, const std::string& name) override {
    return ReadUserText(Utf8ToWide(key), name);
  }

  bool WriteString(const std::string& key, const std::string& name,
                   const std::string& value) override {
    // Refused rather than stored as something else.
    if (!StorableAsUserString(value)) return false;
    return WriteUserString(Utf8ToWide(key), Utf8ToWide(name), Utf8ToWide(value)) == ERROR_SUCCESS;
  }

  bool DeleteValue(const std::string& key, const std::string& name) override {
    const LONG rc =
        RegDeleteKeyValueW(HKEY_CURRENT_USER, Utf8ToWide(key).c_str(), Utf8ToWide(name).c_str());
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
  }
};

}  // namespace

std::unique_ptr<Registry> MakeWin32Registry() {
  return std::make_unique<Win32Registry>();
}

}  // namespace qm
