#pragma once
// One function per area of the extension module; each adds its functions to the module.
#include <pybind11/pybind11.h>

namespace volacor_python {

void BindComponents(pybind11::module_& module);
void BindStreams(pybind11::module_& module);
void BindHost(pybind11::module_& module);
void BindBatch(pybind11::module_& module);
// Before any calculation: the process stands for the `volacor` command.
void BindHostExecutable(pybind11::module_& module);

}  // namespace volacor_python
