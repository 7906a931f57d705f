// For the sender's own files: the wording its notices share, and the paste's keys and text,
// which the keys of a send are built from.
#pragma once

#include <string>

#include "quillet/send/delivery_rules.h"
#include "quillet/send/keystroke_text.h"

namespace qm {

const char* const kNothingSent = "Es wurde nichts übertragen.";

// "Das Zielfenster „Editor“" or, without a title, "Das Zielfenster".
std::string TargetName(const std::string& title);

// The paste key of a paste delivery as one stroke (the console's system menu as three), and
// its name in the paste key's notation or as the user knows it.
KeySequence PasteKeys(Delivery d, std::string* name);

// What a paste puts on the clipboard: the text without its command characters, each line
// break (CR, LF, or the pair) as CR LF, as every program pastes it.
std::string PasteText(const std::string& plain);

}  // namespace qm
