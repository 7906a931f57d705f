// Fuzzes reading CSV files, and that writing rows and reading them again gives them back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "transfer/csv.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  qm::CsvTable table;
  qm::TextProblem problem;
  if (!qm::ReadCsv(input, &table, &problem)) {
    if (problem.what.empty()) std::abort();
    return 0;
  }
  if (table.rows.size() != table.lines.size()) std::abort();
  qm::CsvTable again;
  if (!qm::ReadCsv(qm::WriteCsv(table.rows), &again, &problem)) std::abort();
  if (again.rows != table.rows) std::abort();
  return 0;
}
