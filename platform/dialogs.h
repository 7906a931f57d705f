// Modal dialogs of the system: message box, input box, folder browser, colour choice.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace qm {

enum class MessageIcon { kNone, kInformation, kQuestion, kExclamation, kStop };
// kYesNoDefaultNo: Yes and No with No as the default button, for questions where Enter
// alone must not say yes.
enum class MessageButtons { kOk, kOkCancel, kYesNo, kYesNoCancel, kYesNoDefaultNo, kRetryCancel };
enum class MessageAnswer { kOk, kCancel, kYes, kNo, kRetry };

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  virtual MessageAnswer ShowMessage(const std::string& text, const std::string& title,
                                    MessageIcon icon, MessageButtons buttons) = 0;
  // nullopt when the user cancels.
  virtual std::optional<std::string> AskText(const std::string& prompt, const std::string& title,
                                             const std::string& initial) = 0;
  virtual std::optional<std::string> ChooseFolder(const std::string& prompt) = 0;
  virtual std::optional<std::uint32_t> ChooseColour(std::uint32_t initial) = 0;
};

}  // namespace qm
