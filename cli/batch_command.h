// `volacor batch FILE`: the RVP of many streams from a JSON-lines or CSV file, in one
// process or spread over worker processes (--jobs N), output in input order.
#pragma once

#include <string>

#include "cli/calculation_options.h"

namespace volacor::cli {

struct BatchOptions {
    std::string file;
    CalculationOptions calculation;
    std::string unit = "kPa";
    std::string format = "jsonl";  // jsonl or csv
    int jobs = 1;
    bool progress = true;
};

// 0 when every stream was read and calculated, 2 when a stream (or the file) was bad
// input, 1 when another failure stopped a stream.
int run_batch(const BatchOptions& options);

}  // namespace volacor::cli
