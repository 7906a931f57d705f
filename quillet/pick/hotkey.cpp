// Reading and writing the picker's hotkey.
#include "quillet/pick/hotkey.h"

#include "store/ini_document.h"
#include "text/text_lists.h"
#include "text/utf.h"

namespace qm {
namespace {

struct ModifierName {
  const char* name;
  unsigned bit;
};
// The canonical names first: FormatHotkey writes them, in this order.
constexpr ModifierName kModifierNames[] = {
    {"Ctrl", Hotkey::kCtrl}, {"Alt", Hotkey::kAlt},   {"Shift", Hotkey::kShift},
    {"Win", Hotkey::kWin},   {"Strg", Hotkey::kCtrl}, {"Umschalt", Hotkey::kShift},
};
constexpr std::size_t kCanonicalModifiers = 4;

// Zero for no key of ours.
int KeyOf(const std::string& folded) {
  if (folded == "space" || folded == "leertaste") return kKeySpace;
  if (folded.size() == 1 && folded[0] >= 'a' && folded[0] <= 'z') return folded[0] - 'a' + 'A';
  if (folded.size() == 1 && folded[0] >= '0' && folded[0] <= '9') return folded[0];
  if (folded.size() >= 2 && folded.size() <= 3 && folded[0] == 'f' && folded[1] >= '1' &&
      folded[1] <= '9') {
    int n = folded[1] - '0';
    if (folded.size() == 3) {
      if (folded[2] < '0' || folded[2] > '9') return 0;
      n = n * 10 + (folded[2] - '0');
    }
    if (n <= kFunctionKeys) return kKeyF1 + n - 1;
  }
  return 0;
}

std::string KeyName(int key) {
  if (key == kKeySpace) return "Space";
  if (key >= kKeyF1 && key < kKeyF1 + kFunctionKeys) return "F" + std::to_string(key - kKeyF1 + 1);
  return std::string(1, static_cast<char>(key));
}

}  // namespace

Hotkey DefaultHotkey() {
  return {Hotkey::kCtrl | Hotkey::kAlt, kKeySpace};
}

std::string FormatHotkey(const Hotkey& hotkey) {
  if (hotkey.none()) return {};
  std::string out;
  for (std::size_t i = 0; i < kCanonicalModifiers; ++i) {
    if (hotkey.modifiers & kModifierNames[i].bit) out += std::string(kModifierNames[i].name) + "+";
  }
  return out + KeyName(hotkey.key);
}

std::optional<Hotkey> ParseHotkey(std::string_view text) {
  if (TrimBlanks(text).empty()) return Hotkey{};
  Hotkey hotkey;
  for (std::size_t pos = 0;;) {
    const std::size_t plus = text.find('+', pos);
    const std::string part = FoldCase(TrimBlanks(text.substr(pos, plus - pos)));
    if (plus == std::string_view::npos) {
      hotkey.key = KeyOf(part);
      break;
    }
    unsigned bit = 0;
    for (const ModifierName& m : kModifierNames) {
      if (part == FoldCase(m.name)) bit = m.bit;
    }
    if (bit == 0 || (hotkey.modifiers & bit)) return std::nullopt;
    hotkey.modifiers |= bit;
    pos = plus + 1;
  }
  if (hotkey.key == 0) return std::nullopt;
  const bool function_key = hotkey.key >= kKeyF1;
  if (!function_key && !(hotkey.modifiers & (Hotkey::kCtrl | Hotkey::kAlt | Hotkey::kWin))) {
    return std::nullopt;
  }
  return hotkey;
}

HotkeySetting ReadHotkeySetting(const IniDocument* doc) {
  HotkeySetting setting;
  setting.hotkey = DefaultHotkey();
  const std::optional<std::string> stored =
      doc ? doc->Find(kHotkeySection, kHotkeyKey) : std::nullopt;
  if (!stored) return setting;
  setting.stored = *stored;
  if (const std::optional<Hotkey> parsed = ParseHotkey(*stored)) {
    setting.hotkey = *parsed;
  } else {
    setting.unreadable = true;
  }
  return setting;
}

Status SaveHotkeySetting(IniStore& ini, const std::string& data_file, const Hotkey& hotkey) {
  return ini.WriteIniValue(kHotkeySection, kHotkeyKey, FormatHotkey(hotkey), data_file);
}

std::string UnreadableHotkeyText(const std::string& stored) {
  return "Die Tastenkombination „" + stored + "“ (Abschnitt [" + kHotkeySection + "], Schlüssel " +
         kHotkeyKey + ") in der Datendatei ist nicht lesbar. Es gilt die Voreinstellung " +
         FormatHotkey(DefaultHotkey()) + ".";
}

std::string GermanHotkeyName(const Hotkey& hotkey) {
  if (hotkey.none()) return "Keine";
  std::string out;
  for (const auto& [bit, name] : {std::pair{Hotkey::kCtrl, "Strg"}, std::pair{Hotkey::kAlt, "Alt"},
                                  std::pair{Hotkey::kShift, "Umschalt"},
                                  std::pair{Hotkey::kWin, "Win"}}) {
    if (hotkey.modifiers & bit) out += std::string(name) + "+";
  }
  return out + (hotkey.key == kKeySpace ? "Leertaste" : KeyName(hotkey.key));
}

std::string HeldHotkeyText(const Hotkey& hotkey) {
  return "Die Tastenkombination „" + GermanHotkeyName(hotkey) +
         "“ für die Auswahl der Textbausteine wird schon von einem anderen Programm benutzt. "
         "Quillet arbeitet ohne diese Tastenkombination weiter; eine andere können Sie in den "
         "Optionen wählen.";
}

namespace {
// The hotkey control's modifier bits.
constexpr unsigned kControlShift = 1, kControlCtrl = 2, kControlAlt = 4;
}  // namespace

unsigned HotkeyControlValue(const Hotkey& hotkey) {
  if (hotkey.none()) return 0;
  unsigned flags = 0;
  if (hotkey.modifiers & Hotkey::kShift) flags |= kControlShift;
  if (hotkey.modifiers & Hotkey::kCtrl) flags |= kControlCtrl;
  if (hotkey.modifiers & Hotkey::kAlt) flags |= kControlAlt;
  return (flags << 8) | static_cast<unsigned>(hotkey.key & 0xFF);
}

Hotkey HotkeyFromControlValue(unsigned value) {
  const int key = static_cast<int>(value & 0xFF);
  const unsigned flags = (value >> 8) & 0xFF;
  const bool known = key == kKeySpace || (key >= 'A' && key <= 'Z') ||
                     (key >= '0' && key <= '9') ||
                     (key >= kKeyF1 && key < kKeyF1 + kFunctionKeys);
  if (!known) return {};
  Hotkey hotkey{0, key};
  if (flags & kControlShift) hotkey.modifiers |= Hotkey::kShift;
  if (flags & kControlCtrl) hotkey.modifiers |= Hotkey::kCtrl;
  if (flags & kControlAlt) hotkey.modifiers |= Hotkey::kAlt;
  return hotkey;
}

void HotkeyRegistration::FromSetting(const HotkeySetting& setting, const std::string& title) {
  if (setting.unreadable && unreadable_told_ != setting.stored) {
    unreadable_told_ = setting.stored;
    dialogs_.ShowMessage(UnreadableHotkeyText(setting.stored), title, MessageIcon::kExclamation,
                         MessageButtons::kOk);
  }
  if (setting.hotkey == wanted_ && (registered_ || wanted_.none())) return;
  Apply(setting.hotkey, title, false);
}

bool HotkeyRegistration::Choose(const Hotkey& hotkey, const std::string& title) {
  if (hotkey == wanted_ && registered_) return true;
  return Apply(hotkey, title, true);
}

void HotkeyRegistration::Off() {
  os_.Unregister();
  registered_ = false;
}

bool HotkeyRegistration::Apply(const Hotkey& hotkey, const std::string& title,
                               bool report_again) {
  wanted_ = hotkey;
  if (hotkey.none()) {
    Off();
    return true;
  }
  registered_ = os_.Register(hotkey.modifiers, hotkey.key);
  if (!registered_ && (report_again || held_told_ != hotkey)) {
    held_told_ = hotkey;
    dialogs_.ShowMessage(HeldHotkeyText(hotkey), title, MessageIcon::kExclamation,
                         MessageButtons::kOk);
  }
  return registered_;
}

}  // namespace qm
