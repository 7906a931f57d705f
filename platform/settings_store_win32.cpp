// The settings store in the registry: HKEY_CURRENT_USER\Software\<maker>\<section>, one
// REG_SZ per key.
#include <windows.h>

#include "platform/file_system_win32.h"
#include "platform/os_win32.h"
#include "platform/registry_win32.h"
#include "platform/utf16_win32.h"

namespace qm {
namespace {

class RegistrySettingsStore : public SettingsStore {
 public:
  explicit RegistrySettingsStore(std::wstring root) : root_(std::move(root)) {}

  std::optional<std::string> Read(const std::string& section, const std::string& key) override {
    return ReadUserText(KeyPath(section), key);
  }

  Status Write(const std::string& section, const std::string& key,
               const std::string& value) override {
    if (!StorableAsUserString(value)) {
      return Status::Refuse("Die Einstellung \"" + key +
                            "\" enthält Zeichen, die nicht gespeichert werden können.");
    }
    const LONG rc = WriteUserString(KeyPath(section), Utf8ToWide(key), Utf8ToWide(value));
    if (rc != ERROR_SUCCESS) {
      return Status::Fail("Die Einstellung \"" + key + "\" kann nicht gespeichert werden: " +
                          SystemErrorText(static_cast<DWORD>(rc)));
    }
    return Status::Ok();
  }

 private:
  std::wstring KeyPath(const std::string& section) const {
    return root_ + L"\\" + Utf8ToWide(section);
  }

  std::wstring root_;
};

}  // namespace

std::wstring SettingsRootKey() {
  return L"Software\\" + Utf8ToWide(kMakerName);
}

std::unique_ptr<SettingsStore> MakeRegistrySettingsStore(std::wstring root) {
  return std::make_unique<RegistrySettingsStore>(std::move(root));
}

}  // namespace qm
