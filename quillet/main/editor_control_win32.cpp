// The snippet editor's rich edit control at the level of its messages.
#include "quillet/main/editor_control_win32.h"

#include <algorithm>
#include <utility>

#include "quillet/main/editor_format.h"
#include "rich/rtf_reader.h"

namespace qm::editor_control {
namespace {

DWORD CALLBACK StreamFromString(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* read) {
  auto* source = reinterpret_cast<std::pair<const std::string*, std::size_t>*>(cookie);
  const std::size_t left = source->first->size() - source->second;
  const std::size_t n = std::min(left, static_cast<std::size_t>(size));
  std::copy_n(source->first->data() + source->second, n, buffer);
  source->second += n;
  *read = static_cast<LONG>(n);
  return 0;
}

DWORD CALLBACK StreamToString(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* written) {
  reinterpret_cast<std::string*>(cookie)->append(reinterpret_cast<const char*>(buffer),
                                                 static_cast<std::size_t>(size));
  *written = size;
  return 0;
}

CHARFORMAT2W CharFormatAt(HWND editor, LONG start, LONG end) {
  SelectRange(editor, start, end);
  CHARFORMAT2W cf{};
  cf.cbSize = sizeof cf;
  SendMessageW(editor, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
  return cf;
}

bool InLinkColour(const CHARFORMAT2W& cf) {
  return (cf.dwMask & CFM_COLOR) && !(cf.dwEffects & CFE_AUTOCOLOR) &&
         IsLinkColour(cf.crTextColor);
}

// The format text is typed in: Arial in black and in the text's size, no symbol font.
bool IsPlainTextFormat(const CHARFORMAT2W& cf) {
  const DWORD need = CFM_FACE | CFM_COLOR | CFM_CHARSET | CFM_SIZE;
  return (cf.dwMask & need) == need && !(cf.dwEffects & CFE_AUTOCOLOR) &&
         cf.crTextColor == RGB(0, 0, 0) && cf.bCharSet != SYMBOL_CHARSET && cf.yHeight == 200 &&
         lstrcmpiW(cf.szFaceName, L"Arial") == 0;
}

}  // namespace

CHARRANGE Selection(HWND editor) {
  CHARRANGE range{};
  SendMessageW(editor, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
  return range;
}

void SelectRange(HWND editor, LONG start, LONG end) {
  CHARRANGE range{start, end};
  SendMessageW(editor, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
}

std::wstring Text(HWND editor) {
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

CHARFORMAT2W TextFormat(COLORREF colour) {
  CHARFORMAT2W cf{};
  cf.cbSize = sizeof cf;
  cf.dwMask = CFM_FACE | CFM_COLOR | CFM_CHARSET | CFM_SIZE;
  cf.crTextColor = colour;
  cf.yHeight = 200;  // 10 points in twips, as the editor's text is shown
  cf.bCharSet = DEFAULT_CHARSET;
  lstrcpynW(cf.szFaceName, L"Arial", LF_FACESIZE);
  return cf;
}

void SetInsertionFormat(HWND editor, RunKind kind) {
  CHARFORMAT2W cf = TextFormat(kind == RunKind::kEnter ? RGB(255, 0, 0)
                               : kind == RunKind::kTab ? RGB(0, 0, 255)
                                                       : RGB(0, 0, 0));
  if (kind != RunKind::kText) {
    cf.bCharSet = SYMBOL_CHARSET;
    lstrcpynW(cf.szFaceName, L"Wingdings", LF_FACESIZE);
  }
  SendMessageW(editor, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
}

LONG CaretPastGlyph(HWND editor, LONG caret) {
  const std::wstring text = Text(editor);
  return static_cast<LONG>(SkipControlGlyph(
      std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()),
      static_cast<std::size_t>(caret)));
}

void FormatGlyphs(HWND editor, LONG start, LONG end) {
  const std::wstring text = Text(editor);
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

void FormatTextRuns(HWND editor, LONG start, LONG end, const CHARFORMAT2W& cf) {
  const std::wstring text = Text(editor);
  const CHARRANGE keep = Selection(editor);
  POINT scroll{};
  SendMessageW(editor, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scroll));
  SendMessageW(editor, WM_SETREDRAW, FALSE, 0);
  end = std::min(end, static_cast<LONG>(text.size()));
  LONG run = start;
  for (LONG i = start; i <= end; ++i) {
    const wchar_t ch = i < end ? text[static_cast<std::size_t>(i)] : L'\r';
    if (ch != kEnterGlyph && ch != kTabGlyph && ch != kPictureMark && ch != L'\r') continue;
    if (i > run) {
      SelectRange(editor, run, i);
      SendMessageW(editor, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    }
    run = i + 1;
  }
  SelectRange(editor, keep.cpMin, keep.cpMax);
  SendMessageW(editor, EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scroll));
  SendMessageW(editor, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(editor, nullptr, TRUE);
}

void BeforeTypedCharacter(HWND editor) {
  CHARRANGE sel = Selection(editor);
  if (sel.cpMin == sel.cpMax) {
    const LONG caret = CaretPastGlyph(editor, sel.cpMin);
    if (caret != sel.cpMin) SelectRange(editor, caret, caret);
    sel = Selection(editor);
  }
  CHARFORMAT2W now{};
  now.cbSize = sizeof now;
  SendMessageW(editor, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&now));
  if (InLinkColour(now)) {
    // Inside a link what is typed belongs to it; behind its end it does not.
    const CHARFORMAT2W next = CharFormatAt(editor, sel.cpMax, sel.cpMax + 1);
    SelectRange(editor, sel.cpMin, sel.cpMax);
    if (InLinkColour(next) && next.crTextColor == now.crTextColor) return;
    CHARFORMAT2W plain = TextFormat();
    plain.dwMask |= CFM_UNDERLINE;
    SendMessageW(editor, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&plain));
    return;
  }
  // Setting a format ends the control's undo group: text typed in the text's own format is
  // left alone, so that Ctrl+Z takes back a typed word, not a letter.
  if (!IsPlainTextFormat(now)) SetInsertionFormat(editor, RunKind::kText);
}

void StreamIn(HWND editor, const std::string& rtf) {
  std::pair<const std::string*, std::size_t> source{&rtf, 0};
  EDITSTREAM stream{};
  stream.dwCookie = reinterpret_cast<DWORD_PTR>(&source);
  stream.pfnCallback = StreamFromString;
  SendMessageW(editor, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
  if (rtf.find("\\pn") == std::string::npos) return;
  std::vector<bool> listed;
  for (const RtfRun& run : ReadRtf(rtf)) {
    if (run.kind == RtfRun::Kind::kParagraphEnd) listed.push_back(run.list != RtfList::kNone);
  }
  // Each stretch of paragraphs outside a list, at once.
  const std::wstring text = Text(editor);
  PARAFORMAT2 none{};
  none.cbSize = sizeof none;
  none.dwMask = PFM_NUMBERING | PFM_STARTINDENT | PFM_OFFSET;
  std::size_t paragraph = 0;
  LONG stretch = -1, start = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && text[i] != L'\r') continue;
    const bool in_list = paragraph < listed.size() && listed[paragraph];
    if (!in_list && stretch < 0) stretch = start;
    if ((in_list || i == text.size()) && stretch >= 0) {
      const LONG end = in_list ? start : static_cast<LONG>(i);
      SelectRange(editor, stretch, std::max(stretch, end - 1));
      PARAFORMAT2 now{};
      now.cbSize = sizeof now;
      SendMessageW(editor, EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&now));
      if (!(now.dwMask & PFM_NUMBERING) || now.wNumbering != 0) {
        SendMessageW(editor, EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&none));
      }
      stretch = -1;
    }
    ++paragraph;
    start = static_cast<LONG>(i) + 1;
  }
  SelectRange(editor, 0, 0);
}

std::string StreamOut(HWND editor) {
  std::string rtf;
  EDITSTREAM stream{};
  stream.dwCookie = reinterpret_cast<DWORD_PTR>(&rtf);
  stream.pfnCallback = StreamToString;
  SendMessageW(editor, EM_STREAMOUT, SF_RTF, reinterpret_cast<LPARAM>(&stream));
  return rtf;
}

}  // namespace qm::editor_control
