// The command's outcome of a stream from the reference host's calculation of it: the
// form every writer, the worker processes and the Python package take.
#pragma once

#include <string>

#include "cli/outcome.h"
#include "refhost/calculation/stream_calculation.h"
#include "refhost/manager/method_table.h"

namespace volacor::cli {

MethodIdentity IdentityOf(const refhost::MethodInfo& method);

// `temperature_C` is the reference temperature the correlations were set to.
StreamOutcome OutcomeOf(const refhost::StreamCalculation& calculation, const std::string& name,
                        const std::string& source, double temperature_C);

}  // namespace volacor::cli
