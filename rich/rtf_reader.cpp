// Reading the RTF a rich edit control writes: groups, character and paragraph properties,
// the font and colour tables, Unicode and code-page characters, list paragraphs, pictures.
#include "rich/rtf_reader.h"

#include <map>
#include <utility>

#include "text/utf.h"

namespace qm {
namespace {

constexpr char32_t kUnknown = 0xFFFD;

// Windows-1252's characters at 0x80..0x9F; the rest of its upper half is Latin-1.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// The code page of a font's \fcharset; 0 for a symbol font, whose bytes are its characters.
int CharsetCodePage(int charset, int ansi) {
  static const std::map<int, int> kPages = {
      {2, 0},      {128, 932},  {129, 949},  {130, 1361}, {134, 936},  {136, 950},
      {161, 1253}, {162, 1254}, {163, 1258}, {177, 1255}, {178, 1256}, {186, 1257},
      {204, 1251}, {222, 874},  {238, 1250}, {255, 437}};
  const auto it = kPages.find(charset);
  return it == kPages.end() ? ansi : it->second;
}

bool IsDoubleByte(int code_page) {
  return code_page == 932 || code_page == 936 || code_page == 949 || code_page == 950 ||
         code_page == 1361;
}

bool IsLeadByte(int code_page, unsigned char b) {
  if (code_page == 932) return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
  return b >= 0x81 && b <= 0xFE;
}

// Keywords that stand for one character.
char32_t SpecialCharacter(std::string_view word) {
  static const std::pair<const char*, char32_t> kChars[] = {
      {"tab", '\t'},          {"line", 0x0B},         {"emdash", 0x2014},    {"endash", 0x2013},
      {"emspace", 0x2003},    {"enspace", 0x2002},    {"qmspace", 0x2005},   {"bullet", 0x2022},
      {"lquote", 0x2018},     {"rquote", 0x2019},     {"ldblquote", 0x201C}, {"rdblquote", 0x201D},
      {"zwj", 0x200D},        {"zwnj", 0x200C},       {"ltrmark", 0x200E},   {"rtlmark", 0x200F}};
  for (const auto& [name, c] : kChars) {
    if (word == name) return c;
  }
  return 0;
}

// Groups whose content is never text of the control's.
bool SkippedDestination(std::string_view word) {
  static const char* const kSkipped[] = {
      "stylesheet", "info",     "pntext",    "listtext",  "nonshppict", "header",
      "footer",     "headerl",  "headerr",   "headerf",   "footerl",    "footerr",
      "footerf",    "footnote", "fldinst",   "listtable", "listoverridetable",
      "revtbl",     "filetbl",  "rsidtbl",   "xmlnstbl",  "themedata",  "generator"};
  for (const char* name : kSkipped) {
    if (word == name) return true;
  }
  return false;
}

bool IsUnderline(std::string_view word) {
  return word == "ul" || (word.size() > 2 && word.compare(0, 2, "ul") == 0 && word != "ulnone" &&
                          word != "ulc");
}

enum class Dest : unsigned char { kText, kSkip, kFonts, kColours, kList, kPicture };

struct State {
  bool bold = false, italic = false, underline = false;
  int colour = 0;  // index into the colour table
  int font = -1;
  int unicode_fallback = 1;  // \uc: bytes that stand in for each \u
  Dest dest = Dest::kText;
};

class RtfReader {
 public:
  std::vector<RtfRun> Read(std::string_view rtf) {
    in_ = rtf;
    while (pos_ < in_.size()) {
      const char c = in_[pos_++];
      if (c == '{') {
        stack_.push_back(state_);
      } else if (c == '}') {
        CloseGroup();
      } else if (c == '\\') {
        Control();
      } else if (c == '\t') {
        Put('\t');
      } else if (c != '\r' && c != '\n' && c != '\0') {
        // Wine's writer puts a NUL where it cannot name a list's bullet, and one at the end.
        Byte(static_cast<unsigned char>(c));
      }
    }
    if (!runs_.empty() && runs_.back().kind != RtfRun::Kind::kParagraphEnd) ParagraphEnd();
    return std::move(runs_);
  }

 private:
  void CloseGroup() {
    if (stack_.empty()) return;
    const bool picture_ends = state_.dest == Dest::kPicture && stack_.back().dest != Dest::kPicture;
    state_ = stack_.back();
    stack_.pop_back();
    if (picture_ends) PictureEnds();
    pending_skip_ = 0;
  }

  void Control() {
    if (pos_ >= in_.size()) return;
    const char c = in_[pos_];
    if (!IsLetter(c)) {
      ++pos_;
      Symbol(c);
      return;
    }
    const std::size_t start = pos_;
    while (pos_ < in_.size() && IsLetter(in_[pos_])) ++pos_;
    const std::string_view word = in_.substr(start, pos_ - start);
    bool has_param = false;
    long param = 0;
    bool negative = false;
    if (pos_ < in_.size() && in_[pos_] == '-') {
      negative = true;
      ++pos_;
    }
    while (pos_ < in_.size() && in_[pos_] >= '0' && in_[pos_] <= '9') {
      has_param = true;
      if (param < 100000000) param = param * 10 + (in_[pos_] - '0');
      ++pos_;
    }
    if (negative) param = -param;
    if (pos_ < in_.size() && in_[pos_] == ' ') ++pos_;
    Keyword(word, has_param, static_cast<int>(param));
  }

