// What the sender asks of the form that asks a snippet's fields before anything is typed.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/desktop.h"
#include "quillet/send/snippet_fields.h"

namespace qm {

// Screen pixels, right and bottom exclusive.
struct FormBox {
  int left = 0, top = 0, right = 0, bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  friend bool operator==(const FormBox& a, const FormBox& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
  }
};

struct FieldRequest {
  std::string caption;     // the window's caption, ready-made ("• Quillet 1.0 - Brief")
  std::string entry_name;  // the entry whose fields are asked
  std::vector<SnippetField> fields;
  FieldValues start;  // one per field, as StartValues gives them
  // Where the user types: the caret (or the window) of `came_from` on the screen. Without it
  // the asker looks for the caret of `came_from` itself, and takes the mouse where it finds none.
  std::optional<FormBox> anchor;
  WindowHandle came_from = 0;  // the window the snippet is meant for
  // Its values are neither offered again nor kept: they may hold what the cipher protects.
  bool enciphered = false;
};

// Asks the fields of one snippet; the sender calls it before anything is typed.
class FieldAsker {
 public:
  virtual ~FieldAsker() = default;
  // One value per field of the request, in its order; nullopt when the user cancelled.
  // Multi-line text comes with CR LF line breaks, a choice as its item's text.
  virtual std::optional<FieldValues> Ask(const FieldRequest& request) = 0;
};

}  // namespace qm
