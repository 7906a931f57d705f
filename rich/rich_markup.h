// The tokens of HTML text, as far as formatted snippets need them: text with its character
// references decoded, start and end tags with lower-case names and decoded attributes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qm {

struct MarkupToken {
  enum class Kind { kText, kStart, kEnd };
  Kind kind = Kind::kText;
  std::string text;  // kText
  std::string name;  // kStart, kEnd
  std::vector<std::pair<std::string, std::string>> attributes;  // kStart, names lower case
  bool self_closing = false;
  // The first attribute of that name; null where there is none.
  const std::string* Attribute(std::string_view attribute) const;
};

class MarkupScanner {
 public:
  explicit MarkupScanner(std::string_view html) : in_(html) {}
  // The next token; comments, declarations and processing instructions are passed over.
  bool Next(MarkupToken* token);
  // Passes over everything up to the end tag of the element `name` just started (nested
  // ones of the same name included), or to the end.
  void SkipElement(const std::string& name);

 private:
  bool Tag(MarkupToken* token);
  std::string_view in_;
  std::size_t pos_ = 0;
};

// `text` with & < > (and in an attribute ") as references, U+00A0 as &nbsp;.
void AppendHtmlEscaped(std::string& out, std::string_view text, bool attribute);
// `text` with its character references decoded; an unknown one stays as it stands.
std::string DecodeReferences(std::string_view text);

}  // namespace qm
