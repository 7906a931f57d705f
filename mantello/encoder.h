// Mantello's encoding of the clipboard: progress, cancel, the busy refusal, sounds and hints.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/clipboard.h"
#include "platform/dialogs.h"
#include "platform/sound.h"

namespace qm {

// The hidden main window, which shows itself as the progress window while encoding.
class ProgressWindow {
 public:
  virtual ~ProgressWindow() = default;
  virtual void Show() = 0;  // without blocking
  virtual void Hide() = 0;
  virtual void SetCaption(const std::string& caption) = 0;
  virtual void SetTopmost(bool on) = 0;
  // Lets pending window events run (icon clicks, the close button) and returns.
  virtual void PumpEvents() = 0;
};

struct EncoderServices {
  Clipboard& clipboard;
  Sound& sound;
  Dialogs& dialogs;
  ProgressWindow& progress;
  std::string sound_dir;  // folder of in.WAV, out.WAV, err.WAV, with trailing separator
  // Shows the hint after an encoding (id "2"), unless the user switched it off.
  std::function<void(const std::string& text, const std::string& id, const std::string& image)>
      show_hint;
  // Uniform in [0, 1); seeded from the clock by default.
  std::function<double()> random;
};

class Encoder {
 public:
  explicit Encoder(EncoderServices services);

  // The one entry point: refuses with a message while an encoding runs.
  void EncodeClipboard();
  // The user closed the progress window: cancels a running encoding, else nothing.
  void OnProgressWindowClosedByUser();
  bool busy() const { return busy_; }

 private:
  void EncodeClipboardText();
  void PlayWave(const std::string& name);
  void ShowProgress(const std::string& text);

  EncoderServices s_;
  bool busy_ = false;
  bool cancel_ = false;
};

}  // namespace qm
