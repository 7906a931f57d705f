#include "quillet/receipt/receipt.h"

#include <algorithm>
#include <cstdint>

#include "quillet/receipt/receipt_settings.h"

namespace qm {
namespace {

// A paste is in the control only some moments after the target took it from the clipboard,
// and a slow control may still be drawing the last keys: a text that differs is read again
// meanwhile, as often and as long as the receipt's time allows.
constexpr int kSettleMs = 15;
constexpr int kSettleTries = 3;
constexpr std::int64_t kSettleBudgetNs = 35'000'000;

// What the control shows of `sent`: a single-line field keeps no Enter or Tab typed into it,
// and of a paste only the first line.
std::string AsStanding(const std::string& sent, bool single_line, bool pasted) {
  if (!single_line) return sent;
  std::string out;
  out.reserve(sent.size());
  for (const char c : sent) {
    if ((c == '\r' || c == '\n') && pasted) break;
    if (c != '\r' && c != '\n' && c != '\t') out += c;
  }
  return out;
}

// The selection the snippet replaces: an abbreviation's Right keys move the caret to its end
// and its Backspaces take it away.
ControlText AfterKeysBefore(ControlText text, int right, int erase) {
  if (right <= 0 && erase <= 0) return text;
  std::size_t chars = 0;
  for (const char c : text.text) chars += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  std::size_t caret = std::max(text.selection_start, text.selection_end);
  if (text.selection_start == text.selection_end) caret += static_cast<std::size_t>(right);
  caret = std::min(caret, chars);
  text.selection_end = caret;
  text.selection_start = caret - std::min(caret, static_cast<std::size_t>(erase));
  return text;
}

Arrival ArrivalOfEnd(SendOutcome outcome) {
  switch (outcome) {
    case SendOutcome::kTyped:
      return Arrival::kArrived;
    case SendOutcome::kNotPasted:
      return Arrival::kDiffers;  // nothing of it arrived; the user was told why
    default:
      return Arrival::kCancelled;
  }
}

}  // namespace

const char* DeliveryWord(Delivery delivery) {
  switch (delivery) {
    case Delivery::kType:
      return "Tippen";
    case Delivery::kKeys:
      return "Tasten";
    default:
      return "Einf\xC3\xBCgen";
  }
}

void Receipt::BeforeKeys(WindowHandle window) {
  before_.reset();
  focus_ = s_.reader.Focused(window);
  if (focus_ && !focus_->password) before_ = s_.reader.Read(focus_->control);
}

ArrivalCheck Receipt::Check(const SendEnd& end) {
  if (!focus_ || focus_->password || !before_) return {};
  // Read only where the focus stayed: a Tab that moved it on, or a window that closed.
  const std::optional<ControlReader::Focus> now = s_.reader.Focused(end.window);
  if (!now || now->control != focus_->control || now->password) return {};
  const ControlText before = AfterKeysBefore(*before_, end.right, end.erase);
  const std::string sent = AsStanding(end.sent, focus_->single_line, Pastes(end.delivery));
  ArrivalCheck check;
  std::optional<std::string> previous;
  bool steady = true;
  const std::int64_t start = s_.fs.NowNs();
  for (int attempt = 0; attempt < kSettleTries; ++attempt) {
    if (attempt > 0) {
      if (s_.fs.NowNs() - start > kSettleBudgetNs) break;
      s_.pace.Wait(kSettleMs);
    }
    const std::optional<ControlText> after = s_.reader.Read(focus_->control);
    if (!after) return {};
    check = CheckArrival(before, after->text, sent, static_cast<std::size_t>(end.erase));
    if (check.arrival == Arrival::kArrived) return check;
    steady = !previous || *previous == after->text;
    previous = after->text;
  }
  // A text still changing tells nothing, and neither does one that an Enter or Tab may have
  // left behind in a single-line field: a form's next field, a chat that sent and emptied.
  const bool may_move_on =
      focus_->single_line && end.sent.find_first_of("\r\n\t") != std::string::npos;
  if (!steady || may_move_on) return {};
  return check;
}

void Receipt::AfterSend(const SendEnd& end) {
  SendLogLine line;
  line.time = s_.clock.Now();
  line.entry = end.entry_name;
  line.program = s_.processes.ProgramFile(end.window);
  line.window_class = s_.desktop.ClassName(end.window);
  line.delivery = DeliveryWord(end.delivery);
  if (end.formats == SendEnd::Formats::kOffered) line.delivery += " formatiert";
  if (end.formats == SendEnd::Formats::kLeftOut) line.delivery += " ohne Formatierung";
  line.characters = end.characters;
  line.arrival = ArrivalOfEnd(end.outcome);
  std::size_t first_difference = 0;
  if (line.arrival == Arrival::kArrived) {
    const ArrivalCheck check = Check(end);
    line.arrival = check.arrival;
    first_difference = check.first_difference;
  }
  focus_.reset();
  before_.reset();
  if (SendLogTitles(s_.settings)) line.title = s_.desktop.Title(end.window);
  if (line.arrival == Arrival::kDiffers && end.outcome == SendOutcome::kTyped && s_.notice) {
    const std::string where = "\xE2\x80\x9E" + line.entry + "\xE2\x80\x9C kam in " +
                              (line.program.empty() ? std::string("dem Zielfenster")
                                                    : line.program) +
                              " nicht so an, wie er gesendet wurde: ";
    s_.notice("Text abweichend angekommen",
              where + (first_difference > 0
                           ? "Zeichen " + std::to_string(first_difference) +
                                 " fehlt oder steht an falscher Stelle."
                           : "Der Text vor oder nach der Einf\xC3\xBCgestelle hat sich "
                             "ver\xC3\xA4ndert."));
  }
  last_ = line;
  if (SendLogOn(s_.settings)) Log(line);
}

void Receipt::ReadAhead() {
  const std::string path = SendLogOn(s_.settings) && s_.log_path ? s_.log_path() : std::string();
  if (path.empty()) return;
  const FileStamp stamp = s_.fs.Stat(path);
  const std::optional<std::string> existing = s_.fs.ReadAll(path);
  if (!existing && stamp.exists) return;
  log_stamp_ = stamp;
  log_.Take(existing.value_or(std::string()));
  log_path_ = path;
  log_.Release();
}

void Receipt::Log(const SendLogLine& line) {
  const std::string path = s_.log_path ? s_.log_path() : std::string();
  Status written = Status::Fail("Der Ordner des Versandprotokolls fehlt.");
  if (!path.empty()) {
    // The file is parsed again only where it is not as we left it (another copy of Quillet,
    // the user); lines a failed write could not store stay for the next one. A file that is
    // there but cannot be read now is never written over.
    const FileStamp stamp = s_.fs.Stat(path);
    const bool ours = path == log_path_ && stamp == log_stamp_;
    std::optional<std::string> existing;
    if (!ours || log_.bytes().empty()) existing = s_.fs.ReadAll(path);
    if (!existing && stamp.exists && (!ours || log_.bytes().empty())) {
      if (waiting_.size() < kSendLogLines) waiting_.push_back(line);
      written = Status::Fail("Die Datei l\xC3\xA4sst sich gerade nicht lesen.");
    } else {
      if (!ours || (log_.bytes().empty() && !existing)) {
        log_stamp_ = stamp;
        log_.Take(existing.value_or(std::string()));
        log_path_ = path;
      } else if (log_.bytes().empty()) {
        log_.Resume(std::move(*existing));
      }
      for (const SendLogLine& waited : waiting_) log_.Add(waited);
      waiting_.clear();
      log_.Add(line);
      written = s_.fs.ReplaceAtomically(path, log_.bytes());
      if (written) {
        log_stamp_ = s_.fs.Stat(path);
        log_.Release();
      }
    }
  }
  if (written || told_log_failed_) return;
  told_log_failed_ = true;
  if (s_.log_failed) {
    s_.log_failed("Das Versandprotokoll " + path +
                  " kann nicht geschrieben werden. Quillet sendet weiter, protokolliert aber "
                  "nicht, bis es wieder geht.\r\n\r\n" + written.message);
  }
}

}  // namespace qm
