#include "ui/controls_context_win32.h"

namespace qm {

ControlsContext::ControlsContext(const std::wstring& module_path, WORD resource) {
  ACTCTXW request{};
  request.cbSize = sizeof request;
  request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
  request.lpSource = module_path.c_str();
  request.lpResourceName = MAKEINTRESOURCEW(resource);
  context_ = CreateActCtxW(&request);
  if (context_ != INVALID_HANDLE_VALUE) active_ = ActivateActCtx(context_, &cookie_) != FALSE;
}

ControlsContext::~ControlsContext() {
  if (active_) DeactivateActCtx(0, cookie_);
  if (context_ != INVALID_HANDLE_VALUE) ReleaseActCtx(context_);
}

}  // namespace qm
