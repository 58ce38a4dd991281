// A batch file: many streams, as JSON lines (one stream object a line) or as CSV (a
// `name` column, optional `temperature_C`, `pressure_kPa` and `basis` columns, and one
// column per component, headed by any key a stream file accepts). Each stream comes out
// as the JSON text of a stream file, so that one reader checks every stream the same way
// and its errors name the batch file, the field and the line.
#pragma once

#include <string>
#include <vector>

namespace volacor::cli {

enum class BatchFormat { JsonLines, Csv };

struct BatchEntry {
    int line = 0;       // line of the batch file the stream starts on (1-based)
    std::string name;   // the stream's name where it could be seen, else ""
    std::string text;   // the stream as the JSON text of a stream file
    std::string error;  // non-empty when the line could not be made into a stream
};

// By the file name (.csv; .jsonl, .ndjson, .json), else by the first character that is
// not blank ('{' means JSON lines).
BatchFormat DetectBatchFormat(const std::string& path, const std::string& text);

// Blank lines are skipped. A line that cannot be made into a stream becomes an entry
// with an error; only a CSV file without a `name` column, or one whose header names a
// column twice, is refused whole (InputError).
std::vector<BatchEntry> ReadBatchText(const std::string& text, BatchFormat format, const std::string& path);

// Reads and splits a whole file; InputError when it cannot be read.
std::vector<BatchEntry> ReadBatchFile(const std::string& path);

}  // namespace volacor::cli
