// The command-line tool's batch files and output forms for Python: read_batch() reads
// what `volacor batch` reads; outcome_json_line(), outcome_csv_rows() and outcome_rows()
// write a stream's record (the JSON of volacor.rvp_record, in kPa) as `volacor batch`
// writes it, so that `python3 -m volacor.batch` and rvp_many give the command's output.
#include <cmath>
#include <sstream>
#include <string>

#include <nlohmann/json.hpp>
#include <pybind11/stl.h>

#include "cli/batch_reader.h"
#include "cli/csv_writer.h"
#include "cli/errors.h"
#include "cli/outcome_json.h"
#include "cli/phases_shown.h"
#include "cli/units.h"
#include "python/src/bindings.h"

namespace py = pybind11;

namespace volacor_python {
namespace {

// One dict per stream of the file: line, name, text (a stream file's JSON) and error
// (non-empty when the line could not be made into a stream).
py::list ReadBatch(const std::string& path) {
  py::list entries;
  for (const volacor::cli::BatchEntry& entry : volacor::cli::ReadBatchFile(path)) {
    py::dict record;
    record["line"] = entry.line;
    record["name"] = entry.name;
    record["text"] = entry.text;
    record["error"] = entry.error;
    entries.append(std::move(record));
  }
  return entries;
}

volacor::cli::StreamOutcome Outcome(const std::string& record) {
  return volacor::cli::OutcomeFromJson(nlohmann::ordered_json::parse(record));
}

std::string JsonLine(const std::string& record, const std::string& unit) {
  return volacor::cli::OutcomeToJson(Outcome(record), volacor::cli::ParsePressureUnit(unit)).dump() + "\n";
}

std::string CsvRows(const std::string& record, const std::string& unit) {
  std::ostringstream rows;
  volacor::cli::WriteCsvRows(rows, Outcome(record), volacor::cli::ParsePressureUnit(unit));
  return rows.str();
}

// A dict per method and shown phase: method, display_name, prog_id, phase, value (in
// unit, NaN when none), messages (those about the phase) and failure.
py::list Rows(const std::string& record, const std::string& unit) {
  const volacor::cli::PressureUnit chosen = volacor::cli::ParsePressureUnit(unit);
  const volacor::cli::StreamOutcome outcome = Outcome(record);
  py::list rows;
  for (const volacor::cli::PhaseRow& phaseRow : volacor::cli::PhaseRows(outcome)) {
    const volacor::cli::MethodOutcome& m = *phaseRow.method;
    const auto& value = m.rvp_kPa[static_cast<std::size_t>(phaseRow.phase)];
    py::dict row;
    row["method"] = m.method.shortName;
    row["display_name"] = m.method.displayName;
    row["prog_id"] = m.method.progId;
    row["phase"] = volacor::cli::PhaseName(phaseRow.phase);
    row["value"] = value ? volacor::cli::FromKilopascal(*value, chosen) : std::nan("");
    row["messages"] = phaseRow.messages;
    row["failure"] = m.failure;
    rows.append(std::move(row));
  }
  return rows;
}

std::vector<std::string> ShownPhaseNames(const std::string& record) {
  std::vector<std::string> names;
  for (int p : volacor::cli::ShownPhases(Outcome(record))) names.emplace_back(volacor::cli::PhaseName(p));
  return names;
}

}  // namespace

void BindBatch(py::module_& module) {
  // A batch file refused whole (unreadable, no name column): a ValueError for Python.
  py::register_exception<volacor::cli::InputError>(module, "BatchInputError", PyExc_ValueError);
  module.def("read_batch", &ReadBatch, py::arg("path"),
             "The streams of a batch file (JSON lines or CSV, told by the name or the first character).");
  module.attr("CSV_HEADER") = std::string(volacor::cli::kCsvHeader);
  module.def("outcome_json_line", &JsonLine, py::arg("record"), py::arg("unit"),
             "A stream's record (JSON text, kPa) as its line of `volacor batch --format jsonl`.");
  module.def("outcome_csv_rows", &CsvRows, py::arg("record"), py::arg("unit"),
             "A stream's record (JSON text, kPa) as its rows of `volacor batch --format csv`.");
  module.def("outcome_rows", &Rows, py::arg("record"), py::arg("unit"),
             "A stream's record (JSON text, kPa) as a dict per method and phase shown.");
  module.def("shown_phases", &ShownPhaseNames, py::arg("record"),
             "The phases a stream's record shows: FEED, those present, any a method gave a value for.");
}

}  // namespace volacor_python
