// ANSI code pages as the system converts them, without best-fit substitutes.
#include <windows.h>

#include "platform/os_win32.h"
#include "platform/utf16_win32.h"
#include "text/utf.h"

namespace qm {
namespace {

class Win32CodePage : public CodePage {
 public:
  explicit Win32CodePage(unsigned id) : id_(id) {}

  unsigned Id() const override { return id_; }

  std::string ToUtf8(std::string_view ansi) const override {
    if (ansi.empty()) return {};
    const int len = static_cast<int>(ansi.size());
    const int n = MultiByteToWideChar(id_, 0, ansi.data(), len, nullptr, 0);
    if (n <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(id_, 0, ansi.data(), len, wide.data(), n);
    return WideToUtf8(wide);
  }

  bool FromUtf8(std::string_view utf8, std::string& ansi, char32_t* bad) const override {
    ansi.clear();
    if (!IsValidUtf8(utf8)) {
      if (bad) *bad = 0xFFFD;
      return false;
    }
    if (Convert(Utf8ToWide(utf8), ansi)) return true;
    // Find the culprit one character at a time; only a failing conversion pays for this.
    std::string ignored;
    for (std::size_t pos = 0; pos < utf8.size();) {
      const std::size_t start = pos;
      const char32_t cp = NextCodePoint(utf8, pos);
      if (!Convert(Utf8ToWide(utf8.substr(start, pos - start)), ignored)) {
        if (bad) *bad = cp;
        break;
      }
    }
    ansi.clear();
    return false;
  }

 private:
  // False when some character has no exact counterpart. Without WC_NO_BEST_FIT_CHARS the
  // system would write a look-alike ("a" for "à") and report success.
  bool Convert(const std::wstring& wide, std::string& out) const {
    out.clear();
    if (wide.empty()) return true;
    const int len = static_cast<int>(wide.size());
    BOOL used_default = FALSE;
    const int n = WideCharToMultiByte(id_, WC_NO_BEST_FIT_CHARS, wide.data(), len, nullptr, 0,
                                      nullptr, &used_default);
    if (n <= 0 || used_default) return false;
    out.resize(static_cast<std::size_t>(n));
    WideCharToMultiByte(id_, WC_NO_BEST_FIT_CHARS, wide.data(), len, out.data(), n, nullptr,
                        &used_default);
    return !used_default;
  }

  unsigned id_;
};

}  // namespace

std::unique_ptr<CodePage> MakeWin32CodePage(unsigned id) {
  return std::make_unique<Win32CodePage>(id);
}

}  // namespace qm
