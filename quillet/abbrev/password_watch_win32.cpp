// Whether the control with the keyboard focus is a password field, looked at once per focus
// change: a classic edit by its style, any other control by its accessible object's state,
// asked on a thread of its own so that a slow or hung program never holds up the keys.
#include "quillet/abbrev/password_watch_win32.h"

#include <oleacc.h>

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include "platform/utf16_win32.h"
#include "quillet/abbrev/hook_quiet.h"

namespace qm {

struct PasswordWatch::Shared {
  struct Request {
    HWND window;
    LONG object, child;
    std::uint64_t focus;
  };
  std::atomic<bool> password{false};
  std::mutex mutex;
  std::condition_variable wake;
  std::uint64_t focus = 0;      // the latest focus change's number; under mutex
  std::optional<Request> next;  // the one question waiting; under mutex
  bool waiting = false;         // the latest focus's answer is awaited; under mutex
  bool stop = false;            // under mutex
  bool asking = false;          // the thread runs; the hook's thread only
  // When the question under way began (GetTickCount64), 0 while none is; under mutex.
  ULONGLONG question_began = 0;
  UINT_PTR timer = 0;           // the time for an answer; the hook's thread only
};

namespace {

std::atomic<PasswordWatch*> g_watch{nullptr};

using FromEventFunction = HRESULT(WINAPI*)(HWND, DWORD, DWORD, IAccessible**, VARIANT*);
using VariantClearFunction = HRESULT(WINAPI*)(VARIANTARG*);

}  // namespace

std::optional<bool> AskAccessibleProtected(HWND window, LONG object, LONG child) {
  // Bound at the first question, not at start: most users' focus never leaves the classic
  // controls, and the library with what it pulls in costs memory.
  static const HMODULE oleacc =
      LoadLibraryExW(L"oleacc.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  static const HMODULE oleaut =
      LoadLibraryExW(L"oleaut32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  static const auto from_event = reinterpret_cast<FromEventFunction>(reinterpret_cast<void (*)()>(
      oleacc ? GetProcAddress(oleacc, "AccessibleObjectFromEvent") : nullptr));
  static const auto clear = reinterpret_cast<VariantClearFunction>(
      reinterpret_cast<void (*)()>(oleaut ? GetProcAddress(oleaut, "VariantClear") : nullptr));
  if (!from_event || !clear) return std::nullopt;
  IAccessible* accessible = nullptr;
  VARIANT item{};
  item.vt = VT_EMPTY;
  if (FAILED(from_event(window, static_cast<DWORD>(object), static_cast<DWORD>(child), &accessible,
                        &item)) ||
      !accessible) {
    return std::nullopt;
  }
  // An event may name a window's client or a document; the field is the object within it
  // that has the focus.
  for (int level = 0; level < 16 && item.vt == VT_I4 && item.lVal == CHILDID_SELF; ++level) {
    VARIANT focus{};
    focus.vt = VT_EMPTY;
    if (accessible->get_accFocus(&focus) != S_OK) break;
    IAccessible* inner = nullptr;
    if (focus.vt == VT_DISPATCH && focus.pdispVal) {
      focus.pdispVal->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(&inner));
    } else if (focus.vt == VT_I4 && focus.lVal != CHILDID_SELF) {
      item.lVal = focus.lVal;
    }
    clear(&focus);
    if (!inner) break;
    if (inner == accessible) {
      inner->Release();
      break;
    }
    accessible->Release();
    accessible = inner;
  }
  VARIANT state{};
  state.vt = VT_EMPTY;
  std::optional<bool> answer;
  if (SUCCEEDED(accessible->get_accState(item, &state)) && state.vt == VT_I4) {
    answer = (static_cast<std::uint32_t>(state.lVal) & kProtectedState) != 0;
  }
  clear(&state);
  clear(&item);
  accessible->Release();
  return answer;
}

PasswordWatch::PasswordWatch()
    : shared_(std::make_shared<Shared>()), password_(&shared_->password) {
  g_watch = this;
}

PasswordWatch::~PasswordWatch() {
  PasswordWatch* self = this;
  g_watch.compare_exchange_strong(self, nullptr);
  if (shared_->timer) KillTimer(nullptr, shared_->timer);
  {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    shared_->stop = true;
  }
  // Not waited for: it may hang in a program that does not answer, and ends with the process.
  shared_->wake.notify_one();
}

void PasswordWatch::StartAsking() {
  shared_->asking = true;
  std::thread([shared = shared_] {
    std::unique_lock<std::mutex> lock(shared->mutex);
    for (;;) {
      shared->wake.wait(lock, [&] { return shared->stop || shared->next; });
      if (shared->stop) break;
      const Shared::Request asked = *shared->next;
      shared->next.reset();
      shared->question_began = GetTickCount64();
      lock.unlock();
      // COM only for the question's time: what it keeps running meanwhile wakes the process.
      const bool com = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
      const bool hidden =
          AskAccessibleProtected(asked.window, asked.object, asked.child).value_or(false);
      if (com) CoUninitialize();
      lock.lock();
      shared->question_began = 0;
      if (asked.focus == shared->focus) {
        shared->password = hidden;
        shared->waiting = false;
      }
    }
  }).detach();
}

void PasswordWatch::Look(HWND focus, LONG object, LONG child, bool event) {
  FocusFacts facts;
  if (focus) {
    // The standard control a program's own class is made from, where the system knows it.
    wchar_t name[256] = {};
    if (!RealGetWindowClassW(focus, name, 256)) GetClassNameW(focus, name, 256);
    facts.window_class = WideToUtf8(name);
    facts.style = static_cast<std::uint32_t>(GetWindowLongPtrW(focus, GWL_STYLE));
  }
  const bool ask = event && focus && !IsClassicEdit(facts.window_class);
  {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    ++shared_->focus;
    shared_->next.reset();
    shared_->waiting = ask;
    if (ask) shared_->next = Shared::Request{focus, object, child, shared_->focus};
    // Until the accessible object answers, what is typed counts as a password's.
    shared_->password = ask || IsPasswordField(facts);
  }
  if (!ask) return;
  bool held = false;
  {
    // A thread held in a question by a program that does not answer is left to it, and
    // another asks on: else every field after would count as no password field.
    std::lock_guard<std::mutex> lock(shared_->mutex);
    held = shared_->question_began != 0 && GetTickCount64() - shared_->question_began > kHeldMs;
    if (held) shared_->question_began = 0;
  }
  if (!shared_->asking || held) StartAsking();
  shared_->wake.notify_one();
  // One timer, set anew for the latest focus.
  shared_->timer = SetTimer(nullptr, shared_->timer, kLimitMs, &OnLimit);
}

void PasswordWatch::Clear() {
  std::lock_guard<std::mutex> lock(shared_->mutex);
  ++shared_->focus;
  shared_->next.reset();
  shared_->waiting = false;
  shared_->password = false;
}

void CALLBACK PasswordWatch::OnLimit(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  if (PasswordWatch* watch = g_watch.load(); watch && watch->shared_->timer == id) {
    watch->shared_->timer = 0;
    watch->LimitReached();
  }
}

void PasswordWatch::LimitReached() {
  std::lock_guard<std::mutex> lock(shared_->mutex);
  // Unanswered in time: no password field, as before there was a question. The answer, when
  // it comes for the same focus, still counts.
  if (shared_->waiting) {
    shared_->waiting = false;
    shared_->password = false;
  }
}

}  // namespace qm
