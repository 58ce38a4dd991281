// volacor._volacor.read_batch(): the command-line tool's batch-file reader (JSON lines
// or CSV), so that `python3 -m volacor.batch` reads exactly what `volacor batch` reads.
#include <string>

#include <pybind11/stl.h>

#include "cli/batch_reader.h"
#include "cli/errors.h"
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

}  // namespace

void BindBatch(py::module_& module) {
  // A batch file refused whole (unreadable, no name column): a ValueError for Python.
  py::register_exception<volacor::cli::InputError>(module, "BatchInputError", PyExc_ValueError);
  module.def("read_batch", &ReadBatch, py::arg("path"),
             "The streams of a batch file (JSON lines or CSV, told by the name or the first character).");
}

}  // namespace volacor_python
