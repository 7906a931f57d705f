// The per-user settings file on POSIX systems keeps every value exactly as saved.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/os.h"
#include "store/user_settings.h"

namespace qm {
namespace {

TEST(PosixSettingsStore, KeepsValuesExactlyPerProgram) {
  const auto dir =
      std::filesystem::temp_directory_path() / ("qm-config-" + std::to_string(getpid()));
  std::filesystem::remove_all(dir);
  const char* old = std::getenv("XDG_CONFIG_HOME");
  const std::string saved = old ? old : "";
  setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
  {
    auto store = MakeOsSettingsStore();
    UserSettings quillet(*store, "Quillet"), mantello(*store, "Mantello");
    const std::string values[] = {"C:\\Daten\\Quillet.ini",
                                  "  blanks  ",
                                  "\"quoted\"",
                                  "'x'",
                                  "Gr\xC3\xBC\xC3\x9F"
                                  "e \xF0\x9F\x98\x80",
                                  ""};
    for (const std::string& v : values) {
      ASSERT_TRUE(quillet.SaveUserSetting("path", v));
      EXPECT_EQ(quillet.ReadUserSetting("path", "dflt"), v);
    }
    EXPECT_EQ(mantello.ReadUserSetting("path", "dflt"), "dflt");
    EXPECT_EQ(quillet.ReadUserSetting("_Top", "100"), "100");
    EXPECT_TRUE(std::filesystem::exists(dir / "Ferrandel Software" / "settings.ini"));
  }
  if (old)
    setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
  else
    unsetenv("XDG_CONFIG_HOME");
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace qm
