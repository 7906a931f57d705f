// The global hotkey that opens the picker: its portable value and its stored form in the data
// file ("Hotkey=Ctrl+Alt+Space" in section "Common").
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/dialogs.h"
#include "platform/global_hotkey.h"
#include "platform/status.h"
#include "store/ini_store.h"

namespace qm {

struct Hotkey {
  // The bits the system's hotkey registration takes, so that the window code passes them on.
  enum Modifier : unsigned { kAlt = 1, kCtrl = 2, kShift = 4, kWin = 8 };
  unsigned modifiers = 0;
  // The virtual-key number: 'A' to 'Z', '0' to '9', kKeyF1 + n for F(n+1), kKeySpace; 0 for
  // no hotkey at all.
  int key = 0;

  bool none() const { return key == 0; }
  friend bool operator==(const Hotkey& a, const Hotkey& b) {
    return a.modifiers == b.modifiers && a.key == b.key;
  }
  friend bool operator!=(const Hotkey& a, const Hotkey& b) { return !(a == b); }
};

inline constexpr int kKeySpace = 0x20;
inline constexpr int kKeyF1 = 0x70;
inline constexpr int kFunctionKeys = 24;

// Ctrl+Alt+Space. On a German keyboard Ctrl+Alt is also what AltGr gives, so Ctrl+Alt with a
// letter or digit would take away a character (AltGr+Q "@", E "€", M "µ", 7 to 0 "{[]}");
// AltGr+Space types nothing there. The other near choices are taken: Ctrl+Space by input
// methods and code editors, Alt+Space by the window menu, Ctrl+Shift+Space by the word
// processor's protected blank, Win with Space by the keyboard-layout switch.
Hotkey DefaultHotkey();

// "Ctrl+Alt+Shift+Win+Key" with the modifiers present, in that order; empty for none.
std::string FormatHotkey(const Hotkey& hotkey);
// The stored form, read as people type it by hand: parts joined by "+", letter case ignored,
// blanks around parts allowed, modifiers in any order, the German "Strg", "Umschalt" and
// "Leertaste" taken too. An empty text is no hotkey. Nullopt for anything else, and for a
// letter, digit or Space without Ctrl, Alt or Win, which would take a plain character away
// from every program; a function key may stand alone.
std::optional<Hotkey> ParseHotkey(std::string_view text);

struct HotkeySetting {
  Hotkey hotkey;            // what applies
  bool unreadable = false;  // the stored value could not be read: report it, once
  std::string stored;       // the value as the file holds it
};
inline constexpr const char* kHotkeySection = "Common";
inline constexpr const char* kHotkeyKey = "Hotkey";

// Missing: the default; empty: none; unreadable: the default, flagged. A null `doc` (no file)
// gives the default.
HotkeySetting ReadHotkeySetting(const IniDocument* doc);
Status SaveHotkeySetting(IniStore& ini, const std::string& data_file, const Hotkey& hotkey);
// The message for a setting that could not be read.
std::string UnreadableHotkeyText(const std::string& stored);

// The name a German user reads on the keys: "Strg+Alt+Leertaste", "Umschalt+F5"; "Keine" for
// none.
std::string GermanHotkeyName(const Hotkey& hotkey);
// The message for a hotkey that another program has taken.
std::string HeldHotkeyText(const Hotkey& hotkey);

// The value of the system's hotkey control: the key in the low byte, its own modifier bits
// (Shift 1, Ctrl 2, Alt 4, extended key 8; Win it has not) in the high one. A key the stored
// form cannot name becomes no hotkey; the extended-key bit is dropped.
unsigned HotkeyControlValue(const Hotkey& hotkey);
Hotkey HotkeyFromControlValue(unsigned value);

// Keeps the registered hotkey in step with what the user chose, and says what keeps it from
// working: an unreadable setting once per stored value, a hotkey another program holds once
// per hotkey while the program runs, and every time the user chooses it anew.
class HotkeyRegistration {
 public:
  HotkeyRegistration(GlobalHotkey& os, Dialogs& dialogs) : os_(os), dialogs_(dialogs) {}
  // At start and after each reload of the data file; a hotkey that is already registered
  // stays as it is. `title` is the message boxes' title.
  void FromSetting(const HotkeySetting& setting, const std::string& title);
  // The user's choice in the Options. False where another program holds it.
  bool Choose(const Hotkey& hotkey, const std::string& title);
  void Off();
  // What applies (none before the first setting), and whether it works.
  const Hotkey& wanted() const { return wanted_; }
  bool registered() const { return registered_; }

 private:
  bool Apply(const Hotkey& hotkey, const std::string& title, bool report_again);

  GlobalHotkey& os_;
  Dialogs& dialogs_;
  Hotkey wanted_;
  bool registered_ = false;
  std::optional<std::string> unreadable_told_;
  std::optional<Hotkey> held_told_;
};

}  // namespace qm
