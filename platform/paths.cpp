// File and path helpers: whether a file exists, folder names, the program's own place.
#include "platform/paths.h"

namespace qm {
namespace {

std::size_t LastSeparator(std::string_view path) {
  return path.find_last_of("\\/");
}

}  // namespace

bool FileExists(FileSystem& fs, const std::string& path) {
  return !path.empty() && fs.AnyFileMatches(path);
}

std::string AddBackslash(std::string_view text) {
  std::string out(text);
  if (out.empty() || out.back() != '\\') out += '\\';
  return out;
}

std::string AppDir(SystemInfo& sys) {
  const std::string exe = sys.ExecutablePath();
  const std::size_t sep = LastSeparator(exe);
  // A bare file name has no folder part; the empty text then leaves names relative.
  return sep == std::string::npos ? std::string() : exe.substr(0, sep + 1);
}

std::string AppExePath(SystemInfo& sys) {
  const std::string exe = sys.ExecutablePath();
  const std::size_t sep = LastSeparator(exe);
  std::string name = exe.substr(sep == std::string::npos ? 0 : sep + 1);
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.erase(dot);
  return AppDir(sys) + name + ".exe";
}

}  // namespace qm