  static bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

  void Symbol(char c) {
    switch (c) {
      case '\'': {
        int value = 0;
        for (int i = 0; i < 2 && pos_ < in_.size(); ++i) value = value * 16 + HexValue(in_[pos_++]);
        Byte(static_cast<unsigned char>(value));
        break;
      }
      case '\\': case '{': case '}': Byte(static_cast<unsigned char>(c)); break;
      case '*': ignorable_ = true; break;
      case '~': Put(0xA0); break;
      case '-': Put(0xAD); break;
      case '_': Put(0x2011); break;
      case '\r': case '\n': if (state_.dest == Dest::kText) ParagraphEnd(); break;
      default: break;
    }
  }

  static bool IsHexDigit(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
  }
  static int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 0;
  }

  void Keyword(std::string_view word, bool has_param, int param) {
    if (word == "bin") {
      // Raw bytes follow, part of a picture or of something passed over.
      const std::size_t n = has_param && param > 0 ? static_cast<std::size_t>(param) : 0;
      const std::string_view raw = in_.substr(pos_, n);
      if (state_.dest == Dest::kPicture) picture_.text.append(raw);
      pos_ += raw.size();
      return;
    }
    if (std::exchange(ignorable_, false) && word != "pn" && word != "shppict") {
      state_.dest = Dest::kSkip;
      return;
    }
    const bool on = !has_param || param != 0;
    switch (state_.dest) {
      case Dest::kSkip:
        return;
      case Dest::kFonts:
        if (word == "f") defining_font_ = param;
        if (word == "fcharset") font_charsets_[defining_font_] = param;
        return;
      case Dest::kColours:
        if (word == "red") red_ = param, colour_given_ = true;
        if (word == "green") green_ = param, colour_given_ = true;
        if (word == "blue") blue_ = param, colour_given_ = true;
        return;
      case Dest::kList:
        if (word == "pnlvlblt") {
          list_ = RtfList::kBullet;
          bullet_level_ = true;
        } else if (word == "pnlvlcont") {
          list_ = RtfList::kNone;
        } else if (!bullet_level_ && (word == "pnlvlbody" || word == "pnlvl" || word == "pndec" ||
                                      word == "pnucrm" || word == "pnlcrm" || word == "pnucltr" ||
                                      word == "pnlcltr")) {
          list_ = RtfList::kNumber;
        }
        return;
      case Dest::kPicture:
        PictureKeyword(word, param);
        return;
      case Dest::kText:
        break;
    }
    if (word == "fonttbl") {
      state_.dest = Dest::kFonts;
    } else if (word == "colortbl") {
      state_.dest = Dest::kColours;
    } else if (word == "pn") {
      state_.dest = Dest::kList;
      list_ = RtfList::kBullet;  // until a level says otherwise
      bullet_level_ = false;
    } else if (word == "pict") {
      state_.dest = Dest::kPicture;
      picture_ = {};
      picture_.kind = RtfRun::Kind::kPicture;
      scale_x_ = scale_y_ = 100;
      nibble_ = nibbles_ = 0;
    } else if (SkippedDestination(word)) {
      state_.dest = Dest::kSkip;
    } else if (word == "par" || word == "sect" || word == "page") {
      ParagraphEnd();
    } else if (word == "pard") {
      list_ = RtfList::kNone;
    } else if (word == "plain") {
      state_.bold = state_.italic = state_.underline = false;
      state_.colour = 0;
      state_.font = default_font_;
    } else if (word == "b") {
      state_.bold = on;
    } else if (word == "i") {
      state_.italic = on;
    } else if (word == "ulnone") {
      state_.underline = false;
    } else if (IsUnderline(word)) {
      state_.underline = on;
    } else if (word == "cf") {
      state_.colour = param;
    } else if (word == "f") {
      state_.font = param;
    } else if (word == "deff") {
      default_font_ = param;
      if (state_.font < 0) state_.font = param;
    } else if (word == "ansicpg") {
      code_page_ = param;
    } else if (word == "uc") {
      state_.unicode_fallback = param >= 0 ? param : 0;
    } else if (word == "u") {
      Unicode(param);
    } else if (const char32_t c = SpecialCharacter(word)) {
      Put(c);
    }
  }

  void PictureKeyword(std::string_view word, int param) {
    if (word == "pngblip") picture_.mime = "image/png";
    if (word == "jpegblip") picture_.mime = "image/jpeg";
    if (word == "emfblip" || word == "wmetafile" || word == "dibitmap" || word == "wbitmap" ||
        word == "macpict") {
      picture_.mime.clear();
    }
    if (word == "picwgoal") picture_.width_twips = param;
    if (word == "pichgoal") picture_.height_twips = param;
    if (word == "picscalex") scale_x_ = param;
    if (word == "picscaley") scale_y_ = param;
  }

