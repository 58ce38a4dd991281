#include "cli/table_writer.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/phases_shown.h"
#include "cli/text_table.h"

namespace volacor::cli {
namespace {

std::string FormatValue(double kPa, PressureUnit unit) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", DisplayDecimals(unit), FromKilopascal(kPa, unit));
    return text;
}

std::string Pad(const std::string& text, std::size_t width, bool right) {
    if (text.size() >= width) return text;
    const std::string fill(width - text.size(), ' ');
    return right ? fill + text : text + fill;
}

struct Note {
    std::string method;
    std::string text;
};

}  // namespace

void WriteTable(std::ostream& out, const StreamOutcome& outcome, PressureUnit unit) {
    out << outcome.name << " (" << outcome.source << ")\n";
    if (!outcome.error.empty()) {
        out << "  Not calculated: " << outcome.error << "\n";
        return;
    }
    char heading[128];
    std::snprintf(heading, sizeof heading, "RVP in %s at a reference temperature of %.2f \u00b0C\n",
                  std::string(UnitName(unit)).c_str(), outcome.temperature_C);
    out << heading << "\n";

    const std::vector<int> phases = ShownPhases(outcome);
    std::vector<std::vector<std::string>> rows;
    std::vector<Note> notes;
    rows.push_back({"method", "name"});
    for (int p : phases) rows.front().push_back(PhaseName(p));
    rows.front().push_back("messages");
    for (const MethodOutcome& m : outcome.methods) {
        std::vector<std::string> row{m.method.shortName, m.method.displayName};
        for (int p : phases) {
            const auto& value = m.rvp_kPa[static_cast<std::size_t>(p)];
            row.push_back(value ? FormatValue(*value, unit) : std::string());
        }
        std::string numbers;
        auto addNote = [&](const std::string& text) {
            notes.push_back({m.method.shortName, text});
            numbers += (numbers.empty() ? "" : ",") + std::to_string(notes.size());
        };
        if (!m.failure.empty()) addNote(m.failure);
        if (m.method.feedOnly && phases.size() > 1) {
            addNote("This method calculates the whole feed only, so its phase columns stay blank.");
        }
        for (const std::string& message : m.messages) addNote(message);
        row.push_back(numbers);
        rows.push_back(std::move(row));
    }

    TextTable table(rows.front());
    std::vector<bool> right(rows.front().size(), false);
    for (std::size_t c = 2; c + 1 < right.size(); ++c) right[c] = true;  // the phases' values
    table.AlignRight(std::move(right));
    for (std::size_t r = 1; r < rows.size(); ++r) table.AddRow(std::move(rows[r]));
    table.Write(out);
    if (!notes.empty()) {
        out << "\nMessages:\n";
        const std::size_t numberWidth = std::to_string(notes.size()).size();
        for (std::size_t i = 0; i < notes.size(); ++i) {
            out << Pad(std::to_string(i + 1), numberWidth, true) << ". " << notes[i].method << ": "
                << notes[i].text << "\n";
        }
    }
}

}  // namespace volacor::cli
