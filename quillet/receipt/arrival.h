// Whether a snippet arrived as it was sent: the text of the target's focused control before
// the send and after it, compared with what was sent.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace qm {

enum class Arrival {
  kArrived,      // "angekommen": everything sent is there, in order, at the caret
  kDiffers,      // "abweichend": a character sent is missing or out of order
  kUncheckable,  // "nicht prüfbar": no control whose text could be read
  kCancelled,    // "abgebrochen": Esc, or a guard stopped the send
};

// The word for the log and the notification.
const char* ArrivalWord(Arrival arrival);

// A control's text (UTF-8) and its selection, in characters counted as the control counts
// them (a CR LF two); the caret is at `selection_end`.
struct ControlText {
  std::string text;
  std::size_t selection_start = 0, selection_end = 0;
  // False for a control that tells its text but not where its caret is (one read through
  // accessibility): the snippet may then stand anywhere the text around it stayed as it was.
  bool selection_known = true;
};

// `text` with the selection a field told as the text before it and the text it holds (UI
// Automation's text ranges); where these do not stand so at `text`'s start (a field that
// changed between the readings, or one whose ranges tell its text otherwise), the caret counts
// as not known.
ControlText TextWithSelection(std::string text, std::string_view before, std::string_view selected);

struct ArrivalCheck {
  Arrival arrival = Arrival::kUncheckable;
  // kDiffers: the first character of the snippet (from 1) that is not where it belongs; 0
  // where the text around the caret changed instead.
  std::size_t first_difference = 0;
};

// `sent` replaced the selection of `before`, and the control then held `after`; nullopt for a
// control that could not be read at either moment. Line breaks count alike however they are
// written (CR LF, LF, CR), so that an Edit's CR LF and a RichEdit's CR both match an Enter.
// The text before the selection and after it must be as it was; between them every character
// sent must stand in order, and characters the target added of its own (an indent after an
// Enter, a closing bracket) are no difference. Letter case counts.
// For a control whose caret is not known, `erased` says how many characters the keys before
// the snippet took (an abbreviation's Backspaces), which may be gone from its text.
ArrivalCheck CheckArrival(const std::optional<ControlText>& before,
                          const std::optional<std::string>& after, const std::string& sent,
                          std::size_t erased = 0);

}  // namespace qm
