#pragma once
// Calculations of this process never overlap: the library keeps one calculator for the
// whole process. Every call into the host takes this lock, with the GIL released so
// that other Python threads run meanwhile.
#include <mutex>
#include <utility>

#include <pybind11/pybind11.h>

namespace volacor_python {

std::mutex& ProcessCalculationMutex();

// Runs work() without the GIL and under the process-wide lock; its result must not
// hold Python objects (they are made after the GIL is back).
template <typename Work>
auto Serialised(Work&& work) {
  pybind11::gil_scoped_release release;
  const std::lock_guard<std::mutex> lock(ProcessCalculationMutex());
  return std::forward<Work>(work)();
}

}  // namespace volacor_python
