#include "cli/csv_writer.h"

#include <cstdio>
#include <string>
#include <vector>

#include "cli/phases_shown.h"

namespace volacor::cli {
namespace {

// A field in double quotes when it holds a comma, a quote or a line end.
std::string Field(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

void WriteRow(std::ostream& out, const std::vector<std::string>& fields) {
    for (std::size_t i = 0; i < fields.size(); ++i) out << (i ? "," : "") << Field(fields[i]);
    out << "\n";
}

std::string Number(double value) {
    // Round trip exact: programs read these.
    char text[40];
    std::snprintf(text, sizeof text, "%.10g", value);
    return text;
}

}  // namespace

void WriteCsvHeader(std::ostream& out) { out << kCsvHeader << "\n"; }

void WriteCsvRows(std::ostream& out, const StreamOutcome& outcome, PressureUnit unit) {
    if (!outcome.error.empty()) {
        WriteRow(out, {outcome.name, outcome.source, "", "", "", "", "", "", "", outcome.error});
        return;
    }
    for (const PhaseRow& row : PhaseRows(outcome)) {
        const MethodOutcome& m = *row.method;
        std::string messages;
        for (const std::string& message : row.messages) messages += (messages.empty() ? "" : " | ") + message;
        const auto& value = m.rvp_kPa[static_cast<std::size_t>(row.phase)];
        WriteRow(out, {outcome.name, outcome.source, m.method.shortName, m.method.displayName, m.method.progId,
                       PhaseName(row.phase), value ? Number(FromKilopascal(*value, unit)) : "",
                       std::string(UnitName(unit)), messages, m.failure});
    }
}

}  // namespace volacor::cli
