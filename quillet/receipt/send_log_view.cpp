// What the send log's viewer shows.
#include "quillet/receipt/send_log_view.h"

#include <iterator>

namespace qm {
namespace {

constexpr Arrival kFilterArrivals[] = {Arrival::kArrived, Arrival::kDiffers, Arrival::kUncheckable,
                                       Arrival::kCancelled};

// A tab or a line break of a name would split the copied row.
std::string OneCell(std::string text) {
  for (char& c : text) {
    if (c == '\t' || c == '\r' || c == '\n') c = ' ';
  }
  return text;
}

}  // namespace

void SendLogView::Load(const std::optional<std::string>& bytes) {
  lines_ = bytes ? ReadSendLog(*bytes) : std::vector<SendLogLine>();
  // A file of the column names alone is a log without sends, not a damaged one.
  damaged_ = lines_.empty() && bytes && bytes->find('\n') != std::string::npos &&
             bytes->find('\n') + 1 < bytes->size();
  titles_ = false;
  for (const SendLogLine& l : lines_) titles_ = titles_ || !l.title.empty();
  Choose();
}

void SendLogView::SetFilter(int index) {
  filter_ = index > 0 && index < static_cast<int>(std::size(kSendLogFilters)) ? index : 0;
  Choose();
}

void SendLogView::Choose() {
  shown_.clear();
  for (std::size_t i = lines_.size(); i-- > 0;) {
    if (filter_ == 0 || lines_[i].arrival == kFilterArrivals[filter_ - 1]) shown_.push_back(i);
  }
}

std::vector<std::string> SendLogView::Columns() const {
  std::vector<std::string> columns(std::begin(kSendLogColumns), std::end(kSendLogColumns));
  if (titles_) columns.push_back(kSendLogTitleColumn);
  return columns;
}

std::string SendLogView::Cell(std::size_t row, std::size_t column) const {
  if (row >= shown_.size()) return {};
  const SendLogLine& l = lines_[shown_[row]];
  switch (column) {
    case 0: return SendLogTime(l.time);  // as the file has it
    case 1: return l.entry;
    case 2: return l.program;
    case 3: return l.window_class;
    case 4: return l.delivery;
    case 5: return std::to_string(l.characters);
    case 6: return ArrivalWord(l.arrival);
    case 7: return titles_ ? l.title : std::string();
    default: return {};
  }
}

std::string SendLogView::CopyText(const std::vector<std::size_t>& rows) const {
  std::string text;
  const std::vector<std::string> columns = Columns();
  const auto line = [&](auto cell) {
    for (std::size_t c = 0; c < columns.size(); ++c) text += (c ? "\t" : "") + OneCell(cell(c));
    text += "\r\n";
  };
  bool any = false;
  for (const std::size_t row : rows) {
    if (row >= shown_.size()) continue;
    if (!any) line([&](std::size_t c) { return columns[c]; });
    any = true;
    line([&](std::size_t c) { return Cell(row, c); });
  }
  return text;
}

std::string SendLogView::Note() const {
  if (lines_.empty()) {
    return damaged_ ? "Die Datei enthält keine lesbaren Sendungen."
                    : "Noch keine Sendungen protokolliert.";
  }
  const auto sends = [](std::size_t n) {
    return std::to_string(n) + (n == 1 ? " Sendung" : " Sendungen");
  };
  if (filter_ == 0) return sends(lines_.size());
  return std::to_string(shown_.size()) + " von " + sends(lines_.size());
}

}  // namespace qm
