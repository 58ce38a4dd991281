#include "cli/batch_reader.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>

#include <nlohmann/json.hpp>

#include "cli/errors.h"

namespace volacor::cli {
namespace {

using nlohmann::ordered_json;

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

bool EndsWith(const std::string& text, std::string_view suffix) {
    return text.size() >= suffix.size() && Lower(text.substr(text.size() - suffix.size())) == suffix;
}

// One CSV record and the line it starts on. Quoted fields may hold commas, doubled
// quotes and line ends.
struct Record {
    int line = 0;
    std::vector<std::string> fields;
    bool unterminated = false;
};

std::vector<Record> SplitCsv(const std::string& text) {
    std::vector<Record> records;
    Record current;
    std::string field;
    bool quoted = false;
    bool any = false;  // the record has something in it
    int line = 1;
    current.line = 1;
    auto endRecord = [&] {
        if (any) {
            current.fields.push_back(Trim(field));
            records.push_back(std::move(current));
        }
        current = Record{};
        field.clear();
        any = false;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                if (c == '\n') ++line;
                field += c;
            }
            continue;
        }
        if (!any && c != '\n' && c != '\r') {
            any = true;
            current.line = line;
        }
        if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            current.fields.push_back(Trim(field));
            field.clear();
        } else if (c == '\n') {
            endRecord();
            ++line;
        } else if (c != '\r') {
            field += c;
        }
    }
    if (quoted) current.unterminated = true;
    endRecord();
    if (!records.empty() && quoted) records.back().unterminated = true;
    return records;
}

// A cell as a JSON value: a number when the whole cell is one, else the text, so that
// the stream reader names the field that is not a number.
ordered_json Cell(const std::string& cell) {
    const char* begin = cell.c_str();
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(begin, &end);
    if (end != begin && *end == '\0' && errno == 0 && std::isfinite(value)) return value;
    return cell;
}

std::vector<BatchEntry> ReadCsv(const std::string& text, const std::string& path) {
    std::vector<Record> records = SplitCsv(text);
    if (records.empty()) return {};
    const Record& header = records.front();
    std::vector<std::string> columns;
    std::set<std::string> seen;
    for (const std::string& column : header.fields) {
        if (column.empty()) {
            throw InputError(path + ", line " + std::to_string(header.line) +
                             ": a column of the header has no name.");
        }
        if (!seen.insert(Lower(column)).second) {
            throw InputError(path + ", line " + std::to_string(header.line) + ": the header names the column '" +
                             column + "' twice.");
        }
        columns.push_back(column);
    }
    if (!seen.contains("name")) {
        throw InputError(path + ", line " + std::to_string(header.line) +
                         ": the header has no 'name' column; a CSV batch needs one to name each stream.");
    }

    std::vector<BatchEntry> entries;
    for (std::size_t r = 1; r < records.size(); ++r) {
        const Record& record = records[r];
        BatchEntry entry;
        entry.line = record.line;
        if (record.unterminated) {
            entry.error = path + ", line " + std::to_string(record.line) + ": a quoted field is never closed.";
            entries.push_back(std::move(entry));
            continue;
        }
        if (record.fields.size() != columns.size()) {
            entry.error = path + ", line " + std::to_string(record.line) + ": the line has " +
                          std::to_string(record.fields.size()) + " fields where the header has " +
                          std::to_string(columns.size()) + ".";
            entries.push_back(std::move(entry));
            continue;
        }
        ordered_json stream = ordered_json::object();
        ordered_json components = ordered_json::object();
        for (std::size_t c = 0; c < columns.size(); ++c) {
            const std::string key = Lower(columns[c]);
            const std::string& cell = record.fields[c];
            if (key == "name") {
                stream["name"] = cell;
                entry.name = cell;
            } else if (cell.empty()) {
                continue;  // an empty cell: not in this stream (or the default condition)
            } else if (key == "basis") {
                stream["basis"] = cell;
            } else if (key == "temperature_c" || key == "pressure_kpa") {
                stream[key == "temperature_c" ? "temperature_C" : "pressure_kPa"] = Cell(cell);
            } else {
                components[columns[c]] = Cell(cell);
            }
        }
        stream["components"] = std::move(components);
        entry.text = stream.dump();
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::vector<BatchEntry> ReadJsonLines(const std::string& text, const std::string& path) {
    (void)path;
    std::vector<BatchEntry> entries;
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        if (Trim(line).empty()) continue;
        BatchEntry entry;
        entry.line = number;
        entry.text = line;
        // The name only labels the output; the stream reader judges the line itself.
        const ordered_json parsed = ordered_json::parse(line, nullptr, false);
        if (parsed.is_object() && parsed.contains("name") && parsed["name"].is_string()) {
            entry.name = parsed["name"].get<std::string>();
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

}  // namespace

BatchFormat DetectBatchFormat(const std::string& path, const std::string& text) {
    if (EndsWith(path, ".csv")) return BatchFormat::Csv;
    if (EndsWith(path, ".jsonl") || EndsWith(path, ".ndjson") || EndsWith(path, ".json")) {
        return BatchFormat::JsonLines;
    }
    const auto first = text.find_first_not_of(" \t\r\n");
    return first != std::string::npos && text[first] == '{' ? BatchFormat::JsonLines : BatchFormat::Csv;
}

std::vector<BatchEntry> ReadBatchText(const std::string& text, BatchFormat format, const std::string& path) {
    return format == BatchFormat::Csv ? ReadCsv(text, path) : ReadJsonLines(text, path);
}

std::vector<BatchEntry> ReadBatchFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        throw InputError("The batch file '" + path + "' cannot be read: " + std::strerror(errno) + ".");
    }
    std::ostringstream content;
    content << file.rdbuf();
    const std::string text = content.str();
    return ReadBatchText(text, DetectBatchFormat(path, text), path);
}

}  // namespace volacor::cli
