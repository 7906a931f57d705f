// File dialogs that give scripted answers and record what they were asked.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_dialogs.h"

namespace qm {

class FakeFileDialogs : public FileDialogs {
 public:
  struct Asked {
    std::string title;
    std::vector<FileType> types;
    std::string suggested_name;
    bool save = false;
  };

  // Without a scripted answer the dialog is cancelled.
  std::optional<ChosenFile> ChooseFileToOpen(const std::string& title,
                                             const std::vector<FileType>& types) override {
    asked.push_back({title, types, "", false});
    return Next();
  }
  std::optional<ChosenFile> ChooseFileToSave(const std::string& title,
                                             const std::vector<FileType>& types,
                                             const std::string& suggested_name) override {
    asked.push_back({title, types, suggested_name, true});
    return Next();
  }

  std::deque<std::optional<ChosenFile>> answers;
  std::vector<Asked> asked;

 private:
  std::optional<ChosenFile> Next() {
    if (answers.empty()) return std::nullopt;
    std::optional<ChosenFile> front = answers.front();
    answers.pop_front();
    return front;
  }
};

}  // namespace qm
