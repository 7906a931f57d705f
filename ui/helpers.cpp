// Small path, text, version and window helpers shared by both programs.
#include "ui/helpers.h"

#include <algorithm>
#include <limits>

#include "store/stored_text.h"
#include "text/numbers.h"
#include "text/utf.h"
#include "ui/app_version.h"

namespace qm {
namespace {

std::size_t LastSeparator(std::string_view path) {
  return path.find_last_of("\\/");
}

// Free name for mode 1: "base(n).ext", where the extension is what follows the last dot of
// the file name itself.
std::string FreeName(FileSystem& fs, const std::string& path) {
  const std::size_t sep = LastSeparator(path);
  const std::size_t name_start = sep == std::string::npos ? 0 : sep + 1;
  std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot < name_start) dot = path.size();
  const std::string base = path.substr(0, dot);
  const std::string ext = path.substr(dot);
  for (std::uint64_t n = 1;; ++n) {
    std::string candidate = base + "(" + std::to_string(n) + ")" + ext;
    if (!FileExists(fs, candidate)) return candidate;
  }
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

std::string CutAtNul(std::string_view text) {
  return std::string(text.substr(0, text.find('\0')));
}

bool WriteTextFile(FileSystem& fs, const CodePage& ansi, const std::string& path,
                   std::string_view text, int mode) {
  // Converting first means a character that does not fit never costs the old file.
  std::string bytes;
  if (!ansi.FromUtf8(text, bytes, nullptr)) return false;
  const std::string target = (mode == 1 && FileExists(fs, path)) ? FreeName(fs, path) : path;
  if (fs.ReplaceAtomically(target, bytes)) return true;
  // A read-only file refuses the replacement; it is overwritten all the same, at the price
  // of a moment without the file. Should the second write fail too, the old content goes
  // back rather than being lost.
  if (!FileExists(fs, target)) return false;
  const std::optional<std::string> old = fs.ReadAll(target);
  if (!old || !fs.Delete(target)) return false;
  if (fs.ReplaceAtomically(target, bytes)) return true;
  fs.ReplaceAtomically(target, *old);
  return false;
}

void SortStrings(std::vector<std::string>& items, int compare_mode) {
  if (compare_mode != 1) {
    std::stable_sort(items.begin(), items.end());
    return;
  }
  std::vector<std::pair<std::string, std::string>> keyed;
  keyed.reserve(items.size());
  for (auto& item : items) keyed.emplace_back(FoldCase(item), std::move(item));
  std::stable_sort(keyed.begin(), keyed.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  for (std::size_t i = 0; i < items.size(); ++i) items[i] = std::move(keyed[i].second);
}

void SetTopmost(Desktop& desktop, WindowHandle window, bool on) {
  desktop.SetTopmost(window, on);
}

bool IsWindowsNT(SystemInfo& sys) {
  return sys.Version().platform_id == 2;
}

std::uint32_t WindowsVersionNumber(SystemInfo& sys) {
  const OsVersion v = sys.Version();
  // The 95 family already packs major and minor into the high word of its build number.
  if (v.platform_id == 1) return v.build;
  return (v.major << 24) | ((v.minor & 0xFF) << 16) | (v.build & 0xFFFF);
}

std::string WindowsVersionString(SystemInfo& sys) {
  const std::uint32_t n = WindowsVersionNumber(sys);
  return std::to_string(n >> 24) + "." + std::to_string((n >> 16) & 0xFF) + "." +
         std::to_string(n & 0xFFFF);
}

// Saturates: a counter stuck at its maximum is less surprising than one turned negative.
void IncrementCounter(std::int32_t& n) {
  if (n < std::numeric_limits<std::int32_t>::max()) ++n;
}

// One pass, so that an argument holding "%2" is inserted as it is. "%10" reads as "%1" and
// "0", so at most nine arguments are reachable.
std::string SubstituteArgs(std::string_view tmpl, const std::vector<std::string>& args) {
  std::string out;
  out.reserve(tmpl.size());
  for (std::size_t i = 0; i < tmpl.size(); ++i) {
    if (tmpl[i] == '%' && i + 1 < tmpl.size() && tmpl[i + 1] >= '1' && tmpl[i + 1] <= '9') {
      const std::size_t n = static_cast<std::size_t>(tmpl[i + 1] - '1');
      if (n < args.size()) out += args[n];
      ++i;
    } else {
      out += tmpl[i];
    }
  }
  return out;
}

// Only the template's own text is unescaped: an argument such as a path keeps its
// backslashes.
std::string FormatText(std::string_view tmpl, const std::vector<std::string>& args) {
  std::string out;
  std::size_t literal_start = 0;
  for (std::size_t i = 0; i < tmpl.size(); ++i) {
    if (tmpl[i] == '%' && i + 1 < tmpl.size() && tmpl[i + 1] >= '1' && tmpl[i + 1] <= '9') {
      out += UnescapeStoredText(tmpl.substr(literal_start, i - literal_start));
      const std::size_t n = static_cast<std::size_t>(tmpl[i + 1] - '1');
      if (n < args.size()) out += args[n];
      ++i;
      literal_start = i + 1;
    }
  }
  out += UnescapeStoredText(tmpl.substr(literal_start));
  return out;
}

std::string ChooseText(std::int32_t index, const std::array<std::string_view, 10>& texts) {
  if (index < 0 || index >= static_cast<std::int32_t>(texts.size())) return {};
  return std::string(texts[static_cast<std::size_t>(index)]);
}

std::string IfText(std::string_view a, bool flag, std::string_view b) {
  return std::string(flag ? a : b);
}

std::string Enclose(std::string_view text, std::string_view opener) {
  std::string_view closer = opener;
  if (opener == "(") closer = ")";
  if (opener == "[") closer = "]";
  if (opener == "{") closer = "}";
  if (opener == "<") closer = ">";
  std::string out(opener);
  out += text;
  out += closer;
  return out;
}

std::string AppVersionString(std::int32_t flags) {
  return VersionString(flags, QM_VERSION_MAJOR, QM_VERSION_MINOR, QM_VERSION_REVISION);
}

std::string VersionString(std::int32_t flags, int major, int minor, int revision) {
  std::string suffix;
  if (flags & 0x100) {
    if (revision > 99) {
      const int letter = 96 + static_cast<int>(RoundHalfEven(revision / 100.0));
      // Past "z" there is no letter left; the number says it instead.
      suffix = letter <= 'z' ? std::string(1, static_cast<char>(letter))
                             : "." + std::to_string(revision);
    }
  } else {
    suffix = "." + std::to_string(revision);
  }
  const std::string core = std::to_string(major) + "." + std::to_string(minor) + suffix;
  switch (flags & 0xFF) {
    case 0:
      return " (V" + core + ")";
    case 1:
      return core;
    default:
      return {};
  }
}

}  // namespace qm
