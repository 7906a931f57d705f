// What a formatted snippet becomes on its way out: its placeholders filled, RTF for word
// processors and rich-text controls, and the clipboard's HTML format.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "rich/rich_html.h"

namespace qm {

// The document with every text run passed through `fill` (the placeholders' values put in);
// line breaks in what `fill` gives become <br>, other control characters but Tab go.
RichDocument FillRichText(const RichDocument& doc,
                          const std::function<std::string(const std::string&)>& fill);

// The document as RTF: bold, italic, underline, links as fields, list items with their mark
// and a hanging indent, pictures as PNG or JPEG. Without `link_fields`, a link is underlined
// text only: for readers that pass over a field with all it holds, its text included.
std::string RichToRtf(const RichDocument& doc, bool link_fields = true);

// `fragment` (the subset's HTML) in the clipboard's "HTML Format": a header that gives the
// byte offsets of the page and the fragment, then a page around it, all UTF-8.
std::string ClipboardHtml(std::string_view fragment);

}  // namespace qm
