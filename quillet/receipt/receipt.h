// The receipt of each send: the text of the target's focused control read before the first
// key and again once the target has taken the snippet, compared, logged, and the user told
// at once when it differs.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/desktop.h"
#include "platform/file_system.h"
#include "platform/typing_pace.h"
#include "platform/window_processes.h"
#include "quillet/receipt/arrival.h"
#include "quillet/receipt/send_log.h"
#include "quillet/send/send_watch.h"
#include "store/user_settings.h"

namespace qm {

// Reads the control that has the keyboard focus in another program's window, by messages the
// system carries across processes; never a key, never a message that changes anything.
class ControlReader {
 public:
  struct Focus {
    std::uintptr_t control = 0;
    bool password = false;     // a password field: never read
    bool single_line = false;  // an Enter or Tab typed there does not stand in its text
  };
  virtual ~ControlReader() = default;
  // The control with the keyboard focus in `window`'s thread; nullopt where there is none
  // whose text could be read (a console, a remote desktop, a control of unknown kind).
  virtual std::optional<Focus> Focused(WindowHandle window) = 0;
  // Its text and selection, or nullopt: gone, hung, or too large to read in a few milliseconds.
  virtual std::optional<ControlText> Read(std::uintptr_t control) = 0;
};

// Tells the user that a snippet arrived otherwise than sent, without taking the front: the
// notification's title and text.
using ArrivalNotice = std::function<void(const std::string& title, const std::string& text)>;

struct ReceiptServices {
  ControlReader& reader;
  Desktop& desktop;
  WindowProcesses& processes;
  Clock& clock;
  TypingPace& pace;  // waits that let the program's messages run
  FileSystem& fs;
  UserSettings& settings;
  // The log's file, its folder made where missing; empty where it has none.
  std::function<std::string()> log_path;
  ArrivalNotice notice;
  // Tells the user once that the log cannot be written; the sends go on regardless.
  std::function<void(const std::string& text)> log_failed;
};

class Receipt : public SendWatch {
 public:
  explicit Receipt(const ReceiptServices& services) : s_(services) {}

  // Reads the log ahead, at a quiet moment, so that the first send does not parse its
  // 10,000 lines; keeps only what it found, not the file.
  void ReadAhead();

  void BeforeKeys(WindowHandle window) override;
  void AfterSend(const SendEnd& end) override;

  // The last send's line, as logged or as it would have been.
  const std::optional<SendLogLine>& last() const { return last_; }

 private:
  ArrivalCheck Check(const SendEnd& end);
  void Log(const SendLogLine& line);

  ReceiptServices s_;
  std::optional<ControlReader::Focus> focus_;   // at the first key
  std::optional<ControlText> before_;
  std::optional<SendLogLine> last_;
  bool told_log_failed_ = false;
  // The log as last written, and the file's stamp then.
  SendLogText log_;
  std::string log_path_;
  FileStamp log_stamp_;
  std::vector<SendLogLine> waiting_;  // for a file that could not be read
};

// "Tippen", "Tasten" or "Einfügen": how the send went, in the log's words.
const char* DeliveryWord(Delivery delivery);

}  // namespace qm
