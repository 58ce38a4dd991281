// volacor._volacor.rvp_json(), flash_json(), analysis_json(), methods_json(): the
// reference host's answers as JSON text, which the package turns into data frames.
// Each call runs serialised with the GIL released.
#include <optional>
#include <string>
#include <vector>

#include <pybind11/stl.h>

#include "python/src/bindings.h"
#include "python/src/calculation_lock.h"
#include "python/src/host_session.h"
#include "refhost/manager/correlation_manager.h"

namespace py = pybind11;

namespace volacor_python {
namespace {

std::string Rvp(const std::string& text, const std::string& source, int firstLine, const std::string& library,
                std::vector<std::string> methods, double temperature_C, std::optional<double> removeNcPercent,
                std::optional<double> vlRatio, const std::string& eos) {
  RvpRequest request{library, std::move(methods), temperature_C, removeNcPercent, vlRatio, eos};
  return Serialised([&] { return CalculateRvpJson(text, source, firstLine, request); });
}

std::string Flash(const std::string& text, const std::string& source, int firstLine, const std::string& eos,
                  double temperature_C, std::optional<double> pressure_kPa, std::optional<double> vapourFraction) {
  return Serialised(
      [&] { return FlashJson(text, source, firstLine, eos, temperature_C, pressure_kPa, vapourFraction); });
}

std::string Analysis(const std::string& text, const std::string& source, int firstLine, const std::string& eos) {
  return Serialised([&] { return AnalysisJson(text, source, firstLine, eos); });
}

}  // namespace

void BindHost(py::module_& module) {
  py::register_exception<refhost::CorrelationError>(module, "CorrelationError", PyExc_RuntimeError);
  module.def("rvp_json", &Rvp, py::arg("text"), py::arg("source"), py::arg("first_line"), py::arg("library"),
             py::arg("methods"), py::arg("temperature_C"), py::arg("remove_nc_percent"), py::arg("vl_ratio"),
             py::arg("eos"), "Every chosen method's RVP of the stream (kPa) as JSON text.");
  module.def("flash_json", &Flash, py::arg("text"), py::arg("source"), py::arg("first_line"), py::arg("eos"),
             py::arg("temperature_C"), py::arg("pressure_kPa"), py::arg("vapour_fraction"),
             "The host's flash of the stream as JSON text.");
  module.def("analysis_json", &Analysis, py::arg("text"), py::arg("source"), py::arg("first_line"), py::arg("eos"),
             "The host's stream analysis (D86 curve, boiling-point-curve RVP) of each phase as JSON text.");
  module.def("methods_json", &MethodsJson, "The nine methods of the host's table as JSON text.");
  module.def("release_library", [] { Serialised([] { ReleaseManagers(); }); },
             "Lets the component library go; the next calculation loads it again.");
  // The library and its objects go before the interpreter does, not in static teardown.
  py::module_::import("atexit").attr("register")(module.attr("release_library"));
}

}  // namespace volacor_python
