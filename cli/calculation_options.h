// The options every calculating command shares (rvp, batch and the batch's workers).
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace volacor::cli {

struct CalculationOptions {
    double temperature_C = 37.78;               // reference temperature of the RVP
    std::optional<double> removeNcPercent;      // below this mole %, light gases are removed
    std::optional<double> vlRatio;              // vapour/liquid volume ratio of ASTM D6377-16
    std::string eos = "pr";                     // "pr" or "srk"
    std::vector<std::string> methods;           // short names or programmatic ids; empty: all
    bool verbose = false;
};

void AddCalculationOptions(CLI::App& command, CalculationOptions& options);
// Throws InputError for values no method can use.
void CheckCalculationOptions(const CalculationOptions& options);
// The same options as command-line arguments, for a worker process.
std::vector<std::string> CalculationArguments(const CalculationOptions& options);

}  // namespace volacor::cli
