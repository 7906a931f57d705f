// Keystroke text: the notation a snippet is typed in, how a plain text becomes it, and how it
// becomes key events.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/keyboard.h"

namespace qm {

// Virtual keys the notation produces.
inline constexpr std::uint16_t kVkBack = 0x08;  // Backspace
inline constexpr std::uint16_t kVkTab = 0x09;
inline constexpr std::uint16_t kVkReturn = 0x0D;
inline constexpr std::uint16_t kVkMenu = 0x12;  // Alt
inline constexpr std::uint16_t kVkSpace = 0x20;
inline constexpr std::uint16_t kVkLeft = 0x25;   // the caret one character back
inline constexpr std::uint16_t kVkRight = 0x27;  // and on
// Alt and the Windows keys, as the keyboard reports them held.
inline constexpr std::uint16_t kVkLeftWin = 0x5B;
inline constexpr std::uint16_t kVkRightWin = 0x5C;
inline constexpr std::uint16_t kVkLeftMenu = 0xA4;
inline constexpr std::uint16_t kVkRightMenu = 0xA5;
// A virtual key that no keyboard has and no program acts on.
inline constexpr std::uint16_t kVkUnassigned = 0xE8;

// Alt+Space opens the target's system menu, B its edit menu, E the paste command in it.
inline constexpr const char* kDosBoxKeystrokes = "% BE";

// Each of ~ + ^ % ( ) [ ] { } becomes "{", the character, "}"; everything else is copied.
std::string EscapeKeystrokeText(std::string_view text);

// `text` without the control characters that edit fields take as commands (Ctrl+H as
// Backspace, Ctrl+V as Paste, Ctrl+Z as Undo, DEL as Ctrl+Backspace): every one from U+0000
// to U+001F and U+007F except CR, Tab and LF, which a stored text may carry on purpose.
std::string WithoutCommandCharacters(std::string_view text);

// The keystroke text that types `plain`, without its command characters: escaped, then CR as
// "~" and TAB as "{TAB}". In DOS-box mode the text goes through the clipboard, so the
// keystrokes are only the paste command of the system menu.
std::string KeystrokeTextFor(std::string_view plain, bool dosbox);

// Key events cut into strokes: one stroke is one character, Enter, Tab or one Alt
// combination, and releases every key it presses, so that typing may stop between any two.
struct KeySequence {
  std::vector<KeyEvent> events;
  // Stroke i covers events [stroke_ends[i - 1], stroke_ends[i]) (from 0 for the first).
  std::vector<std::size_t> stroke_ends;

  std::size_t strokes() const { return stroke_ends.size(); }
};

// Understands the notation:
//   any character     its UTF-16 units as Unicode key down and up, one unit after the other
//   "~"               Enter
//   "{TAB}"           Tab (the name in any letter case)
//   "{" c "}"         the character c itself, for any one character c ("{}}" is "}")
//   "%" key           Alt held around the key; a letter, digit or blank goes as its virtual
//                     key (so that menus see it), any other character as itself
// The letters and digits directly after an Alt combination go to the menu it opened, and so
// also go as virtual keys: "% BE" is Alt+Space, then the keys B and E. The sender escapes
// every "%" of a snippet, so its letters always go as characters.
// Input that the notation does not cover is typed, never refused: a "{" that opens none of
// the forms above is the character "{"; a "%" with no key after it, or before another "%",
// presses nothing; malformed UTF-8 gives U+FFFD per bad byte; U+0000, which no keyboard
// produces, is dropped. "+", "^", "(", ")", "[" and "]" are characters here: the sender
// escapes them anyway, and a snippet must never become a shortcut.
KeySequence ParseKeystrokes(std::string_view keystroke_text);

// How many input messages the events put into the target's queue: a key going down brings
// its character too (from Unicode key events, Enter, Tab and the letters alike), so at most
// two, and a key going up one; Shift, Ctrl and Alt going down bring no character.
std::size_t InputMessages(const std::vector<KeyEvent>& events);

// The events that release `held`, keys that went down in this order: last first. Where Alt
// or a Windows key is among them, an unassigned key goes down and up before, since their
// release alone would open the target's menu bar or the Start menu.
std::vector<KeyEvent> ReleasingEvents(std::vector<KeyEvent> held);

}  // namespace qm
