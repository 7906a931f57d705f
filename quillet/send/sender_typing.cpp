// The sender's typing: the keys sent in batches of whole strokes, each after a look that the
// target is still in front and Esc not pressed, with the target catching up after each.
#include <algorithm>
#include <iterator>
#include <vector>

#include "quillet/send/sender.h"

namespace qm {

Sender::Stop Sender::CheckStillTarget(WindowHandle window) {
  if (!s_.desktop.Exists(window)) return Stop::kClosed;
  if (s_.desktop.Foreground() != window) return Stop::kSwitched;
  if (s_.pace.EscapePressed()) return Stop::kEscape;
  return Stop::kNone;
}

// Esc is watched while the keys go out, and only then: a message box afterwards must close
// with it as usual.
class Sender::EscapeWatch {
 public:
  explicit EscapeWatch(TypingPace& pace) : pace_(pace) { pace_.StartEscapeWatch(); }
  ~EscapeWatch() { pace_.StopEscapeWatch(); }
  EscapeWatch(const EscapeWatch&) = delete;
  EscapeWatch& operator=(const EscapeWatch&) = delete;

 private:
  TypingPace& pace_;
};

Sender::Typing Sender::TypeKeys(WindowHandle window) {
  EscapeWatch watch(s_.pace);
  const std::size_t total = keys_.strokes();
  Typing result;
  std::size_t& stroke = result.typed;  // strokes typed so far
  std::size_t event = 0;               // their events
  std::vector<KeyEvent> batch;
  batch.reserve(kBatchEvents);
  while (stroke < total) {
    if (const Stop why = CheckStillTarget(window); why != Stop::kNone) {
      result.stop = why;
      break;
    }
    // Whole strokes only, so that a stop between batches never leaves a key down.
    std::size_t end = stroke + 1;
    while (end < total && end != pause_after_ && end != word_end_pause_ && keys_.stroke_ends[end] - event <= kBatchEvents) {
      ++end;
    }
    const std::size_t end_event = keys_.stroke_ends[end - 1];
    batch.assign(keys_.events.begin() + static_cast<std::ptrdiff_t>(event),
                 keys_.events.begin() + static_cast<std::ptrdiff_t>(end_event));
    const std::size_t accepted = s_.keyboard.Send(batch);
    if (accepted < batch.size()) {
      ReleaseHeld(batch, accepted);
      result.stop = Stop::kBlocked;
      stroke = StrokesArrived(stroke, event + accepted);
      break;
    }
    stroke = end;
    event = end_event;
    if (stroke < total) Progress(stroke, total, false);
    // Without the catch-up a slow target would lose or reorder input; after the last batch
    // it keeps the send from ending before the text has arrived.
    if (!s_.pace.CatchUp(window, InputMessages(batch)) && stroke < total) {
      // The catch-up fails for a target that has closed as well as for one that hangs.
      result.stop = s_.desktop.Exists(window) ? Stop::kHung : Stop::kClosed;
      break;
    }
    if (stroke == pause_after_ && around_.at_snippet_end) around_.at_snippet_end();
    if (stroke == word_end_pause_ && around_.at_word_end) around_.at_word_end();
  }
  Progress(stroke, total, true);
  strokes_out_ = result.typed;
  return result;
}

std::size_t Sender::StrokesArrived(std::size_t stroke, std::size_t events_sent) const {
  // A character arrives with its key going down, so a stroke cut short after that counts;
  // one cut short after Alt alone does not.
  for (; stroke < keys_.strokes(); ++stroke) {
    std::size_t i = stroke == 0 ? 0 : keys_.stroke_ends[stroke - 1];
    while (i < events_sent && keys_.events[i].kind == KeyEvent::Kind::kVirtualKey &&
           keys_.events[i].code == kVkMenu) {
      ++i;
    }
    if (i >= events_sent) break;
  }
  return stroke;
}

void Sender::ReleaseHeld(const std::vector<KeyEvent>& batch, std::size_t accepted) {
  std::vector<KeyEvent> held;
  for (std::size_t i = 0; i < accepted && i < batch.size(); ++i) {
    const KeyEvent& e = batch[i];
    if (!e.key_up) {
      held.push_back(e);
      continue;
    }
    const auto it = std::find_if(held.rbegin(), held.rend(), [&](const KeyEvent& h) {
      return h.kind == e.kind && h.code == e.code;
    });
    if (it != held.rend()) held.erase(std::next(it).base());
  }
  if (!held.empty()) s_.keyboard.Send(ReleasingEvents(std::move(held)));
}

}  // namespace qm
