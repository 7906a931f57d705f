// UTF-8 <-> UTF-16 conversion for the Win32 calls.
#include "platform/utf16_win32.h"

#include "text/utf.h"

namespace qm {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wchar_t is a UTF-16 unit");

std::wstring Utf8ToWide(std::string_view utf8) {
  std::wstring out;
  out.reserve(utf8.size());
  // Decoded here rather than with Utf8ToUtf16, which stops at the first malformed byte:
  // a file name must not lose its tail.
  for (std::size_t pos = 0; pos < utf8.size();) AppendUtf16(out, NextCodePoint(utf8, pos));
  return out;
}

std::string WideToUtf8(std::wstring_view wide) {
  return Utf16ToUtf8(
      std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
}

}  // namespace qm