  // The control holds the picture as one character, whatever its kind.
  void PictureEnds() {
    picture_.width_twips = picture_.width_twips * scale_x_ / 100;
    picture_.height_twips = picture_.height_twips * scale_y_ / 100;
    if (picture_.mime.empty()) picture_.text.clear();
    runs_.push_back(std::move(picture_));
    picture_ = {};
  }

  // A byte of text: a character of the font's code page, or part of a picture's hex.
  void Byte(unsigned char b) {
    if (state_.dest == Dest::kColours && b == ';') ColourEnds();
    if (state_.dest == Dest::kPicture) {
      if (!IsHexDigit(b)) return;
      nibble_ = nibble_ * 16 + HexValue(static_cast<char>(b));
      if (++nibbles_ == 2) {
        picture_.text += static_cast<char>(nibble_);
        nibble_ = nibbles_ = 0;
      }
      return;
    }
    if (state_.dest != Dest::kText) return;
    if (pending_skip_ > 0) {
      --pending_skip_;
      return;
    }
    const auto charset = font_charsets_.find(state_.font);
    const int page = CharsetCodePage(charset == font_charsets_.end() ? 0 : charset->second,
                                     code_page_);
    if (lead_byte_ != 0) {
      lead_byte_ = 0;
      Put(kUnknown);
    } else if (page == 0) {
      Put(0xF000 + b);
    } else if (b < 0x80) {
      Put(b);
    } else if (IsDoubleByte(page) && IsLeadByte(page, b)) {
      lead_byte_ = b;
    } else if (page == 1252) {
      Put(b < 0xA0 ? kCp1252High[b - 0x80] : b);
    } else {
      Put(kUnknown);
    }
  }

  void Unicode(int n) {
    const auto unit = static_cast<char16_t>(n < 0 ? n + 65536 : n);
    pending_skip_ = state_.unicode_fallback;
    if (unit >= 0xD800 && unit < 0xDC00) {
      high_surrogate_ = unit;
      return;
    }
    const char16_t high = std::exchange(high_surrogate_, 0);
    if (unit >= 0xDC00 && unit < 0xE000 && high != 0) {
      Put(0x10000 + ((high - 0xD800) << 10) + (unit - 0xDC00));
    } else {
      if (high != 0) Put(kUnknown);
      Put(unit >= 0xD800 && unit < 0xE000 ? kUnknown : unit);
    }
  }

  void ColourEnds() {
    colours_.push_back(colour_given_
                           ? static_cast<std::uint32_t>(red_ + 256 * green_ + 65536 * blue_)
                           : kRtfAutoColour);
    red_ = green_ = blue_ = 0;
    colour_given_ = false;
  }

  void Put(char32_t c) {
    if (state_.dest != Dest::kText) return;
    // A high surrogate that no low one follows.
    if (high_surrogate_ != 0) {
      high_surrogate_ = 0;
      Put(kUnknown);
    }
    const std::uint32_t colour = state_.colour > 0 && state_.colour < static_cast<int>(colours_.size())
                                     ? colours_[static_cast<std::size_t>(state_.colour)]
                                     : kRtfAutoColour;
    if (runs_.empty() || runs_.back().kind != RtfRun::Kind::kText ||
        runs_.back().bold != state_.bold || runs_.back().italic != state_.italic ||
        runs_.back().underline != state_.underline || runs_.back().colour != colour) {
      RtfRun run;
      run.bold = state_.bold;
      run.italic = state_.italic;
      run.underline = state_.underline;
      run.colour = colour;
      runs_.push_back(std::move(run));
    }
    AppendUtf8(runs_.back().text, c);
  }

  void ParagraphEnd() {
    RtfRun end;
    end.kind = RtfRun::Kind::kParagraphEnd;
    end.list = list_;
    runs_.push_back(std::move(end));
  }

  std::string_view in_;
  std::size_t pos_ = 0;
  State state_;
  std::vector<State> stack_;
  bool ignorable_ = false;
  std::map<int, int> font_charsets_;
  int defining_font_ = -1, default_font_ = 0, code_page_ = 1252;
  std::vector<std::uint32_t> colours_;
  int red_ = 0, green_ = 0, blue_ = 0;
  bool colour_given_ = false;
  RtfList list_ = RtfList::kNone;
  bool bullet_level_ = false;
  int pending_skip_ = 0;
  unsigned char lead_byte_ = 0;
  char16_t high_surrogate_ = 0;
  RtfRun picture_;
  int scale_x_ = 100, scale_y_ = 100, nibble_ = 0, nibbles_ = 0;
  std::vector<RtfRun> runs_;
};

}  // namespace

std::vector<RtfRun> ReadRtf(std::string_view rtf) { return RtfReader().Read(rtf); }

}  // namespace qm
