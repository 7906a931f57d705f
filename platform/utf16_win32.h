// UTF-8 <-> UTF-16 at the Win32 boundary: our text is UTF-8, the W functions take wchar_t.
#pragma once

#include <string>
#include <string_view>

namespace qm {

// Malformed UTF-8 becomes U+FFFD; embedded NULs are kept.
std::wstring Utf8ToWide(std::string_view utf8);
// Lone surrogates become U+FFFD.
std::string WideToUtf8(std::wstring_view wide);

}  // namespace qm
