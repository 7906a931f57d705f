// The snippet editor's format commands: bold, italic and underline as the control keeps them,
// lists as its paragraphs' numbering, links and pictures' marks in their colours.
#include <richedit.h>

#include "platform/utf16_win32.h"
#include "quillet/main/editor_control_win32.h"
#include "quillet/main/editor_format.h"
#include "quillet/main/glyph_editor_win32.h"

namespace qm {

using editor_control::Selection;
using editor_control::SelectRange;

HWND GlyphEditor::Formatting() {
  HWND editor = Ensure();
  if (editor) formatted_ = true;
  return editor;
}

void GlyphEditor::ToggleStyle(DWORD effect) {
  HWND editor = Formatting();
  if (!editor) return;
  const DWORD mask = effect == CFE_BOLD ? CFM_BOLD : effect == CFE_ITALIC ? CFM_ITALIC : CFM_UNDERLINE;
  CHARFORMAT2W now{};
  now.cbSize = sizeof now;
  SendMessageW(editor, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&now));
  const bool all_have_it = (now.dwMask & mask) && (now.dwEffects & effect);
  CHARFORMAT2W cf{};
  cf.cbSize = sizeof cf;
  cf.dwMask = mask;
  cf.dwEffects = all_have_it ? 0 : effect;
  SendMessageW(editor, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
}

void GlyphEditor::ToggleList(WORD numbering) {
  HWND editor = Formatting();
  if (!editor) return;
  PARAFORMAT2 now{};
  now.cbSize = sizeof now;
  SendMessageW(editor, EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&now));
  const bool off = (now.dwMask & PFM_NUMBERING) && now.wNumbering == numbering;
  // The mark hangs in the paragraph's indent, as the formatted version's items show it.
  PARAFORMAT2 pf{};
  pf.cbSize = sizeof pf;
  pf.dwMask = PFM_NUMBERING | PFM_NUMBERINGSTART | PFM_NUMBERINGSTYLE | PFM_NUMBERINGTAB |
              PFM_STARTINDENT | PFM_OFFSET;
  pf.wNumbering = off ? 0 : numbering;
  pf.wNumberingStart = 1;
  pf.wNumberingStyle = PFNS_PERIOD;
  pf.wNumberingTab = off ? 0 : 360;
  pf.dxOffset = off ? 0 : 360;
  SendMessageW(editor, EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf));
}

void GlyphEditor::MarkLink(const std::string& text, COLORREF colour) {
  HWND editor = Formatting();
  if (!editor) return;
  if (!text.empty()) {
    editor_control::BeforeTypedCharacter(editor);
    const LONG start = Selection(editor).cpMin;
    SendMessageW(editor, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(Utf8ToWide(text).c_str()));
    SelectRange(editor, start, Selection(editor).cpMax);
  }
  const CHARRANGE link = Selection(editor);
  CHARFORMAT2W cf = editor_control::TextFormat(colour);
  cf.dwMask |= CFM_UNDERLINE;
  cf.dwEffects = CFE_UNDERLINE;
  editor_control::FormatTextRuns(editor, link.cpMin, link.cpMax, cf);
  // What is typed behind it is no part of it.
  SelectRange(editor, link.cpMax, link.cpMax);
  CHARFORMAT2W plain = editor_control::TextFormat();
  plain.dwMask |= CFM_UNDERLINE;
  SendMessageW(editor, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&plain));
}

void GlyphEditor::InsertPictureMark(COLORREF colour) {
  HWND editor = Formatting();
  if (!editor) return;
  if (Selection(editor).cpMax > Selection(editor).cpMin) {
    SendMessageW(editor, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L""));
  }
  editor_control::BeforeTypedCharacter(editor);
  // Put in with its look, in one step that undoes at once.
  CHARFORMAT2W cf = editor_control::TextFormat(colour);
  cf.dwMask |= CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_SIZE;
  cf.yHeight = kPictureMarkPoints * 20;  // in twips
  cf.bCharSet = SYMBOL_CHARSET;
  lstrcpynW(cf.szFaceName, L"Wingdings", LF_FACESIZE);
  SendMessageW(editor, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
  const wchar_t mark[] = {static_cast<wchar_t>(kPictureMark), 0};
  SendMessageW(editor, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(mark));
  editor_control::SetInsertionFormat(editor, RunKind::kText);
}

void GlyphEditor::ClearFormat() {
  HWND editor = Formatting();
  if (!editor) return;
  const CHARRANGE keep = Selection(editor);
  CHARRANGE range = keep;
  if (range.cpMin == range.cpMax) {
    range = {0, static_cast<LONG>(editor_control::Text(editor).size())};
  }
  CHARFORMAT2W cf = editor_control::TextFormat();
  cf.dwMask |= CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE;
  editor_control::FormatTextRuns(editor, range.cpMin, range.cpMax, cf);
  SelectRange(editor, range.cpMin, range.cpMax);
  PARAFORMAT2 pf{};
  pf.cbSize = sizeof pf;
  pf.dwMask = PFM_NUMBERING | PFM_STARTINDENT | PFM_OFFSET;
  SendMessageW(editor, EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf));
  SelectRange(editor, keep.cpMin, keep.cpMax);
}

}  // namespace qm
