// The notification-area icons of one window.
#include "ui/tray_icon_win32.h"

#include <shellapi.h>

#include <cwchar>

#include "platform/utf16_win32.h"

namespace qm {
namespace {

NOTIFYICONDATAW IconData(HWND window, unsigned id) {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = window;
  data.uID = id;
  return data;
}

bool NotifyAdd(HWND window, unsigned id, HICON icon, const std::wstring& tip) {
  NOTIFYICONDATAW data = IconData(window, id);
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = kTrayMessage;
  data.hIcon = icon;
  wcsncpy(data.szTip, tip.c_str(), std::size(data.szTip) - 1);
  if (Shell_NotifyIconW(NIM_ADD, &data)) return true;
  // Already there (added before the shell noticed a restart): update it instead.
  return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

// `text` cut to `capacity` UTF-16 units: a surrogate pair is never split at the end.
std::wstring Fitted(const std::string& text, std::size_t capacity) {
  std::wstring wide = Utf8ToWide(text);
  if (wide.size() > capacity) {
    wide.resize(capacity);
    if (wide.back() >= 0xD800 && wide.back() <= 0xDBFF) wide.pop_back();
  }
  return wide;
}

// The tip as the icon holds it.
std::wstring WideTip(const std::string& tip) {
  return Fitted(TrayTip(tip), std::size(NOTIFYICONDATAW{}.szTip) - 1);
}

}  // namespace

TrayIcons::~TrayIcons() {
  RemoveAll();
}

bool TrayIcons::Add(unsigned id, HICON icon, const std::string& tip) {
  if (!window_ || !IsWindow(window_)) return false;
  Entry entry{icon, WideTip(tip)};
  // Remembered even when the shell is not there yet: it gets the icon when it starts.
  icons_[id] = entry;
  return NotifyAdd(window_, id, entry.icon, entry.tip);
}

bool TrayIcons::SetTip(unsigned id, const std::string& tip) {
  const auto it = icons_.find(id);
  if (!window_ || it == icons_.end()) return false;
  it->second.tip = WideTip(tip);
  NOTIFYICONDATAW data = IconData(window_, id);
  data.uFlags = NIF_TIP;
  wcsncpy(data.szTip, it->second.tip.c_str(), std::size(data.szTip) - 1);
  return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

bool TrayIcons::Notify(unsigned id, const std::string& title, const std::string& text,
                       bool warning) {
  if (!window_ || icons_.find(id) == icons_.end()) return false;
  NOTIFYICONDATAW data = IconData(window_, id);
  data.uFlags = NIF_INFO;
  data.dwInfoFlags = warning ? NIIF_WARNING : NIIF_INFO;
  const std::wstring wide_title = Fitted(title, std::size(data.szInfoTitle) - 1);
  const std::wstring wide_text = Fitted(text, std::size(data.szInfo) - 1);
  wcsncpy(data.szInfoTitle, wide_title.c_str(), std::size(data.szInfoTitle) - 1);
  wcsncpy(data.szInfo, wide_text.c_str(), std::size(data.szInfo) - 1);
  return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

void TrayIcons::Remove(unsigned id) {
  if (!window_) return;
  icons_.erase(id);
  NOTIFYICONDATAW data = IconData(window_, id);
  Shell_NotifyIconW(NIM_DELETE, &data);
}

void TrayIcons::RemoveAll() {
  while (!icons_.empty()) Remove(icons_.begin()->first);
}

void TrayIcons::AddAgain() {
  if (!window_) return;
  for (const auto& [id, entry] : icons_) NotifyAdd(window_, id, entry.icon, entry.tip);
}

}  // namespace qm
