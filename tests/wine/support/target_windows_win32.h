// Windows of another application for a program to type into: top-level windows with titles of
// the test's choosing, run by a thread of their own so that they take input while the test
// waits, and recording the keys that reach them.
#pragma once

#include <windows.h>
#include <richedit.h>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/utf16_win32.h"

namespace qm::test {

struct ReceivedMessage {
  UINT message;
  WPARAM wparam;
  LPARAM lparam;
};

class TargetWindows {
 public:
  struct Options {
    bool visible = true;
    // Without an edit, the frame itself has the focus and records every key.
    bool edit = true;
    // Each typed character costs the edit this long, as in a slow application.
    DWORD ms_per_char = 0;
    // The key E pastes the clipboard's text, as the paste command of a console's system menu.
    bool pastes = false;
    // Shift+Insert pastes the clipboard's text, as in a terminal.
    bool pastes_on_shift_insert = false;
    // A window class of its own, as a terminal program's; the usual one when null.
    const wchar_t* window_class = nullptr;
    // A one-line password field (ES_PASSWORD) above the edit, as in a sign-in window.
    bool password_field = false;
    // The edit loses each of this character typed, as a target that drops input does.
    wchar_t loses = 0;
    // The edit is a rich-text control, as a word processor's or mail program's.
    bool rich = false;
  };

  TargetWindows() {
    thread_ = std::thread([this] { Run(); });
    std::unique_lock<std::mutex> lock(mutex_);
    ready_.wait(lock, [this] { return control_ != nullptr; });
  }
  ~TargetWindows() {
    PostMessageW(control_, WM_CLOSE, 0, 0);
    thread_.join();
  }
  TargetWindows(const TargetWindows&) = delete;
  TargetWindows& operator=(const TargetWindows&) = delete;

