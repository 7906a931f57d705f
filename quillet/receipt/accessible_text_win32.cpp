#include "quillet/receipt/accessible_text_win32.h"

#include <oleacc.h>

#include <cwchar>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/utf16_win32.h"
#include "quillet/receipt/automation_text_win32.h"

namespace qm {
namespace {

using FromWindowFunction = HRESULT(WINAPI*)(HWND, DWORD, REFIID, void**);
using VariantClearFunction = HRESULT(WINAPI*)(VARIANTARG*);
using FreeStringFunction = void(WINAPI*)(BSTR);

// The deepest objects are a few levels below the window's client; a cycle must not loop.
constexpr int kMostLevels = 16;

struct Library {
  FromWindowFunction from_window = nullptr;
  VariantClearFunction clear = nullptr;
  FreeStringFunction free_string = nullptr;
};

// Bound at the first question, not at start: the libraries cost memory, and most targets are
// classic controls that need none of them.
const Library& Functions() {
  static const Library library = [] {
    Library l;
    const HMODULE oleacc = LoadLibraryExW(L"oleacc.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    const HMODULE oleaut = LoadLibraryExW(L"oleaut32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    const auto bind = [](HMODULE module, const char* name) {
      return module ? reinterpret_cast<void (*)()>(GetProcAddress(module, name)) : nullptr;
    };
    l.from_window = reinterpret_cast<FromWindowFunction>(bind(oleacc, "AccessibleObjectFromWindow"));
    l.clear = reinterpret_cast<VariantClearFunction>(bind(oleaut, "VariantClear"));
    l.free_string = reinterpret_cast<FreeStringFunction>(bind(oleaut, "SysFreeString"));
    return l;
  }();
  return library;
}

std::optional<AccessibleText> AskAccessible(HWND window, bool with_text) {
  const Library& l = Functions();
  if (!l.from_window || !l.clear || !l.free_string) return std::nullopt;
  IAccessible* object = nullptr;
  if (FAILED(l.from_window(window, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                           reinterpret_cast<void**>(&object))) ||
      !object) {
    return std::nullopt;
  }
  // Down to the object that has the focus: an object of its own, or a simple child.
  VARIANT self{};
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  for (int level = 0; level < kMostLevels; ++level) {
    VARIANT focus{};
    focus.vt = VT_EMPTY;
    if (object->get_accFocus(&focus) != S_OK) break;
    if (focus.vt == VT_DISPATCH && focus.pdispVal) {
      IAccessible* inner = nullptr;
      focus.pdispVal->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(&inner));
      l.clear(&focus);
      if (!inner || inner == object) {
        if (inner) inner->Release();
        break;
      }
      object->Release();
      object = inner;
      continue;
    }
    if (focus.vt == VT_I4) self.lVal = focus.lVal;
    l.clear(&focus);
    break;
  }
  std::optional<AccessibleText> answer;
  VARIANT role{}, state{};
  role.vt = state.vt = VT_EMPTY;
  const bool text = SUCCEEDED(object->get_accRole(self, &role)) && role.vt == VT_I4 &&
                    role.lVal == ROLE_SYSTEM_TEXT;
  const LONG states =
      SUCCEEDED(object->get_accState(self, &state)) && state.vt == VT_I4 ? state.lVal : 0;
  if (text && (states & STATE_SYSTEM_PROTECTED)) {
    answer = AccessibleText{};
    answer->password = true;
  } else if (text && !(states & STATE_SYSTEM_READONLY) && !with_text) {
    answer = AccessibleText{};
  } else if (text && !(states & STATE_SYSTEM_READONLY)) {
    BSTR value = nullptr;
    if (object->get_accValue(self, &value) == S_OK) {
      answer = AccessibleText{};
      answer->text = WideToUtf8(value ? std::wstring_view(value) : L"");
    }
    if (value) l.free_string(value);
  }
  l.clear(&role);
  l.clear(&state);
  object->Release();
  return answer;
}

// A field that accessibility finds no editable text in, or none with a value (a word
// processor's document, some modern apps), is asked through UI Automation.
std::optional<AccessibleText> AskNow(HWND window, bool with_text) {
  std::optional<AccessibleText> answer = AskAccessible(window, with_text);
  return answer ? answer : FocusedAutomationText(window, with_text);
}

// One thread asks, started at the first question and kept: a thread per question costs more
// than the question under Wine. It sleeps between questions; a question that hangs in a
// program that does not answer holds only it, and later questions go unanswered.
class Asker {
 public:
  std::optional<AccessibleText> Ask(HWND window, DWORD limit_ms, bool with_text) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (asking_) return std::nullopt;  // still held by a program that did not answer
    if (!started_) {
      started_ = true;
      std::thread([this] { Run(); }).detach();
    }
    window_ = window;
    with_text_ = with_text;
    answer_.reset();
    asking_ = true;
    wake_.notify_one();
    answered_.wait_for(lock, std::chrono::milliseconds(limit_ms), [this] { return !asking_; });
    return asking_ ? std::nullopt : answer_;
  }
  // Held in a question by a program that does not answer.
  bool stuck() {
    std::lock_guard<std::mutex> lock(mutex_);
    return asking_;
  }

 private:
  void Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      wake_.wait(lock, [this] { return asking_; });
      const HWND window = window_;
      const bool with_text = with_text_;
      lock.unlock();
      // COM only for the question's time: what it keeps running meanwhile would wake the
      // process.
      const bool com = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
      std::optional<AccessibleText> answer = AskNow(window, with_text);
      if (com) CoUninitialize();
      lock.lock();
      answer_ = std::move(answer);
      asking_ = false;
      answered_.notify_one();
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_, answered_;
  bool started_ = false, asking_ = false, with_text_ = true;
  HWND window_ = nullptr;
  std::optional<AccessibleText> answer_;
};

}  // namespace

std::optional<AccessibleText> FocusedAccessibleText(HWND window, DWORD limit_ms,
                                                    bool with_text) {
  // Each lives as long as the process: its thread may still be held in a question at the
  // end. One held by a program that does not answer is left to it, and another asks on.
  static Asker* asker = new Asker;
  if (asker->stuck()) asker = new Asker;
  return asker->Ask(window, limit_ms, with_text);
}

}  // namespace qm
