// The per-user settings on Linux and other POSIX systems: a data file in the user's
// configuration folder, in UTF-8 so that it holds any character.
#include <sys/stat.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "platform/os.h"
#include "platform/portable_code_pages.h"
#include "store/ini_store.h"

namespace qm {
namespace {

// Values are written in double quotes, so that blanks and quotes at their ends survive.
class FileSettingsStore : public SettingsStore {
 public:
  FileSettingsStore() : fs_(MakeOsFileSystem()), store_(*fs_, utf8_, IniStore::Files::kOwn) {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    std::string base = config && *config ? config : std::string(home ? home : ".") + "/.config";
    mkdir(base.c_str(), 0700);
    base += "/";
    base += kMakerName;
    mkdir(base.c_str(), 0700);
    path_ = base + "/settings.ini";
  }

  std::optional<std::string> Read(const std::string& section, const std::string& key) override {
    return store_.Find(section, key, path_);
  }

  Status Write(const std::string& section, const std::string& key,
               const std::string& value) override {
    return store_.WriteIniValue(section, key, "\"" + value + "\"", path_);
  }

 private:
  std::unique_ptr<FileSystem> fs_;
  Utf8CodePage utf8_;
  IniStore store_;
  std::string path_;
};

}  // namespace

std::unique_ptr<SettingsStore> MakeOsSettingsStore() {
  return std::make_unique<FileSettingsStore>();
}

}  // namespace qm