  HWND Create(const std::wstring& title, Options options) {
    HWND frame = nullptr;
    OnThread([&] {
      auto target = std::make_unique<Target>();
      target->ms_per_char = options.ms_per_char;
      target->loses = options.loses;
      target->pastes = options.pastes;
      target->pastes_on_shift_insert = options.pastes_on_shift_insert;
      if (options.window_class) RegisterFrameClass(options.window_class);
      frame = CreateWindowExW(0, options.window_class ? options.window_class : kFrameClass,
                              title.c_str(),
                              WS_OVERLAPPEDWINDOW | (options.visible ? WS_VISIBLE : 0),
                              100 + 30 * static_cast<int>(targets_.size()),
                              100 + 30 * static_cast<int>(targets_.size()), 400, 300, nullptr,
                              nullptr, GetModuleHandleW(nullptr), target.get());
      target->frame = frame;
      const int top = options.password_field ? 30 : 0;
      if (options.password_field) {
        target->password = CreateWindowExW(
            WS_EX_CLIENTEDGE, L"Edit", L"", WS_CHILD | WS_VISIBLE | ES_PASSWORD | ES_AUTOHSCROLL, 0,
            0, 380, 24, frame, nullptr, GetModuleHandleW(nullptr), nullptr);
      }
      if (options.edit) {
        if (options.rich) LoadLibraryW(L"riched20.dll");
        target->edit = CreateWindowExW(
            WS_EX_CLIENTEDGE, options.rich ? L"RichEdit20W" : L"Edit", L"",
            WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL, 0, top, 380,
            250 - top, frame, nullptr, GetModuleHandleW(nullptr), nullptr);
        // A regular font, as a word processor has; the system's bold one would mark all bold.
        SendMessageW(target->edit, WM_SETFONT,
                     reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
        SetWindowLongPtrW(target->edit, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(target.get()));
        target->edit_proc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
            target->edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&EditProc)));
      }
      targets_.push_back(std::move(target));
    });
    return frame;
  }
  HWND Create(const std::wstring& title) { return Create(title, Options{}); }

  // Closes the window as its user would.
  void Close(HWND frame) {
    OnThread([&] { DestroyWindow(frame); });
  }

  // Brings the window to the front, as a click on it would; false when it did not come.
  bool Activate(HWND frame) {
    OnThread([&] { SetForegroundWindow(frame); });
    const DWORD start = GetTickCount();
    while (GetForegroundWindow() != frame) {
      if (GetTickCount() - start > 5000) return false;
      Sleep(20);
    }
    return true;
  }

  // Keeps the windows' thread busy for `ms`, as a program that has stopped responding; returns
  // at once.
  void Freeze(DWORD ms) { PostMessageW(control_, kFreeze, ms, 0); }

  // What was typed into the window's edit.
  std::wstring Typed(HWND frame) {
    std::wstring text;
    OnThread([&] {
      if (Target* t = Of(frame); t && t->edit) {
        text.resize(GetWindowTextLengthW(t->edit) + 1);
        text.resize(GetWindowTextW(t->edit, text.data(), static_cast<int>(text.size())));
      }
    });
    return text;
  }

  // The character effects (CFE_BOLD, CFE_ITALIC, CFE_UNDERLINE, CFE_LINK) of the rich edit's
  // character at `pos`.
  DWORD EffectsAt(HWND frame, int pos) {
    DWORD effects = 0;
    OnThread([&] {
      if (Target* t = Of(frame); t && t->edit) {
        SendMessageW(t->edit, EM_SETSEL, pos, pos + 1);
        CHARFORMAT2W format{};
        format.cbSize = sizeof format;
        SendMessageW(t->edit, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
        effects = format.dwEffects;
      }
    });
    return effects;
  }

  // The password field, and what was typed into it.
  HWND PasswordField(HWND frame) {
    HWND field = nullptr;
    OnThread([&] {
      if (Target* t = Of(frame)) field = t->password;
    });
    return field;
  }
  std::wstring TypedPassword(HWND frame) {
    std::wstring text;
    OnThread([&] {
      if (Target* t = Of(frame); t && t->password) {
        text.resize(GetWindowTextLengthW(t->password) + 1);
        text.resize(GetWindowTextW(t->password, text.data(), static_cast<int>(text.size())));
      }
    });
    return text;
  }

  // What the paste key pasted from the clipboard.
  std::wstring Pasted(HWND frame) {
    std::wstring pasted;
    OnThread([&] {
      if (Target* t = Of(frame)) pasted = t->pasted;
    });
    return pasted;
  }

  // The key and system-command messages the frame itself received, in order.
  std::vector<ReceivedMessage> Received(HWND frame) {
    std::vector<ReceivedMessage> received;
    OnThread([&] {
      if (Target* t = Of(frame)) received = t->received;
    });
    return received;
  }

 private:
  static constexpr const wchar_t* kFrameClass = L"QmTestTargetFrame";
  static constexpr UINT kRun = WM_APP + 1;
  static constexpr UINT kFreeze = WM_APP + 2;

  struct Target {
    HWND frame = nullptr;
    HWND edit = nullptr;
    HWND password = nullptr;
    WNDPROC edit_proc = nullptr;
    DWORD ms_per_char = 0;
    wchar_t loses = 0;
    bool pastes = false;
    bool pastes_on_shift_insert = false;
    std::wstring pasted;
    std::vector<ReceivedMessage> received;
  };

  static void Paste(Target& t, HWND frame) {
    if (!OpenClipboard(frame)) return;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
      if (const auto* text = static_cast<const wchar_t*>(GlobalLock(data))) {
        t.pasted += text;
        GlobalUnlock(data);
      }
    }
    CloseClipboard();
  }

  // Runs `f` on the windows' thread and waits for it.
  void OnThread(const std::function<void()>& f) {
    SendMessageW(control_, kRun, 0, reinterpret_cast<LPARAM>(&f));
  }

  static Target* Of(HWND w) {
    return reinterpret_cast<Target*>(GetWindowLongPtrW(w, GWLP_USERDATA));
  }

  static LRESULT CALLBACK FrameProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
      SetWindowLongPtrW(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(
                                              reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
    }
    Target* t = Of(w);
    switch (msg) {
      case WM_SETFOCUS:
        if (t && t->edit) SetFocus(t->edit);
        return 0;
      case WM_KEYDOWN:
        if (t && t->pastes && wp == 'E') Paste(*t, w);
        if (t && t->pastes_on_shift_insert && wp == VK_INSERT && GetKeyState(VK_SHIFT) < 0) {
          Paste(*t, w);
        }
        if (t) t->received.push_back({msg, wp, lp});
        break;
      case WM_KEYUP:
      case WM_SYSKEYDOWN:
      case WM_SYSKEYUP:
      case WM_CHAR:
      case WM_SYSCHAR:
        if (t) t->received.push_back({msg, wp, lp});
        break;
      case WM_SYSCOMMAND:
        if (t) t->received.push_back({msg, wp, lp});
        // The system menu would hold this thread in its loop; the keys that follow then
        // reach the frame, where they are recorded.
        if ((wp & 0xFFF0) == SC_KEYMENU) return 0;
        break;
      default:
        break;
    }
    return DefWindowProcW(w, msg, wp, lp);
  }

  static LRESULT CALLBACK EditProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    Target* t = Of(w);
    if (msg == WM_CHAR && t->ms_per_char) Sleep(t->ms_per_char);
    if (msg == WM_CHAR && t->loses && wp == t->loses) return 0;
    return CallWindowProcW(t->edit_proc, w, msg, wp, lp);
  }

  static LRESULT CALLBACK ControlProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kRun) {
      (*reinterpret_cast<const std::function<void()>*>(lp))();
      return 0;
    }
    if (msg == kFreeze) {
      Sleep(static_cast<DWORD>(wp));
      return 0;
    }
    if (msg == WM_CLOSE) {
      DestroyWindow(w);
      PostQuitMessage(0);
      return 0;
    }
    return DefWindowProcW(w, msg, wp, lp);
  }

  static void RegisterFrameClass(const wchar_t* name) {
    WNDCLASSW frame{};
    frame.lpfnWndProc = &FrameProc;
    frame.hInstance = GetModuleHandleW(nullptr);
    frame.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    frame.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    frame.lpszClassName = name;
    RegisterClassW(&frame);  // a second instance finds it registered
  }

  void Run() {
    RegisterFrameClass(kFrameClass);
    WNDCLASSW control{};
    control.lpfnWndProc = &ControlProc;
    control.hInstance = GetModuleHandleW(nullptr);
    control.lpszClassName = L"QmTestTargetControl";
    RegisterClassW(&control);
    HWND c = CreateWindowExW(0, control.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                             nullptr, GetModuleHandleW(nullptr), nullptr);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      control_ = c;
    }
    ready_.notify_all();
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    // Closed here, while their records still exist for the messages of their closing.
    for (auto& t : targets_) {
      if (IsWindow(t->frame)) DestroyWindow(t->frame);
    }
    targets_.clear();
  }

  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable ready_;
  HWND control_ = nullptr;
  std::vector<std::unique_ptr<Target>> targets_;
};

}  // namespace qm::test
