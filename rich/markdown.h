// Markdown as other snippet tools store formatted text, made into the HTML subset of
// formatted snippets: emphasis, links, lists, paragraphs and line breaks.
#pragma once

#include <string>
#include <string_view>

namespace qm {

// **bold** and __bold__, *italic* and _italic_, [text](address), lines starting "- ", "* ",
// "+ " or "1. " as lists, a blank line between paragraphs, a line break where two blanks or
// a backslash end a line, and a backslash before a punctuation mark for the mark itself.
// Everything else (headings' "#", code, pictures) stays as its text.
std::string MarkdownToHtml(std::string_view markdown);

}  // namespace qm
