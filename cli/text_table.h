// A plain table for a terminal: columns as wide as their widest cell, two spaces apart.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace volacor::cli {

class TextTable {
public:
    explicit TextTable(std::vector<std::string> header) : rows_{std::move(header)} {}
    // Column c is aligned to the right (numbers) when right[c] is true.
    void AlignRight(std::vector<bool> right) { right_ = std::move(right); }
    void AddRow(std::vector<std::string> row) { rows_.push_back(std::move(row)); }
    void Write(std::ostream& out) const;

private:
    std::vector<std::vector<std::string>> rows_;
    std::vector<bool> right_;
};

}  // namespace volacor::cli
