// Small path, text, version and window helpers shared by both programs.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/code_page.h"
#include "platform/desktop.h"
#include "platform/file_system.h"
#include "platform/system_info.h"

namespace qm {

bool FileExists(FileSystem& fs, const std::string& path);
std::string AddBackslash(std::string_view text);
// The program's folder with a trailing separator, and the executable's full path ending in
// ".exe" (the program's base name plus ".exe", whatever the running file is called).
std::string AppDir(SystemInfo& sys);
std::string AppExePath(SystemInfo& sys);
std::string CutAtNul(std::string_view text);
// mode 1 picks a free name "base(n).ext" when the file exists; mode 0 replaces it. The text
// is written in the ANSI code page; false when a character does not fit or writing fails.
bool WriteTextFile(FileSystem& fs, const CodePage& ansi, const std::string& path,
                   std::string_view text, int mode);
// Ascending and stable; compare mode 0 compares binary, 1 without regard to letter case.
void SortStrings(std::vector<std::string>& items, int compare_mode);
void SetTopmost(Desktop& desktop, WindowHandle window, bool on);

bool IsWindowsNT(SystemInfo& sys);
std::uint32_t WindowsVersionNumber(SystemInfo& sys);
std::string WindowsVersionString(SystemInfo& sys);

void IncrementCounter(std::int32_t& n);
// Up to ten arguments; missing ones count as empty texts.
std::string SubstituteArgs(std::string_view tmpl, const std::vector<std::string>& args = {});
std::string FormatText(std::string_view tmpl, const std::vector<std::string>& args = {});
std::string ChooseText(std::int32_t index, const std::array<std::string_view, 10>& texts);
std::string IfText(std::string_view a, bool flag, std::string_view b);
std::string Enclose(std::string_view text, std::string_view opener);

// Version text of the program this is built into (see the file VERSION).
std::string AppVersionString(std::int32_t flags);
// The same for a given version, for tests and other programs.
std::string VersionString(std::int32_t flags, int major, int minor, int revision);

}  // namespace qm
