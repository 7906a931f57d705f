// The shell: open a document or address, start a command line.
#pragma once

#include <string>

namespace qm {

enum class ShowMode { kNormal, kMaximized };

class Shell {
 public:
  virtual ~Shell() = default;
  // Opens a file, folder, web or mail address with its registered program ("open" verb).
  virtual bool Open(const std::string& target, ShowMode mode) = 0;
  virtual bool Run(const std::string& command_line) = 0;
};

// The command line that opens the file manager at `file`'s folder with the file selected.
inline std::string FileManagerCommand(const std::string& file) {
  return "explorer /e, /select, " + file;
}

}  // namespace qm
