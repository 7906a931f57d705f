// Fuzzes the keystroke parser: any input gives strokes that release every key they press, and
// the keystroke text of any plain text types that text exactly, but for command characters.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>

#include "quillet/send/keystroke_text.h"
#include "text/utf.h"

namespace {

void CheckReleased(const qm::KeySequence& keys) {
  std::map<std::pair<qm::KeyEvent::Kind, std::uint16_t>, int> down;
  std::size_t begin = 0;
  for (const std::size_t end : keys.stroke_ends) {
    if (end <= begin || end > keys.events.size()) std::abort();
    for (std::size_t i = begin; i < end; ++i) {
      const qm::KeyEvent& e = keys.events[i];
      int& n = down[{e.kind, e.code}];
      n += e.key_up ? -1 : 1;
      if (n < 0) std::abort();
    }
    for (const auto& entry : down) {
      if (entry.second != 0) std::abort();
    }
    begin = end;
  }
  if (begin != keys.events.size()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  CheckReleased(qm::ParseKeystrokes(input));

  if (!qm::IsValidUtf8(input)) return 0;
  const qm::KeySequence keys = qm::ParseKeystrokes(qm::KeystrokeTextFor(input, false));
  CheckReleased(keys);
  std::u16string typed;
  for (const qm::KeyEvent& e : keys.events) {
    if (e.key_up) continue;
    if (e.kind == qm::KeyEvent::Kind::kUnicode) {
      typed += static_cast<char16_t>(e.code);
    } else if (e.code == qm::kVkReturn) {
      typed += u'\r';
    } else if (e.code == qm::kVkTab) {
      typed += u'\t';
    } else {
      std::abort();  // a plain text never presses another key
    }
  }
  std::u16string expected;
  qm::Utf8ToUtf16(input, expected);
  // Every character but the commands of edit fields (the C0 controls other than CR, Tab and
  // LF, and DEL).
  std::u16string typeable;
  for (const char16_t c : expected) {
    if ((c >= 0x20 && c != 0x7F) || c == u'\r' || c == u'\t' || c == u'\n') typeable += c;
  }
  if (typed != typeable) std::abort();
  return 0;
}
