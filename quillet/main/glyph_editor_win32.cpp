// The snippet editor as a rich edit control: glyph formatting, key recording, late creation.
#include "quillet/main/glyph_editor_win32.h"

#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <utility>

#include "platform/utf16_win32.h"
#include "quillet/main/glyph_text.h"
#include "quillet/main/main_model.h"
#include "ui/window_layout_win32.h"

namespace qm {
namespace {

constexpr UINT_PTR kEditorSubclass = 1;
constexpr DWORD kEditorStyle = ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | ES_NOHIDESEL |
                               WS_VSCROLL | WS_TABSTOP | WS_GROUP;

bool KeyDown(int vk) {
  return (GetKeyState(vk) & 0x8000) != 0;
}

// The insertion format of the editor: glyph fonts and colours, or plain text.
void SetInsertionFormat(HWND editor, RunKind kind) {
  CHARFORMAT2W cf{};
  cf.cbSize = sizeof cf;
  cf.dwMask = CFM_FACE | CFM_COLOR | CFM_CHARSET;
  cf.crTextColor = kind == RunKind::kEnter ? RGB(255, 0, 0)
                   : kind == RunKind::kTab ? RGB(0, 0, 255)
                                           : RGB(0, 0, 0);
  cf.bCharSet = kind == RunKind::kText ? DEFAULT_CHARSET : SYMBOL_CHARSET;
  lstrcpynW(cf.szFaceName, kind == RunKind::kText ? L"Arial" : L"Wingdings", LF_FACESIZE);
  SendMessageW(editor, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
}

CHARRANGE Selection(HWND editor) {
  CHARRANGE range{};
  SendMessageW(editor, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
  return range;
}

void SelectRange(HWND editor, LONG start, LONG end) {
  CHARRANGE range{start, end};
  SendMessageW(editor, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
}

std::wstring EditorTextW(HWND editor) {
  GETTEXTLENGTHEX length{GTL_NUMCHARS | GTL_PRECISE, 1200};
  const auto units = static_cast<LONG>(
      SendMessageW(editor, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0));
  std::wstring text(static_cast<std::size_t>(std::max<LONG>(units, 0)) + 1, L'\0');
  GETTEXTEX get{};
  get.cb = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  get.flags = GT_DEFAULT;
  get.codepage = 1200;
  const auto got = SendMessageW(editor, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get),
                                reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(std::max<LRESULT>(got, 0)));
  return text;
}

// The caret moved off a position between a glyph and the line break that follows it.
LONG CaretPastGlyph(HWND editor, LONG caret) {
  const std::wstring text = EditorTextW(editor);
  return static_cast<LONG>(SkipControlGlyph(
      std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()),
      static_cast<std::size_t>(caret)));
}

// Gives every glyph in [start, end) its font and colour, and the rest plain text's.
void FormatGlyphs(HWND editor, LONG start, LONG end) {
  const std::wstring text = EditorTextW(editor);
  const CHARRANGE keep = Selection(editor);
  SelectRange(editor, start, end);
  SetInsertionFormat(editor, RunKind::kText);
  for (LONG i = start; i < end && i < static_cast<LONG>(text.size()); ++i) {
    const wchar_t ch = text[static_cast<std::size_t>(i)];
    if (ch == kEnterGlyph || ch == kTabGlyph) {
      SelectRange(editor, i, i + 1);
      SetInsertionFormat(editor, ch == kEnterGlyph ? RunKind::kEnter : RunKind::kTab);
    }
  }
  SelectRange(editor, keep.cpMin, keep.cpMax);
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

void BeforeTypedCharacter(HWND editor) {
  const CHARRANGE sel = Selection(editor);
  if (sel.cpMin == sel.cpMax) {
    const LONG caret = CaretPastGlyph(editor, sel.cpMin);
    if (caret != sel.cpMin) SelectRange(editor, caret, caret);
  }
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

DWORD CALLBACK StreamFromString(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* read) {
  auto* source = reinterpret_cast<std::pair<const std::string*, std::size_t>*>(cookie);
  const std::size_t left = source->first->size() - source->second;
  const std::size_t n = std::min(left, static_cast<std::size_t>(size));
  std::copy_n(source->first->data() + source->second, n, buffer);
  source->second += n;
  *read = static_cast<LONG>(n);
  return 0;
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
  if (!pending_text_.empty()) Fill(editor, pending_text_, pending_start_);
  SelectRange(editor, pending_start_, pending_end_);
  pending_text_.clear();
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

void GlyphEditor::Fill(HWND editor, const std::string& glyph_text, LONG caret) {
  // The whole snippet in one step, as rich text, so that a long one appears at once.
  const std::string rtf = GlyphTextToRtf(glyph_text);
  std::pair<const std::string*, std::size_t> source{&rtf, 0};
  EDITSTREAM stream{};
  stream.dwCookie = reinterpret_cast<DWORD_PTR>(&source);
  stream.pfnCallback = StreamFromString;
  SendMessageW(editor, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
  SelectRange(editor, caret, caret);
  SetInsertionFormat(editor, RunKind::kText);
  SendMessageW(editor, EM_SETMODIFY, FALSE, 0);
  SendMessageW(editor, EM_EMPTYUNDOBUFFER, 0, 0);
}

std::string GlyphEditor::Text() {
  // Unseen, the editor holds exactly what it was given: the program asks for its text
  // whenever it stores pending edits, which should not load the control.
  if (pending_) return GlyphTextAsEditorText(pending_text_);
  return WideToUtf8(EditorTextW(hwnd()));
}

void GlyphEditor::ShowGlyphText(const std::string& glyph_text) {
  if (pending_) {
    // The control clamps the caret it keeps to the new text's end; so does this.
    const auto length = static_cast<LONG>(Utf16Length(GlyphTextAsEditorText(glyph_text)));
    pending_text_ = glyph_text;
    pending_start_ = pending_end_ = std::min(pending_start_, length);
    return;
  }
  const CHARRANGE before = Selection(hwnd());
  HWND editor = Replace();
  if (!editor) return;
  Fill(editor, glyph_text, before.cpMin);
}

void GlyphEditor::Clear() {
  if (pending_) {
    pending_text_.clear();
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
  const std::wstring text = EditorTextW(editor);
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
      if (wparam == VK_RETURN || wparam == VK_TAB) {
        RecordKey(control, wparam == VK_RETURN);
        return true;
      }
      // Clipboard keys take the same way as the menu's commands, so that glyphs travel as
      // glyphs and pasted text comes in unformatted.
      const QuilletCommand command = ClipboardKeyCommand(wparam, ctrl, shift, alt);
      if (model_ && command != QuilletCommand::kNone) {
        model_->OnEditCommand(command);
        return true;
      }
      return false;
    }
    case WM_CHAR:
      // The characters of Enter, Ctrl+Enter and Tab were recorded as glyphs at WM_KEYDOWN.
      if (wparam == '\r' || wparam == '\n' || wparam == '\t') return true;
      if (wparam >= 0x20) BeforeTypedCharacter(control);
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
