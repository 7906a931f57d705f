// A borderless child of the Options dialog that keeps one group of option buttons apart from
// the others, so that each group's arrows and Tab stay within it.
#pragma once

#include <windows.h>

#include <optional>
#include <vector>

#include "ui/window_frame_win32.h"

namespace qm {

inline constexpr wchar_t kOptionsPanelClass[] = L"QuilletOptionsPanel";

class OptionsPanel final : public WindowFrame {
 public:
  // `id` is kActivationPanel or kTriggerPanel: its place and its buttons.
  explicit OptionsPanel(int id) : id_(id) {}

  // Made in `dialog` at `dpi` where the dialog's table puts it, after the dialog's child
  // `after` in the tab order.
  bool Create(HWND dialog, int dpi, HWND after);
  // Its buttons placed anew at the dialog's new DPI.
  using WindowFrame::FollowDpi;

 private:
  std::vector<ControlRow> Table() const override;
  int DpiAtCreation() const override { return creation_dpi_; }
  // The buttons' notifications go on to the dialog, which owns the decisions.
  bool OnCommand(int id, int code) override;
  std::optional<LRESULT> OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override;

  int id_;
  int creation_dpi_ = USER_DEFAULT_SCREEN_DPI;
};

}  // namespace qm
