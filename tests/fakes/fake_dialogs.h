// Dialogs that give scripted answers and record what was shown.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/dialogs.h"

namespace qm {

class FakeDialogs : public Dialogs {
 public:
  struct Shown {
    std::string text, title;
    MessageIcon icon = MessageIcon::kNone;
    MessageButtons buttons = MessageButtons::kOk;
  };

  // Without a scripted answer a message box is confirmed (OK or Yes), one that offers to
  // retry is cancelled (else it would ask for ever), and the other dialogs are cancelled.
  MessageAnswer ShowMessage(const std::string& text, const std::string& title, MessageIcon icon,
                            MessageButtons buttons) override {
    messages.push_back({text, title, icon, buttons});
    if (while_open) std::exchange(while_open, nullptr)();
    if (!message_answers.empty()) return Pop(message_answers);
    if (buttons == MessageButtons::kRetryCancel) return MessageAnswer::kCancel;
    return buttons == MessageButtons::kYesNo || buttons == MessageButtons::kYesNoCancel ||
                   buttons == MessageButtons::kYesNoDefaultNo
               ? MessageAnswer::kYes
               : MessageAnswer::kOk;
  }
  std::optional<std::string> AskText(const std::string& prompt, const std::string& title,
                                     const std::string& initial) override {
    prompts.push_back({prompt, title, initial});
    return text_answers.empty() ? std::nullopt : Pop(text_answers);
  }
  std::optional<std::string> ChooseFolder(const std::string& prompt) override {
    folder_prompts.push_back(prompt);
    return folder_answers.empty() ? std::nullopt : Pop(folder_answers);
  }
  std::optional<std::uint32_t> ChooseColour(std::uint32_t initial) override {
    colour_initials.push_back(initial);
    return colour_answers.empty() ? std::nullopt : Pop(colour_answers);
  }

  struct Prompt {
    std::string prompt, title, initial;
  };

  // Runs once while the next message box is open, as other events do in its message loop.
  std::function<void()> while_open;
  std::deque<MessageAnswer> message_answers;
  std::deque<std::optional<std::string>> text_answers;
  std::deque<std::optional<std::string>> folder_answers;
  std::deque<std::optional<std::uint32_t>> colour_answers;

  std::vector<Shown> messages;
  std::vector<Prompt> prompts;
  std::vector<std::string> folder_prompts;
  std::vector<std::uint32_t> colour_initials;

 private:
  template <typename T>
  static T Pop(std::deque<T>& queue) {
    T front = queue.front();
    queue.pop_front();
    return front;
  }
};

}  // namespace qm
