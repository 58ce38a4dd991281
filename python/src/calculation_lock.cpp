#include "python/src/calculation_lock.h"

namespace volacor_python {

std::mutex& ProcessCalculationMutex() {
  static std::mutex mutex;
  return mutex;
}

}  // namespace volacor_python
