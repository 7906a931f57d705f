// The developer's window monitor ("ZQDEBUGFRM"): twice a second the windows from the main
// window upwards, and as its caption the title of the window in front.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "quillet/commands.h"
#include "ui/window_frame_win32.h"

namespace qm {

inline constexpr wchar_t kMonitorClass[] = L"QuilletZqDebugFrm";
inline constexpr wchar_t kMonitorCaption[] = L"ZQDEBUGFRM";
// Control ids: the list; the check box "visible only" and the button "Exit" have their
// QuilletCommand.
inline constexpr int kMonitorList = 1300;
inline constexpr UINT kMonitorIntervalMs = 500;

class WindowMonitor final : public WindowFrame {
 public:
  // The list's lines, with hidden windows left out or not.
  std::function<std::vector<std::string>(bool visible_only)> lines;
  // The caption to show, given the monitor's own window; nullopt keeps the current one.
  std::function<std::optional<std::string>(HWND monitor)> caption;

  // Opens the monitor beside `main`, which owns it, or brings it to the front where it is
  // open. Modeless.
  void Show(HINSTANCE instance, HWND main);

 private:
  std::vector<ControlRow> Table() const override;
  SIZE ClientTwips() const override;
  void AfterLayout(bool created) override;
  bool OnCommand(int id, int code) override;
  void OnTimer(UINT_PTR id) override;
  std::optional<LRESULT> OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  void Refresh();

  UniqueFont list_font_;
};

}  // namespace qm
