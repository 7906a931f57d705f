// What the send log's viewer shows: the log's sends newest first, narrowed to one result, and
// the text its "&Kopieren" puts on the clipboard.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "quillet/receipt/send_log.h"

namespace qm {

// The filter's choices in the order the viewer offers them: every send, then one result each.
inline constexpr const char* kSendLogFilters[] = {"Alle", "angekommen", "abweichend",
                                                  "nicht prüfbar", "abgebrochen"};

class SendLogView {
 public:
  // The log's file as read; nullopt where there is none. Rows that do not read as a send are
  // passed over.
  void Load(const std::optional<std::string>& bytes);
  // One of kSendLogFilters by its index; an index outside them shows every send.
  void SetFilter(int index);
  int filter() const { return filter_; }

  // The columns: the log's, and its titles only where a send kept names one.
  std::vector<std::string> Columns() const;
  bool titles() const { return titles_; }
  // The rows the filter lets through, the newest (last written) first.
  std::size_t RowCount() const { return shown_.size(); }
  std::string Cell(std::size_t row, std::size_t column) const;
  // The rows `rows` (as shown, in the order given), one line each with the column names
  // first, the cells separated by tabs; empty where no row is given.
  std::string CopyText(const std::vector<std::size_t>& rows) const;
  // The line below the list: that there are no sends yet, or how many are shown.
  std::string Note() const;

 private:
  void Choose();

  std::vector<SendLogLine> lines_;  // oldest first, as the file keeps them
  std::vector<std::size_t> shown_;  // indices into lines_, newest first
  bool titles_ = false;
  bool damaged_ = false;  // the file holds something, but no send
  int filter_ = 0;
};

}  // namespace qm
