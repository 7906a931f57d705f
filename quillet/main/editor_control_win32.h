// The snippet editor's rich edit control at the level of its messages: selection, text,
// character formats and streams, as the glyph editor and its format commands use them.
#pragma once

#include <windows.h>

#include <richedit.h>

#include <string>

#include "quillet/main/glyph_text.h"

namespace qm::editor_control {

CHARRANGE Selection(HWND editor);
void SelectRange(HWND editor, LONG start, LONG end);
std::wstring Text(HWND editor);

// The insertion format of the editor: glyph fonts and colours, or plain text.
void SetInsertionFormat(HWND editor, RunKind kind);
// Plain text's face, charset and colour, with `colour` instead where given.
CHARFORMAT2W TextFormat(COLORREF colour = RGB(0, 0, 0));
// The caret moved off a position between a glyph and the line break that follows it.
LONG CaretPastGlyph(HWND editor, LONG caret);
// Gives every glyph in [start, end) its font and colour, and the rest plain text's.
void FormatGlyphs(HWND editor, LONG start, LONG end);
// Gives `cf` to every stretch of [start, end) without a glyph, a picture's mark or a
// paragraph's end, the view and the selection left as they were.
void FormatTextRuns(HWND editor, LONG start, LONG end, const CHARFORMAT2W& cf);
// Before a character is typed or put in: the caret off a glyph's line break, and the
// insertion format plain text's, except inside a link, where it stays the link's.
void BeforeTypedCharacter(HWND editor);

// The whole content replaced by `rtf`, or written out as RTF. Wine's control keeps a list's
// numbering on the paragraphs behind it whatever \pard says; streamed in, each paragraph
// outside a list is made so.
void StreamIn(HWND editor, const std::string& rtf);
std::string StreamOut(HWND editor);

}  // namespace qm::editor_control
