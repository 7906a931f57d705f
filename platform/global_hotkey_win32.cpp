// The global hotkey through RegisterHotKey.
#include "platform/global_hotkey_win32.h"

namespace qm {
namespace {

class Win32GlobalHotkey : public GlobalHotkey {
 public:
  Win32GlobalHotkey(HWND window, int id) : window_(window), id_(id) {}
  ~Win32GlobalHotkey() override { Unregister(); }
  bool Register(unsigned modifiers, int key) override {
    Unregister();
    // Held down, the key would open the picker again and again.
    registered_ = RegisterHotKey(window_, id_, modifiers | MOD_NOREPEAT, static_cast<UINT>(key));
    return registered_;
  }
  void Unregister() override {
    if (registered_) UnregisterHotKey(window_, id_);
    registered_ = false;
  }

 private:
  HWND window_;
  int id_;
  bool registered_ = false;
};

}  // namespace

std::unique_ptr<GlobalHotkey> MakeWin32GlobalHotkey(HWND window, int id) {
  return std::make_unique<Win32GlobalHotkey>(window, id);
}

}  // namespace qm
