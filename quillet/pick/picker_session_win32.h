// The picker as the hotkey opens it: the window the user came from, the index kept between
// openings, the send into that window and the use it records.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/clock.h"
#include "platform/pause.h"
#include "quillet/pick/pick_index.h"
#include "quillet/pick/picker_window_win32.h"
#include "quillet/send/sender.h"
#include "store/ini_store.h"
#include "store/user_settings.h"

namespace qm {

struct PickerServices {
  IniStore& ini;
  Sender& sender;
  UserSettings& settings;  // the use record, the text option
  Clock& clock;
  Pause& pause;
};

class PickerSession {
 public:
  PickerSession(const PickerServices& services, HINSTANCE instance) : s_(services),
      instance_(instance) {}

  // Makes the picker's window, hidden, owned by `owner`: the hotkey's messages go to it.
  bool Start(const std::string& caption, HWND owner = nullptr);
  // The hotkey: opens the picker in front of the window the user works in. While a send is
  // under way nothing opens; an open picker only comes to the front.
  void Open(const std::string& data_file, const std::string& app_title);
  // Builds the index where the file or the option changed since: done once the program has
  // started, so that the first opening does not wait for it either.
  void Prepare(const std::string& data_file);
  // The option changed: the next opening builds the index anew.
  void SearchTextChanged() { snapshot_.reset(); }
  void Close() { window_.Close(); }
  PickerWindow& window() { return window_; }

 private:
  void Send(int number, const std::string& name);
  // Builds the index afresh where it is not that of the file and option as they are now;
  // false where it was kept.
  bool Build(const std::string& data_file);

  PickerServices s_;
  HINSTANCE instance_;
  PickerWindow window_;
  std::optional<PickIndex> index_;
  // What the index was built from: it stays while the data file does.
  std::shared_ptr<const IniDocument> snapshot_;
  bool with_text_ = false;
  HWND came_from_ = nullptr;
  std::string app_title_;
  bool sending_ = false;
};

}  // namespace qm
