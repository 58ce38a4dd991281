// The process-wide lock that keeps calculations (and the host's own flashes of a stream)
// from overlapping: the library's calculator is shared by all its objects.
#pragma once

#include <mutex>

namespace refhost {

std::mutex& CalculationMutex();

}  // namespace refhost
