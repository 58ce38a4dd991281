#pragma once
// A small CSV reader: comma-separated fields, double quotes around fields that hold
// commas or quotes ("" inside a quoted field is one quote), LF or CRLF line ends.
#include <string>
#include <string_view>
#include <vector>

namespace thermo {

struct CsvTable {
  std::vector<std::string> header;
  std::vector<std::vector<std::string>> rows;  // each row has header.size() fields

  // Index of a header column; throws std::runtime_error naming the column if absent.
  std::size_t column(std::string_view name) const;
};

// Parses CSV text whose first record is the header. Blank lines are skipped. Throws
// std::runtime_error (with the line number) for an unterminated quote or a record
// whose field count differs from the header's.
CsvTable parse_csv(std::string_view text);

// Reads a whole file; throws std::runtime_error naming the path if it cannot be read.
std::string read_text_file(const std::string& path);

}  // namespace thermo
