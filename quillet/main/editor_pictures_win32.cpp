// The snippet editor's pictures painted over their marks.
#include "quillet/main/editor_pictures_win32.h"

#include <richedit.h>
#include <richole.h>
#include <tom.h>

#include <algorithm>
#include <utility>

#include "platform/com_ref_win32.h"
#include "platform/picture_codec_win32.h"
#include "quillet/main/editor_control_win32.h"
#include "quillet/main/editor_format.h"
#include "rich/rich_html.h"

namespace qm {
namespace {

constexpr IID kIidTextDocument = {
    0x8cc497c0, 0xa1df, 0x11ce, {0x80, 0x98, 0x00, 0xaa, 0x00, 0x47, 0xbe, 0x5d}};

// The text object model of the control, which tells a character's colour without moving
// the selection (moving it while painting would paint again).
bool TextDocument(HWND editor, ComRef<ITextDocument>* doc) {
  ComRef<IRichEditOle> ole;
  SendMessageW(editor, EM_GETOLEINTERFACE, 0, reinterpret_cast<LPARAM>(ole.out()));
  return ole && SUCCEEDED(ole->QueryInterface(kIidTextDocument, doc->out_void())) && *doc;
}

// The picture whose mark stands at `at`, by its colour; -1 for none.
long PictureAt(ITextDocument* doc, LONG at, std::size_t count) {
  ComRef<ITextRange> range;
  ComRef<ITextFont> font;
  long colour = -1;
  const bool read = SUCCEEDED(doc->Range(at, at + 1, range.out())) && range &&
                    SUCCEEDED(range->GetFont(font.out())) && font &&
                    SUCCEEDED(font->GetForeColor(&colour));
  const auto rgb = static_cast<std::uint32_t>(colour);
  if (!read || colour < 0 || (rgb & 0xFFFF) != (PictureColour(0) & 0xFFFF)) return -1;
  return (rgb >> 16) < count ? static_cast<long>(rgb >> 16) : -1;
}

POINTL PositionOf(HWND editor, LONG at) {
  POINTL p{};
  SendMessageW(editor, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&p), at);
  return p;
}

}  // namespace

void EditorPictures::Set(std::vector<std::string> files) {
  files_ = std::move(files);
  shown_.assign(files_.size(), {});
}

void EditorPictures::Paint(HWND editor, COLORREF background) {
  if (files_.empty() || !editor) return;
  const std::wstring text = editor_control::Text(editor);
  if (text.find(static_cast<wchar_t>(kPictureMark)) == std::wstring::npos) return;
  RECT client{};
  GetClientRect(editor, &client);
  POINTL top_left{0, 0}, bottom_right{client.right, client.bottom};
  const auto first = static_cast<LONG>(
      SendMessageW(editor, EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&top_left)));
  const auto last = static_cast<LONG>(
      SendMessageW(editor, EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&bottom_right)));
  ComRef<ITextDocument> doc;
  if (!TextDocument(editor, &doc)) return;
  // Drawn beside the control's own painting: its caret must not leave a trace.
  HideCaret(editor);
  HDC dc = GetDC(editor);
  const int height = MulDiv(kPictureMarkPoints, GetDeviceCaps(dc, LOGPIXELSY), 72);
  const CHARRANGE selection = editor_control::Selection(editor);
  const LONG end = std::min<LONG>(last + 1, static_cast<LONG>(text.size()));
  for (LONG i = std::max<LONG>(first, 0); i < end; ++i) {
    if (text[static_cast<std::size_t>(i)] != static_cast<wchar_t>(kPictureMark)) continue;
    const long index = PictureAt(doc.get(), i, files_.size());
    if (index < 0) continue;
    // The glyph's own box, or, where the mark ends its line, the line's free room.
    const POINTL at = PositionOf(editor, i), next = PositionOf(editor, i + 1);
    const std::size_t after = static_cast<std::size_t>(i) + 1;
    const bool ends_line = after >= text.size() || text[after] == L'\r';
    const LONG right = ends_line ? std::max<LONG>(client.right - 2, at.x + height)
                       : next.y == at.y && next.x > at.x ? next.x
                                                         : at.x + height;
    const RECT room{at.x, at.y, right, at.y + height};
    const RECT glyph{at.x, at.y, next.y == at.y && next.x > at.x ? next.x : at.x, at.y + height};
    Draw(dc, room, glyph, static_cast<std::size_t>(index), background,
         i >= selection.cpMin && i < selection.cpMax);
  }
  ReleaseDC(editor, dc);
  ShowCaret(editor);
}

void EditorPictures::Draw(HDC dc, const RECT& box, const RECT& glyph, std::size_t index,
                          COLORREF background, bool selected) {
  int picture_width = 0, picture_height = 0;
  const std::string& file = files_[index];
  // A picture that claims more pixels than a screen's worth is left as its mark: decoding it
  // whole would take the memory of a thousand.
  if (!PictureSize(file, &picture_width, &picture_height) ||
      static_cast<long long>(picture_width) * picture_height > 16LL * 1024 * 1024) {
    return;
  }
  const int box_width = box.right - box.left, box_height = box.bottom - box.top;
  // Fitted into the box, never enlarged.
  const double scale = std::min({1.0, static_cast<double>(box_width) / picture_width,
                                 static_cast<double>(box_height) / picture_height});
  const int width = std::max(1, static_cast<int>(picture_width * scale));
  const int height = std::max(1, static_cast<int>(picture_height * scale));
  Shown& shown = shown_[index];
  if (!shown.tried || shown.width != width || shown.height != height) {
    shown = {width, height, DecodePicture(file, static_cast<UINT>(width),
                                          static_cast<UINT>(height)), true};
  }
  if (shown.pixels.empty()) return;  // the mark stays as it is
  // Laid on the background: each channel is the picture's plus what its alpha leaves over.
  std::vector<std::uint32_t> rows(shown.pixels.size());
  const std::uint32_t bg[3] = {GetBValue(background), GetGValue(background),
                               GetRValue(background)};
  for (std::size_t p = 0; p < rows.size(); ++p) {
    const std::uint32_t px = shown.pixels[p], left = 255 - (px >> 24);
    std::uint32_t out = 0;
    for (int c = 0; c < 3; ++c) {
      const std::uint32_t v = ((px >> (8 * c)) & 0xFF) + (bg[c] * left + 127) / 255;
      out |= std::min<std::uint32_t>(v, 255) << (8 * c);
    }
    rows[p] = out;
  }
  // The glyph goes; the picture covers its own place whole.
  HBRUSH brush = CreateSolidBrush(background);
  FillRect(dc, &glyph, brush);
  DeleteObject(brush);
  const BITMAPINFO info = TopDownBitmapInfo(width, height, 32);
  const int x = box.left, y = box.bottom - height;
  SetDIBitsToDevice(dc, x, y, static_cast<DWORD>(width), static_cast<DWORD>(height), 0, 0, 0,
                    static_cast<UINT>(height), rows.data(), &info, DIB_RGB_COLORS);
  if (selected) {
    // A selected picture is framed in the selection's colour.
    RECT frame{x - 1, y - 1, x + width + 1, y + height + 1};
    FrameRect(dc, &frame, GetSysColorBrush(COLOR_HIGHLIGHT));
  }
}

}  // namespace qm
