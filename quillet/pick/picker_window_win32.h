// The picker: a search field, the list of the snippets that match and a preview of the
// selected one's text, opened at the place the user types. It only shows and searches; what
// is chosen goes to its owner.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "quillet/pick/pick_index.h"
#include "quillet/pick/picker_layout.h"
#include "ui/window_frame_win32.h"

namespace qm {

class IniDocument;

inline constexpr wchar_t kPickerClass[] = L"QuilletPicker";

enum PickerControlId : int {
  kPickerSearchLabel = 100,
  kPickerSearch = 101,
  kPickerListLabel = 102,
  kPickerList = 103,
  kPickerPreviewLabel = 104,
  kPickerPreview = 105,
};

// What the list says where nothing matches.
inline constexpr const char* kPickerNoMatch = "Keine Treffer";
// At most this many matches are listed: nobody scrolls further, and a list of a whole large
// library would cost every keystroke its time.
inline constexpr std::size_t kPickerShownMatches = 200;

class PickerWindow final : public WindowFrame {
 public:
  PickerWindow() = default;
  ~PickerWindow();

  // The window is made hidden, once; its controls come at the first opening, so that a
  // program that waits in the notification area loads no control library for them.
  bool Create(HINSTANCE instance, const std::string& caption, HWND owner = nullptr);
  void EnsureControls();
  // Shows the window in front, the search field empty with the focus, every entry of
  // `index` listed and the best one selected. `doc` is the snapshot the index was built from,
  // which the preview reads. Placed by PlacePicker at `anchor` (screen pixels) on the
  // monitor it lies on.
  void Open(PickIndex& index, std::shared_ptr<const IniDocument> doc, const ScreenRect& anchor);
  // Hides the window; nothing is called back.
  void Close();
  bool is_open() const { return open_; }

  // An entry chosen with Enter or a double click: the window is hidden already.
  std::function<void(int number, const std::string& name)> on_chosen;
  // The global hotkey, registered on this window, was pressed.
  std::function<void()> on_hotkey;
  // Calls on_warm_up once after `ms`, while the program is idle.
  void WarmUpLater(unsigned ms);
  std::function<void()> on_warm_up;
  // Esc or the close box (`give_back`: the front goes back to the window the user came from),
  // or another window activated (it has the front already).
  std::function<void(bool give_back)> on_cancelled;

 private:
  std::vector<ControlRow> Table() const override;
  SIZE ClientTwips() const override;
  void OnCreate() override;
  bool OnCommand(int id, int code) override;
  void OnTimer(UINT_PTR id) override;
  bool OnClose() override;
  std::optional<LRESULT> OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
  static LRESULT CALLBACK SearchProc(HWND edit, UINT message, WPARAM wparam, LPARAM lparam,
                                     UINT_PTR id, DWORD_PTR self);
  void Refill();
  void ShowPreview();
  void Choose();
  void Cancel(bool give_back);

  PickIndex* index_ = nullptr;
  std::shared_ptr<const IniDocument> doc_;
  std::vector<std::size_t> shown_;  // indices into index_->entries(), as listed
  bool open_ = false;
  bool controls_made_ = false;
};

}  // namespace qm
