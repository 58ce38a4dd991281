// volacor._volacor.parse_stream(): the host's stream-file reader for Python, with its
// errors raised as volacor.StreamInputError (file, field and line kept as attributes).
#include <string>

#include <pybind11/stl.h>

#include "python/src/bindings.h"
#include "python/src/stream_text.h"
#include "refhost/streams/stream_reader.h"

namespace py = pybind11;

namespace volacor_python {
namespace {

py::dict SpecRecord(const refhost::StreamDefinition& definition) {
  py::list components;
  for (const refhost::StreamComponent& c : definition.components) components.append(py::make_tuple(c.key, c.fraction));
  py::list cuts;
  for (const refhost::StreamCut& cut : definition.cuts) {
    py::dict record;
    record["name"] = cut.name;
    record["fraction"] = cut.fraction;
    record["nbp_C"] = cut.nbp_C;
    record["sg"] = cut.sg;
    if (cut.mw_g_per_mol > 0) record["mw"] = cut.mw_g_per_mol;
    cuts.append(std::move(record));
  }
  py::dict record;
  record["name"] = definition.name;
  record["basis"] = refhost::BasisName(definition.basis);
  record["components"] = std::move(components);
  record["cuts"] = std::move(cuts);
  record["temperature_C"] = definition.temperature_C;
  record["pressure_kPa"] = definition.pressure_kPa;
  record["molar_flow_kmol_h"] = definition.molar_flow_kmol_h;
  record["warnings"] = definition.warnings;
  return record;
}

py::dict ParseStream(const std::string& text, const std::string& source, int firstLine) {
  return SpecRecord(ParseStreamDefinition(text, source, firstLine));
}

}  // namespace

void BindStreams(py::module_& module) {
  py::register_exception_translator([](std::exception_ptr raised) {
    try {
      if (raised) std::rethrow_exception(raised);
    } catch (const refhost::StreamInputError& error) {
      // The translator runs with the GIL held; the class lives in the pure-Python part.
      py::object type = py::module_::import("volacor._errors").attr("StreamInputError");
      py::object exception = type(error.what(), error.file(), error.field(), error.line());
      PyErr_SetObject(type.ptr(), exception.ptr());
    }
  });
  module.def("parse_stream", &ParseStream, py::arg("text"), py::arg("source"), py::arg("first_line") = 1,
             "Checks stream-file text (first_line 0: text written from arguments, errors without\n"
             "lines); returns its description or raises StreamInputError.");
}

}  // namespace volacor_python
