// The user's clipboard as a test sets and reads it from outside the program.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

namespace qm::test {

// The user's last copy: a text and a format of the test's own, registered by name, and a
// picture when it has one.
inline constexpr const wchar_t* kOwnFormat = L"QmTestEigenesFormat";
inline void CopyTextAndOwnFormat(const std::wstring& text, const std::string& own,
                                 const std::string& picture = "") {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  const auto put = [](UINT format, const void* data, std::size_t bytes) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
    std::memcpy(GlobalLock(block), data, bytes);
    GlobalUnlock(block);
    SetClipboardData(format, block);
  };
  put(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  put(RegisterClipboardFormatW(kOwnFormat), own.data(), own.size());
  if (!picture.empty()) put(CF_DIB, picture.data(), picture.size());
  CloseClipboard();
}
// The clipboard's text and the test's own format.
inline std::pair<std::wstring, std::string> ClipboardTextAndOwnFormat() {
  std::pair<std::wstring, std::string> held;
  if (!OpenClipboard(nullptr)) return held;
  if (HANDLE text = GetClipboardData(CF_UNICODETEXT)) {
    held.first = static_cast<const wchar_t*>(GlobalLock(text));
    GlobalUnlock(text);
  }
  if (HANDLE own = GetClipboardData(RegisterClipboardFormatW(kOwnFormat))) {
    held.second.assign(static_cast<const char*>(GlobalLock(own)), GlobalSize(own));
    GlobalUnlock(own);
  }
  CloseClipboard();
  return held;
}

}  // namespace qm::test
