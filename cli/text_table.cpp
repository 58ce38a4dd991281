#include "cli/text_table.h"

#include <algorithm>

namespace volacor::cli {
namespace {
// Characters on screen: UTF-8 continuation bytes take no column.
std::size_t Columns(const std::string& text) {
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}
}  // namespace

void TextTable::Write(std::ostream& out) const {
    std::vector<std::size_t> widths;
    for (const auto& row : rows_) {
        if (widths.size() < row.size()) widths.resize(row.size(), 0);
        for (std::size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], Columns(row[c]));
    }
    for (const auto& row : rows_) {
        std::string line;
        for (std::size_t c = 0; c < row.size(); ++c) {
            const std::string fill(widths[c] - Columns(row[c]), ' ');
            if (c > 0) line += "  ";
            line += c < right_.size() && right_[c] ? fill + row[c] : row[c] + fill;
        }
        while (!line.empty() && line.back() == ' ') line.pop_back();
        out << line << "\n";
    }
}

}  // namespace volacor::cli
