// The extension module volacor._volacor: the reference host's calculations for Python.
#include <pybind11/pybind11.h>

#include "python/src/bindings.h"

PYBIND11_MODULE(_volacor, module) {
  module.doc() = "Reid vapour pressures by the Volacor correlations, through the reference host.";
  volacor_python::BindHostExecutable(module);
  volacor_python::BindComponents(module);
  volacor_python::BindStreams(module);
  volacor_python::BindHost(module);
  volacor_python::BindBatch(module);
}
