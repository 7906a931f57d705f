// The main window's snippet editor: a rich edit control that shows Enter and Tab as coloured
// glyphs, records those keys as glyphs, keeps a formatted snippet's formatting, and may be made
// only when it is first needed.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "quillet/main/editor_pictures_win32.h"

namespace qm {

class MainModel;

class GlyphEditor {
 public:
  // How the control comes: with the window, or (for a program that starts hidden) when the
  // window is first shown or something first needs the control itself. Until then the
  // editor keeps what the model shows in it and answers for it, and the rich-edit library
  // stays unloaded.
  enum class Creation { kWithWindow, kWhenNeeded };

  // Where the control goes in its window.
  struct Place {
    HWND parent = nullptr;
    HINSTANCE instance = nullptr;
    int id = 0;
    int after_id = 0;            // the control before it in the tab order
    std::function<RECT()> rect;  // its rectangle in the parent's client area, now
  };

  GlyphEditor() = default;
  ~GlyphEditor();
  GlyphEditor(const GlyphEditor&) = delete;
  GlyphEditor& operator=(const GlyphEditor&) = delete;

  // Makes the control now, or notes that it comes when needed.
  void Create(Place place, HFONT font, Creation creation);
  // The font a control made from now on gets.
  void SetFont(HFONT font) { font_ = font; }
  // Who hears of the user's edits and commands; null while there is nobody.
  void SetModel(MainModel* model) { model_ = model; }
  // The menu the right mouse button opens on the editor.
  void SetContextMenu(HMENU menu) { context_menu_ = menu; }

  // The control, or null while it is still to come.
  HWND hwnd() const;
  // The control, made now with what it is to show if it does not exist yet.
  HWND Ensure();
  // Enabled state and background: kept for a control still to come.
  void SetPendingEnabled(bool enabled) { pending_enabled_ = enabled; }
  void SetWindowColour(bool window_colour);

  // Text positions count UTF-16 units, as the control does.
  std::string Text();
  void ShowGlyphText(const std::string& glyph_text) { ShowFormatted(glyph_text, ""); }
  // A snippet with its formatting: `rtf` the whole content ("": the glyph text's own),
  // `glyph_text` its text.
  void ShowFormatted(const std::string& glyph_text, const std::string& rtf);
  // The content as the control writes it out; empty while it can hold no formatting.
  std::string Rtf();
  // The format commands; see MainView.
  void ToggleStyle(DWORD effect);   // CFE_BOLD, CFE_ITALIC or CFE_UNDERLINE
  void ToggleList(WORD numbering);  // PFN_BULLET or PFN_ARABIC
  void MarkLink(const std::string& text, COLORREF colour);
  void InsertPictureMark(COLORREF colour);
  void ClearFormat();
  void Clear();
  std::size_t Caret();
  std::size_t SelectionLength();
  std::string SelectedText();
  void ReplaceSelection(const std::string& text);
  void Select(std::size_t start, std::size_t length);
  // The pictures' files by index, shown in place of their marks.
  void SetPictures(std::vector<std::string> files);
  // The control's undo (redo = false) or redo.
  bool CanUndo(bool redo);
  void Undo(bool redo);

 private:
  static LRESULT CALLBACK SubclassProc(HWND control, UINT message, WPARAM wparam, LPARAM lparam,
                                       UINT_PTR id, DWORD_PTR data);
  // The control's own messages; true when handled here.
  bool HandleMessage(HWND control, UINT message, WPARAM wparam, LRESULT* result);
  HWND Make(DWORD style, DWORD ex_style, const RECT& r, HWND after);
  void Prepare(HWND editor);
  void ApplyBackground(HWND editor) const;
  HWND Replace();
  void Fill(HWND editor, const std::string& glyph_text, const std::string& rtf, LONG caret);
  // The control, made if need be, about to be formatted.
  HWND Formatting();

  Place place_;
  HFONT font_ = nullptr;
  HMODULE richedit_ = nullptr;
  MainModel* model_ = nullptr;
  HMENU context_menu_ = nullptr;
  bool window_colour_ = false;
  bool replacing_ = false;
  EditorPictures pictures_;
  // Where the last typed character left the caret: typing elsewhere starts a new undo step.
  LONG typed_end_ = -1;
  // Until the control exists: what it is to show, its selection and whether it is enabled.
  bool pending_ = false;
  std::string pending_text_;  // glyph text
  std::string pending_rtf_;
  // Shown with formatting, or formatted since: only then is its RTF worth reading.
  bool formatted_ = false;
  LONG pending_start_ = 0, pending_end_ = 0;
  bool pending_enabled_ = true;
};

}  // namespace qm
