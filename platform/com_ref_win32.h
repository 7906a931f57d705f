// COM for a scope: an interface released at its end, and COM set up for the calling thread.
#pragma once

#include <objbase.h>

namespace qm {

// An interface held for a scope, released at its end.
template <typename T>
class ComRef {
 public:
  ComRef() = default;
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  ~ComRef() { Reset(); }
  // For a call that hands out an interface: what was held goes first.
  T** out() {
    Reset();
    return &p_;
  }
  void** out_void() { return reinterpret_cast<void**>(out()); }
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  void Reset() {
    if (p_) p_->Release();
    p_ = nullptr;
  }

  T* p_ = nullptr;
};

// COM for the calling thread, for as long as this lives; left alone where the thread has it
// already, in this model or another.
class ComScope {
 public:
  ComScope() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
  ~ComScope() {
    if (SUCCEEDED(hr_)) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  HRESULT hr_;
};

}  // namespace qm
