// `volacor rvp STREAM...`: the RVP of each stream file by every chosen method.
#pragma once

#include <string>
#include <vector>

#include "cli/calculation_options.h"

namespace volacor::cli {

struct RvpOptions {
    std::vector<std::string> streams;  // stream files
    CalculationOptions calculation;
    std::string unit = "kPa";
    std::string format = "table";  // table, json, csv
};

// 0 when every stream was read and calculated, 2 when a stream file was bad, 1 otherwise.
int run_rvp(const RvpOptions& options);

}  // namespace volacor::cli
