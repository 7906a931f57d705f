// The system's dialogs that choose a file to open or a file to save.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace qm {

// One entry of a dialog's list of file types: what the user reads, and the patterns it
// shows ("*.yml;*.yaml"), the first of which gives a saved file its extension.
struct FileType {
  std::string caption;
  std::string patterns;
};

struct ChosenFile {
  std::string path;
  std::size_t type = 0;  // index into the types the dialog was given
};

class FileDialogs {
 public:
  virtual ~FileDialogs() = default;
  // An existing file; nullopt when the user cancels.
  virtual std::optional<ChosenFile> ChooseFileToOpen(const std::string& title,
                                                     const std::vector<FileType>& types) = 0;
  // The user has agreed to overwrite a file that exists; a name typed without an extension
  // gets the chosen type's.
  virtual std::optional<ChosenFile> ChooseFileToSave(const std::string& title,
                                                     const std::vector<FileType>& types,
                                                     const std::string& suggested_name) = 0;
};

}  // namespace qm
