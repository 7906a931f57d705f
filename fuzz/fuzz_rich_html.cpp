// Fuzzes the reader of formatted snippets' HTML: what it writes reads back as the same, with
// no problem, and every output of the document can be made from it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "rich/rich_html.h"
#include "rich/rich_output.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const qm::RichDocument doc = qm::ReadRichHtml(input);
  const std::string written = qm::WriteRichHtml(doc);
  const qm::RichDocument again = qm::ReadRichHtml(written);
  if (qm::WriteRichHtml(again) != written || !again.problems.empty()) std::abort();
  if (qm::RichPlainText(again) != qm::RichPlainText(doc)) std::abort();
  const std::string rtf = qm::RichToRtf(doc);
  if (rtf.empty() || rtf.back() != '}') std::abort();
  qm::ClipboardHtml(qm::AsciiHtml(written));
  return 0;
}
