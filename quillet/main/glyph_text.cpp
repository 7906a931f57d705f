// The editor's display form of a snippet and its conversions.
#include "quillet/main/glyph_text.h"

#include "text/utf.h"
#include "store/stored_text.h"

namespace qm {
namespace {

bool IsGlyph(char16_t unit) {
  return unit == kEnterGlyph || unit == kTabGlyph;
}

}  // namespace

void AppendRtfChars(std::string& rtf, std::string_view utf8) {
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    const char32_t cp = NextCodePoint(utf8, pos);
    if (cp == '\\' || cp == '{' || cp == '}') {
      rtf += '\\';
      rtf += static_cast<char>(cp);
    } else if (cp >= 0x20 && cp < 0x80) {
      rtf += static_cast<char>(cp);
    } else {
      // \uN takes a signed 16-bit number; "?" is what a reader without Unicode shows.
      std::u16string units;
      std::string one;
      AppendUtf8(one, cp);
      Utf8ToUtf16(one, units);
      for (char16_t u : units) {
        rtf += "\\u" + std::to_string(static_cast<int>(static_cast<std::int16_t>(u))) + "?";
      }
    }
  }
}

std::string StoredToGlyphs(std::string_view stored) {
  const std::string plain = UnescapeStoredText(stored);
  std::string out;
  out.reserve(plain.size() + plain.size() / 8);
  for (char ch : plain) {
    if (ch == '\r') {
      out += kEnterGlyphUtf8;
    } else if (ch == '\t') {
      out += kTabGlyphUtf8;
    } else {
      out += ch;
    }
  }
  return out;
}

std::string EditorToStored(std::string_view editor_text) {
  static const std::string enter = kEnterGlyphUtf8, tab = kTabGlyphUtf8;
  std::string plain;
  plain.reserve(editor_text.size());
  for (std::size_t i = 0; i < editor_text.size(); ++i) {
    const char ch = editor_text[i];
    if (ch == '\r') {
      if (i + 1 < editor_text.size() && editor_text[i + 1] == '\n') ++i;
    } else if (editor_text.compare(i, enter.size(), enter) == 0) {
      plain += '\r';
      i += enter.size() - 1;
    } else if (editor_text.compare(i, tab.size(), tab) == 0) {
      plain += '\t';
      i += tab.size() - 1;
    } else {
      plain += ch;
    }
  }
  return EscapeStoredText(plain);
}

std::string PastedTextToEditorText(std::string_view pasted) {
  static const std::string enter = kEnterGlyphUtf8, tab = kTabGlyphUtf8;
  std::string out;
  out.reserve(pasted.size() + pasted.size() / 8);
  for (std::size_t i = 0; i < pasted.size(); ++i) {
    const char ch = pasted[i];
    const bool glyph = pasted.compare(i, enter.size(), enter) == 0 ||
                       pasted.compare(i, tab.size(), tab) == 0;
    if (ch == '\r' || ch == '\n') {
      if (ch == '\r' && i + 1 < pasted.size() && pasted[i + 1] == '\n') ++i;
      out += enter;
    } else if (ch == '\t') {
      out += tab;
    } else if (glyph) {
      out.append(pasted.substr(i, enter.size()));
      i += enter.size() - 1;
      // A glyph copied from the editor brings its own line break along.
      if (i + 1 < pasted.size() && (pasted[i + 1] == '\r' || pasted[i + 1] == '\n')) {
        ++i;
        if (pasted[i] == '\r' && i + 1 < pasted.size() && pasted[i + 1] == '\n') ++i;
      }
    } else {
      out += ch;
      continue;
    }
    out += '\r';
  }
  return out;
}

std::vector<DisplayRun> DisplayRuns(std::string_view glyph_text) {
  static const std::string enter = kEnterGlyphUtf8, tab = kTabGlyphUtf8;
  std::vector<DisplayRun> runs;
  std::string text;
  auto flush = [&] {
    if (!text.empty()) runs.push_back({RunKind::kText, std::move(text)});
    text.clear();
  };
  for (std::size_t i = 0; i < glyph_text.size(); ++i) {
    if (glyph_text[i] == '\r' && i + 1 < glyph_text.size() && glyph_text[i + 1] == '\n') {
      ++i;  // a line break in a glyph text carries nothing
    } else if (glyph_text.compare(i, enter.size(), enter) == 0) {
      flush();
      runs.push_back({RunKind::kEnter, enter});
      i += enter.size() - 1;
    } else if (glyph_text.compare(i, tab.size(), tab) == 0) {
      flush();
      runs.push_back({RunKind::kTab, tab});
      i += tab.size() - 1;
    } else {
      text += glyph_text[i];
    }
  }
  flush();
  return runs;
}

std::string GlyphTextAsEditorText(std::string_view glyph_text) {
  std::string text;
  for (const DisplayRun& run : DisplayRuns(glyph_text)) {
    text += run.text;
    if (run.kind != RunKind::kText) text += '\r';
  }
  // A paragraph end at the very end merges with the control's own last one, which its
  // text leaves out.
  if (!text.empty() && text.back() == '\r') text.pop_back();
  return text;
}

std::string GlyphTextToRtf(std::string_view glyph_text, int half_points) {
  std::string rtf =
      "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}"
      "{\\f1\\fnil\\fcharset2 Wingdings;}}"
      "{\\colortbl ;\\red0\\green0\\blue0;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
      "\\uc1\\pard\\f0\\cf1\\fs" +
      std::to_string(half_points) + " ";
  rtf.reserve(rtf.size() + glyph_text.size() * 2);
  for (const DisplayRun& run : DisplayRuns(glyph_text)) {
    switch (run.kind) {
      case RunKind::kText:
        AppendRtfChars(rtf, run.text);
        break;
      case RunKind::kEnter:
      case RunKind::kTab:
        rtf += run.kind == RunKind::kEnter ? "\\f1\\cf2 " : "\\f1\\cf3 ";
        AppendRtfChars(rtf, run.text);
        rtf += "\\par\\f0\\cf1 ";
        break;
    }
  }
  rtf += "}";
  return rtf;
}

std::size_t Utf16Length(std::string_view utf8) {
  std::size_t units = 0;
  for (std::size_t pos = 0; pos < utf8.size();) {
    units += NextCodePoint(utf8, pos) >= 0x10000 ? 2 : 1;
  }
  return units;
}

std::size_t SkipControlGlyph(std::u16string_view text, std::size_t caret) {
  if (caret == 0 || caret > text.size() || !IsGlyph(text[caret - 1])) return caret;
  if (caret < text.size() && text[caret] == u'\r') {
    ++caret;
    if (caret < text.size() && text[caret] == u'\n') ++caret;
  } else if (caret < text.size() && text[caret] == u'\n') {
    ++caret;
  }
  return caret;
}

std::optional<std::size_t> FindInEditorText(std::string_view text, std::string_view needle,
                                            std::size_t start) {
  if (needle.empty()) return std::nullopt;
  std::u16string hay, pattern;
  Utf8ToUtf16(FoldCase(text), hay);
  Utf8ToUtf16(FoldCase(needle), pattern);
  if (start > hay.size()) return std::nullopt;
  const std::size_t at = hay.find(pattern, start);
  if (at == std::u16string::npos) return std::nullopt;
  return at;
}

}  // namespace qm
