#include "thermo/csv_reader.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace thermo {

std::size_t CsvTable::column(std::string_view name) const {
  for (std::size_t i = 0; i < header.size(); ++i) {
    if (header[i] == name) return i;
  }
  throw std::runtime_error("CSV column not found: " + std::string(name));
}

CsvTable parse_csv(std::string_view text) {
  CsvTable table;
  std::vector<std::string> record;
  std::string field;
  bool in_quotes = false;
  bool field_was_quoted = false;
  std::size_t line = 1;
  std::size_t record_line = 1;

  auto end_record = [&] {
    record.push_back(std::move(field));
    field.clear();
    field_was_quoted = false;
    const bool blank = record.size() == 1 && record[0].empty();
    if (!blank) {
      if (table.header.empty()) {
        table.header = std::move(record);
      } else if (record.size() != table.header.size()) {
        throw std::runtime_error("CSV line " + std::to_string(record_line) + ": " +
                                 std::to_string(record.size()) + " fields, header has " +
                                 std::to_string(table.header.size()));
      } else {
        table.rows.push_back(std::move(record));
      }
    }
    record.clear();
    record_line = line;
  };

  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (in_quotes) {
      if (c == '"') {
        if (i + 1 < text.size() && text[i + 1] == '"') {
          field.push_back('"');
          ++i;
        } else {
          in_quotes = false;
        }
      } else {
        if (c == '\n') ++line;
        field.push_back(c);
      }
      continue;
    }
    switch (c) {
      case '"':
        if (!field.empty() || field_was_quoted) {
          throw std::runtime_error("CSV line " + std::to_string(line) + ": quote inside an unquoted field");
        }
        in_quotes = true;
        field_was_quoted = true;
        break;
      case ',':
        record.push_back(std::move(field));
        field.clear();
        field_was_quoted = false;
        break;
      case '\r':
        break;
      case '\n':
        ++line;
        end_record();
        break;
      default:
        field.push_back(c);
    }
  }
  if (in_quotes) {
    throw std::runtime_error("CSV line " + std::to_string(record_line) + ": unterminated quote");
  }
  if (!field.empty() || !record.empty() || field_was_quoted) end_record();
  if (table.header.empty()) throw std::runtime_error("CSV text has no header");
  return table;
}

std::string read_text_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read file: " + path);
  std::ostringstream buffer;
  buffer << in.rdbuf();
  return buffer.str();
}

}  // namespace thermo
