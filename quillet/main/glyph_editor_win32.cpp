// The snippet editor as a rich edit control: glyph formatting, key recording, late creation.
#include "quillet/main/glyph_editor_win32.h"

#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <utility>

#include "platform/utf16_win32.h"
#include "quillet/main/editor_control_win32.h"
#include "quillet/main/glyph_text.h"
#include "quillet/main/main_model.h"
#include "ui/window_layout_win32.h"

namespace qm {
namespace {

using editor_control::BeforeTypedCharacter;
using editor_control::CaretPastGlyph;
using editor_control::FormatGlyphs;
using editor_control::Selection;
using editor_control::SelectRange;
using editor_control::SetInsertionFormat;

constexpr UINT_PTR kEditorSubclass = 1;
constexpr DWORD kEditorStyle = ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | ES_NOHIDESEL |
                               WS_VSCROLL | WS_TABSTOP | WS_GROUP;

bool KeyDown(int vk) {
  return (GetKeyState(vk) & 0x8000) != 0;
}

// Enter and Tab pressed in the editor are recorded as their glyphs, each followed by a line
// break that only lays the text out.
void RecordKey(HWND editor, bool enter) {
  const LONG caret = CaretPastGlyph(editor, Selection(editor).cpMin);
  SelectRange(editor, caret, caret);
  SetInsertionFormat(editor, enter ? RunKind::kEnter : RunKind::kTab);
  const wchar_t insert[] = {static_cast<wchar_t>(enter ? kEnterGlyph : kTabGlyph), L'\r', 0};
  SendMessageW(editor, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(insert));
  SetInsertionFormat(editor, RunKind::kText);
}

// The edit command a clipboard key stands for, or kNone.
QuilletCommand ClipboardKeyCommand(WPARAM key, bool ctrl, bool shift, bool alt) {
  if (ctrl && !alt) {
    if (key == 'X') return QuilletCommand::kEditCut;
    if (key == 'C' || key == VK_INSERT) return QuilletCommand::kEditCopy;
    if (key == 'V') return QuilletCommand::kEditPaste;
  } else if (shift && !ctrl && !alt) {
    if (key == VK_INSERT) return QuilletCommand::kEditPaste;
    if (key == VK_DELETE) return QuilletCommand::kEditCut;
  }
  return QuilletCommand::kNone;
}

// The format or find command a key stands for, or kNone.
QuilletCommand FormatKeyCommand(WPARAM key, bool ctrl, bool shift, bool alt) {
  if (key == VK_F3 && !ctrl && !shift && !alt) return QuilletCommand::kEditFindNext;
  if (!ctrl || shift || alt) return QuilletCommand::kNone;
  switch (key) {
    case 'B': return QuilletCommand::kFormatBold;
    case 'I': return QuilletCommand::kFormatItalic;
    case 'U': return QuilletCommand::kFormatUnderline;
    case 'K': return QuilletCommand::kFormatLink;
    case 'F': return QuilletCommand::kEditFind;
    default: return QuilletCommand::kNone;
  }
}

bool IsEditCommand(QuilletCommand command) {
  return command == QuilletCommand::kEditFind || command == QuilletCommand::kEditFindNext;
}

}  // namespace

GlyphEditor::~GlyphEditor() {
  if (HWND editor = hwnd()) DestroyWindow(editor);
  if (richedit_) FreeLibrary(richedit_);
}

void GlyphEditor::Create(Place place, HFONT font, Creation creation) {
  place_ = std::move(place);
  font_ = font;
  pending_ = creation == Creation::kWhenNeeded;
  if (pending_) return;
  richedit_ = LoadLibraryW(L"Msftedit.dll");
  Make(kEditorStyle, WS_EX_CLIENTEDGE, place_.rect(), GetDlgItem(place_.parent, place_.after_id));
}

HWND GlyphEditor::hwnd() const {
  return place_.parent ? GetDlgItem(place_.parent, place_.id) : nullptr;
}

HWND GlyphEditor::Make(DWORD style, DWORD ex_style, const RECT& r, HWND after) {
  HWND editor = CreateWindowExW(ex_style, MSFTEDIT_CLASS, L"", WS_CHILD | WS_VISIBLE | style,
                                r.left, r.top, r.right - r.left, r.bottom - r.top, place_.parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(place_.id)),
                                place_.instance, nullptr);
  if (!editor) return nullptr;
  // Its place in the tab order, as if made with the controls around it.
  SetWindowPos(editor, after ? after : HWND_TOP, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  Prepare(editor);
  return editor;
}

HWND GlyphEditor::Ensure() {
  if (!pending_) return hwnd();
  pending_ = false;
  if (!richedit_) richedit_ = LoadLibraryW(L"Msftedit.dll");
  HWND editor = Make(kEditorStyle, WS_EX_CLIENTEDGE, place_.rect(),
                     GetDlgItem(place_.parent, place_.after_id));
  if (!editor) return nullptr;
  EnableWindow(editor, pending_enabled_);
  ApplyBackground(editor);
  if (!pending_text_.empty()) Fill(editor, pending_text_, pending_rtf_, pending_start_);
  SelectRange(editor, pending_start_, pending_end_);
  pending_text_.clear();
  pending_rtf_.clear();
  return editor;
}

void GlyphEditor::Prepare(HWND editor) {
  SendMessageW(editor, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  SendMessageW(editor, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
  SendMessageW(editor, EM_SETTEXTMODE, TM_RICHTEXT | TM_MULTILEVELUNDO | TM_MULTICODEPAGE, 0);
  SetInsertionFormat(editor, RunKind::kText);
  SetWindowSubclass(editor, SubclassProc, kEditorSubclass, reinterpret_cast<DWORD_PTR>(this));
}

void GlyphEditor::ApplyBackground(HWND editor) const {
  SendMessageW(editor, EM_SETBKGNDCOLOR, 0,
               static_cast<LPARAM>(GetSysColor(window_colour_ ? COLOR_WINDOW : COLOR_BTNFACE)));
}

void GlyphEditor::SetWindowColour(bool window_colour) {
  window_colour_ = window_colour;
  if (HWND editor = hwnd()) ApplyBackground(editor);
}

// A snippet goes into a new editor control in the old one's place: emptying a rich edit
// control that holds a long text costs more than the text's length (under Wine markedly),
// while destroying one and filling a fresh one grows with the text.
HWND GlyphEditor::Replace() {
  HWND old = hwnd();
  const bool had_focus = GetFocus() == old;
  const bool enabled = IsWindowEnabled(old) != FALSE;
  RECT r{};
  GetWindowRect(old, &r);
  MapWindowPoints(nullptr, place_.parent, reinterpret_cast<POINT*>(&r), 2);
  HWND before = GetWindow(old, GW_HWNDPREV);
  const auto style = static_cast<DWORD>(GetWindowLongPtrW(old, GWL_STYLE));
  const auto ex_style = static_cast<DWORD>(GetWindowLongPtrW(old, GWL_EXSTYLE));
  // Its focus leaving and its text going are no edits of the user's.
  replacing_ = true;
  DestroyWindow(old);
  HWND editor = Make(style, ex_style, r, before);
  if (editor) {
    EnableWindow(editor, enabled);
    ApplyBackground(editor);
    if (had_focus) SetFocus(editor);
  }
  replacing_ = false;
  return editor;
}

void GlyphEditor::Fill(HWND editor, const std::string& glyph_text, const std::string& rtf,
                       LONG caret) {
  // The whole snippet in one step, as rich text, so that a long one appears at once.
  editor_control::StreamIn(editor, rtf.empty() ? GlyphTextToRtf(glyph_text) : rtf);
  formatted_ = !rtf.empty();
  SelectRange(editor, caret, caret);
  SetInsertionFormat(editor, RunKind::kText);
  SendMessageW(editor, EM_SETMODIFY, FALSE, 0);
  SendMessageW(editor, EM_EMPTYUNDOBUFFER, 0, 0);
}

std::string GlyphEditor::Text() {
  // Unseen, the editor holds exactly what it was given: the program asks for its text
  // whenever it stores pending edits, which should not load the control.
  if (pending_) return GlyphTextAsEditorText(pending_text_);
  return WideToUtf8(editor_control::Text(hwnd()));
}

void GlyphEditor::ShowFormatted(const std::string& glyph_text, const std::string& rtf) {
  if (pending_) {
    // The control clamps the caret it keeps to the new text's end; so does this.
    const auto length = static_cast<LONG>(Utf16Length(GlyphTextAsEditorText(glyph_text)));
    pending_text_ = glyph_text;
    pending_rtf_ = rtf;
    pending_start_ = pending_end_ = std::min(pending_start_, length);
    return;
  }
  const CHARRANGE before = Selection(hwnd());
  HWND editor = Replace();
  if (!editor) return;
  Fill(editor, glyph_text, rtf, before.cpMin);
}

std::string GlyphEditor::Rtf() {
  if (pending_) return pending_rtf_;
  HWND editor = hwnd();
  return editor && formatted_ ? editor_control::StreamOut(editor) : std::string();
}

void GlyphEditor::Clear() {
  formatted_ = false;
  if (pending_) {
    pending_text_.clear();
    pending_rtf_.clear();
    pending_start_ = pending_end_ = 0;
    return;
  }
  SetWindowTextW(hwnd(), L"");
}

std::size_t GlyphEditor::Caret() {
  if (pending_) return static_cast<std::size_t>(pending_start_);
  return static_cast<std::size_t>(std::max<LONG>(0, Selection(hwnd()).cpMin));
}

std::size_t GlyphEditor::SelectionLength() {
  if (pending_) return static_cast<std::size_t>(pending_end_ - pending_start_);
  const CHARRANGE r = Selection(hwnd());
  return r.cpMax > r.cpMin ? static_cast<std::size_t>(r.cpMax - r.cpMin) : 0;
}

std::string GlyphEditor::SelectedText() {
  HWND editor = Ensure();
  const CHARRANGE r = Selection(editor);
  const std::wstring text = editor_control::Text(editor);
  const auto start = std::min(static_cast<std::size_t>(std::max<LONG>(r.cpMin, 0)), text.size());
  const auto end = std::min(static_cast<std::size_t>(std::max<LONG>(r.cpMax, 0)), text.size());
  // Paragraph ends go out as the line breaks other programs expect.
  return ToCrLf(WideToUtf8(text.substr(start, end > start ? end - start : 0)));
}

void GlyphEditor::ReplaceSelection(const std::string& text) {
  HWND editor = Ensure();
  // Pasted like typed text: never between a glyph and its line break.
  if (!text.empty()) {
    BeforeTypedCharacter(editor);
  } else {
    SetInsertionFormat(editor, RunKind::kText);
  }
  const LONG start = Selection(editor).cpMin;
  SendMessageW(editor, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(Utf8ToWide(text).c_str()));
  const LONG end = Selection(editor).cpMax;
  // Pasted text comes in unformatted; glyphs in it keep their look.
  if (end > start) FormatGlyphs(editor, start, end);
}

void GlyphEditor::SetPictures(std::vector<std::string> files) {
  if (files.empty() && pictures_.empty()) return;  // a plain entry after a plain entry
  pictures_.Set(std::move(files));
  if (HWND editor = pending_ ? nullptr : hwnd()) InvalidateRect(editor, nullptr, FALSE);
}

bool GlyphEditor::CanUndo(bool redo) {
  HWND editor = pending_ ? nullptr : hwnd();
  return editor && SendMessageW(editor, redo ? EM_CANREDO : EM_CANUNDO, 0, 0) != 0;
}

void GlyphEditor::Undo(bool redo) {
  HWND editor = Ensure();
  if (!editor) return;
  // Nothing else: a format set on what the step selected would recolour links, pictures
  // and glyphs in it. What is typed next gets its format as it is typed.
  SendMessageW(editor, redo ? EM_REDO : EM_UNDO, 0, 0);
  typed_end_ = -1;
}

void GlyphEditor::Select(std::size_t start, std::size_t length) {
  if (pending_) {
    // Clamped to the text. The control may keep one more position for its final paragraph
    // mark; the model selects only within the text.
    const auto end = static_cast<LONG>(Utf16Length(GlyphTextAsEditorText(pending_text_)));
    pending_start_ = std::min(static_cast<LONG>(start), end);
    pending_end_ = std::min(static_cast<LONG>(start + length), end);
    return;
  }
  SelectRange(hwnd(), static_cast<LONG>(start), static_cast<LONG>(start + length));
}

LRESULT CALLBACK GlyphEditor::SubclassProc(HWND control, UINT message, WPARAM wparam, LPARAM lparam,
                                           UINT_PTR id, DWORD_PTR data) {
  auto* self = reinterpret_cast<GlyphEditor*>(data);
  if (message == WM_NCDESTROY) RemoveWindowSubclass(control, SubclassProc, id);
  if (!self->pictures_.empty() && !self->replacing_ &&
      (message == WM_PAINT || message == WM_KEYUP || message == WM_LBUTTONUP ||
       (message == WM_MOUSEMOVE && (wparam & MK_LBUTTON)))) {
    // The control paints what it changes, a selection among it, at once: the pictures go
    // over their marks again afterwards.
    const LRESULT result = DefSubclassProc(control, message, wparam, lparam);
    try {
      self->pictures_.Paint(control, GetSysColor(self->window_colour_ ? COLOR_WINDOW
                                                                      : COLOR_BTNFACE));
    } catch (...) {
      // Out of memory for a picture: its mark stays as the control painted it.
    }
    return result;
  }
  LRESULT result = 0;
  try {
    if (self->HandleMessage(control, message, wparam, &result)) return result;
  } catch (...) {
    // As in a window procedure: the event is lost, nothing unwinds into the system.
  }
  return DefSubclassProc(control, message, wparam, lparam);
}

bool GlyphEditor::HandleMessage(HWND control, UINT message, WPARAM wparam, LRESULT* result) {
  if (replacing_) return false;
  const bool ctrl = KeyDown(VK_CONTROL), shift = KeyDown(VK_SHIFT), alt = KeyDown(VK_MENU);
  switch (message) {
    case WM_GETDLGCODE:
      // Enter and Tab belong to the editor: they are recorded, not used to leave it.
      *result = DLGC_WANTALLKEYS | DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_HASSETSEL;
      return true;
    case WM_LBUTTONDOWN:
      // The user is back in the editor, not just the focus restored after a message box.
      if (model_) model_->OnEditorUsed();
      return false;
    case WM_KEYDOWN: {
      if (model_) model_->OnEditorUsed();
      if (wparam == VK_TAB && ctrl && !alt) {
        // Tab is recorded; Ctrl+Tab and Ctrl+Shift+Tab leave the editor as Tab would elsewhere.
        if (HWND next = GetNextDlgTabItem(place_.parent, control, shift ? TRUE : FALSE)) {
          SetFocus(next);
          // An edit field is entered with its text selected, as Tab does.
          if (SendMessageW(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) {
            SendMessageW(next, EM_SETSEL, 0, -1);
          }
        }
        return true;
      }
      if (wparam == VK_RETURN || wparam == VK_TAB) {
        RecordKey(control, wparam == VK_RETURN);
        typed_end_ = -1;
        return true;
      }
      // Clipboard keys take the same way as the menu's commands, so that glyphs travel as
      // glyphs and pasted text comes in unformatted.
      const QuilletCommand command = ClipboardKeyCommand(wparam, ctrl, shift, alt);
      if (model_ && command != QuilletCommand::kNone) {
        model_->OnEditCommand(command);
        return true;
      }
      // The format and find keys take the way of their menu items, whatever the control
      // would do.
      const QuilletCommand format = FormatKeyCommand(wparam, ctrl, shift, alt);
      if (model_ && format != QuilletCommand::kNone) {
        IsEditCommand(format) ? model_->OnEditCommand(format) : model_->OnFormatCommand(format);
        return true;
      }
      return false;
    }
    case WM_CHAR:
      // The characters of Enter, Ctrl+Enter and Tab were recorded as glyphs at WM_KEYDOWN;
      // those of Ctrl+B, K and U (Ctrl+I's is a Tab) were format commands, Ctrl+F's a search.
      if (wparam == '\r' || wparam == '\n' || wparam == '\t' || wparam == 0x02 ||
          wparam == 0x0B || wparam == 0x15 || wparam == 0x06) {
        return true;
      }
      if (wparam >= 0x20) {
        // The control groups typing into one undo step even where the caret was moved
        // between (Wine's does): typing somewhere else is a step of its own.
        const CHARRANGE at = Selection(control);
        if (at.cpMin != typed_end_ || at.cpMax != typed_end_) {
          SendMessageW(control, EM_STOPGROUPTYPING, 0, 0);
        }
        BeforeTypedCharacter(control);
        typed_end_ = Selection(control).cpMin + 1;
      }
      return false;
    case WM_PASTE:
      if (model_) model_->OnEditCommand(QuilletCommand::kEditPaste);
      return true;
    case WM_KILLFOCUS:
      if (model_) model_->OnEditorLostFocus();
      return false;
    case WM_RBUTTONDOWN:
      if (!ctrl && !shift && !alt && model_) {
        SetFocus(control);  // the commands act on the editor, so it takes the focus
        model_->UpdateControlStates();
        POINT p{};
        GetCursorPos(&p);
        TrackPopupMenu(context_menu_, TPM_LEFTALIGN | TPM_RIGHTBUTTON, p.x, p.y, 0, place_.parent,
                       nullptr);
        return true;
      }
      return false;
    default:
      return false;
  }
}

}  // namespace qm
