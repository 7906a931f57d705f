// Keystroke text: escaping, building it from a plain text, and parsing it into key events.
#include "quillet/send/keystroke_text.h"

#include <algorithm>

#include "text/utf.h"

namespace qm {
namespace {

constexpr std::string_view kSpecials = "~+^%()[]{}";

bool IsSpecial(char c) {
  return kSpecials.find(c) != std::string_view::npos;
}

// One element of the notation, before a modifier is applied.
struct Key {
  bool virtual_key = false;
  std::uint16_t vk = 0;
  char32_t character = 0;  // when not a virtual key
};

class Parser {
 public:
  explicit Parser(std::string_view text) : text_(text) {
    // Most characters are one stroke of two events.
    out_.events.reserve(text.size() * 2);
    out_.stroke_ends.reserve(text.size());
  }

  KeySequence Run() {
    while (pos_ < text_.size()) {
      if (text_[pos_] == '%') {
        // Alt applies to the next key; a "%" directly before another one is dropped.
        ++pos_;
        if (pos_ >= text_.size() || text_[pos_] == '%') continue;
        const Key key = NextKey();
        if (key.virtual_key || key.character != 0) PressWithAlt(key);
        menu_open_ = true;
      } else {
        Key key = NextKey();
        const std::uint16_t vk = MnemonicKey(key);
        menu_open_ = menu_open_ && vk != 0;
        if (menu_open_) key = {true, vk, 0};
        Press(key);
      }
    }
    return std::move(out_);
  }

 private:
  Key NextKey() {
    const char c = text_[pos_];
    if (c == '~') {
      ++pos_;
      return {true, kVkReturn, 0};
    }
    if (c == '{') {
      if (MatchesTabName()) {
        pos_ += 5;
        return {true, kVkTab, 0};
      }
      // "{" + one character + "}"
      std::size_t after = pos_ + 1;
      if (after < text_.size()) {
        const char32_t inner = NextCodePoint(text_, after);
        if (after < text_.size() && text_[after] == '}') {
          pos_ = after + 1;
          return {false, 0, inner};
        }
      }
      ++pos_;
      return {false, 0, U'{'};
    }
    return {false, 0, NextCodePoint(text_, pos_)};
  }

  bool MatchesTabName() const {
    if (text_.size() - pos_ < 5) return false;
    const std::string_view name = text_.substr(pos_ + 1, 4);
    return (name[0] | 0x20) == 't' && (name[1] | 0x20) == 'a' && (name[2] | 0x20) == 'b' &&
           name[3] == '}';
  }

  void Press(const Key& key) {
    if (!key.virtual_key && key.character == 0) return;
    Emit(key);
    EndStroke();
  }

  // The virtual key of a letter, digit or blank; 0 for anything else.
  static std::uint16_t MnemonicKey(const Key& key) {
    const char32_t c = key.character;
    if (key.virtual_key) return 0;
    if (c >= 'a' && c <= 'z') return static_cast<std::uint16_t>(c - 'a' + 'A');
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ') {
      return static_cast<std::uint16_t>(c);
    }
    return 0;
  }

  void PressWithAlt(Key key) {
    // Menus react to the virtual key of a mnemonic, not to the character it types.
    if (const std::uint16_t vk = MnemonicKey(key)) key = {true, vk, 0};
    Add(KeyEvent::Kind::kVirtualKey, kVkMenu, false);
    Emit(key);
    Add(KeyEvent::Kind::kVirtualKey, kVkMenu, true);
    EndStroke();
  }

  void Emit(const Key& key) {
    if (key.virtual_key) {
      DownUp(KeyEvent::Kind::kVirtualKey, key.vk);
    } else if (key.character >= 0x10000) {
      const char32_t v = key.character - 0x10000;
      DownUp(KeyEvent::Kind::kUnicode, static_cast<std::uint16_t>(0xD800 + (v >> 10)));
      DownUp(KeyEvent::Kind::kUnicode, static_cast<std::uint16_t>(0xDC00 + (v & 0x3FF)));
    } else {
      DownUp(KeyEvent::Kind::kUnicode, static_cast<std::uint16_t>(key.character));
    }
  }

  void DownUp(KeyEvent::Kind kind, std::uint16_t code) {
    Add(kind, code, false);
    Add(kind, code, true);
  }
  void Add(KeyEvent::Kind kind, std::uint16_t code, bool up) {
    out_.events.push_back(KeyEvent{kind, code, up});
  }
  void EndStroke() { out_.stroke_ends.push_back(out_.events.size()); }

  std::string_view text_;
  std::size_t pos_ = 0;
  // After an Alt combination, letters and digits choose in the menu it opened.
  bool menu_open_ = false;
  KeySequence out_;
};

}  // namespace

std::string EscapeKeystrokeText(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  for (const char c : text) {
    if (IsSpecial(c)) {
      out += '{';
      out += c;
      out += '}';
    } else {
      out += c;
    }
  }
  return out;
}

std::string WithoutCommandCharacters(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    const bool command = (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) && c != '\r' &&
                         c != '\t' && c != '\n';
    if (!command) out += c;
  }
  return out;
}

std::string KeystrokeTextFor(std::string_view plain, bool dosbox) {
  if (dosbox) return kDosBoxKeystrokes;
  // Escaping first, so that the "~", "{" and "}" put in for CR and TAB keep their meaning.
  const std::string escaped = EscapeKeystrokeText(WithoutCommandCharacters(plain));
  std::string out;
  out.reserve(escaped.size());
  for (const char c : escaped) {
    if (c == '\r') {
      out += '~';
    } else if (c == '\t') {
      out += "{TAB}";
    } else {
      out += c;
    }
  }
  return out;
}

KeySequence ParseKeystrokes(std::string_view keystroke_text) {
  return Parser(keystroke_text).Run();
}

std::size_t InputMessages(const std::vector<KeyEvent>& events) {
  std::size_t messages = 0;
  for (const KeyEvent& e : events) {
    const bool modifier =
        e.kind == KeyEvent::Kind::kVirtualKey &&
        ((e.code >= 0x10 && e.code <= 0x12) || (e.code >= 0xA0 && e.code <= 0xA5));
    messages += e.key_up || modifier ? 1 : 2;
  }
  return messages;
}

std::vector<KeyEvent> ReleasingEvents(std::vector<KeyEvent> held) {
  std::vector<KeyEvent> out;
  const bool opens_a_menu = std::any_of(held.begin(), held.end(), [](const KeyEvent& e) {
    return e.kind == KeyEvent::Kind::kVirtualKey &&
           (e.code == kVkMenu || e.code == kVkLeftMenu || e.code == kVkRightMenu ||
            e.code == kVkLeftWin || e.code == kVkRightWin);
  });
  if (opens_a_menu) {
    out.push_back({KeyEvent::Kind::kVirtualKey, kVkUnassigned, false});
    out.push_back({KeyEvent::Kind::kVirtualKey, kVkUnassigned, true});
  }
  for (auto it = held.rbegin(); it != held.rend(); ++it) {
    out.push_back({it->kind, it->code, true});
  }
  return out;
}

}  // namespace qm
