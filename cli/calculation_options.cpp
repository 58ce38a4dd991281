#include "cli/calculation_options.h"

#include <cmath>
#include <cstdio>

#include <CLI/CLI.hpp>

#include "cli/errors.h"

namespace volacor::cli {
namespace {
std::string Exact(double value) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}
}  // namespace

void AddCalculationOptions(CLI::App& command, CalculationOptions& options) {
    command.add_option("--temperature-C", options.temperature_C,
                       "Reference temperature of the RVP in \u00b0C (37.78 \u00b0C = 100 \u00b0F)")
        ->capture_default_str();
    command.add_option_function<double>(
        "--remove-nc-percent", [&options](const double& value) { options.removeNcPercent = value; },
        "Remove non-condensable gases (N2, O2, CO2, H2, methane ...) present below this mole %");
    command.add_option_function<double>(
        "--vl-ratio", [&options](const double& value) { options.vlRatio = value; },
        "Vapour/liquid volume ratio of ASTM D6377-16 (the method's default is 4)");
    command.add_option("--eos", options.eos, "Equation of state of the host's flashes: pr (Peng-Robinson) or srk")
        ->capture_default_str();
    command.add_option("-m,--method", options.methods,
                       "Run only these methods, by short name or programmatic id (repeat, or separate by commas)")
        ->delimiter(',');
    command.add_flag("-v,--verbose", options.verbose,
                     "Say on standard error how the methods were activated (registry or library file)");
}

void CheckCalculationOptions(const CalculationOptions& options) {
    if (!std::isfinite(options.temperature_C) || options.temperature_C <= -273.15) {
        throw InputError("The reference temperature must be a temperature in \u00b0C above absolute zero.");
    }
    if (options.removeNcPercent &&
        (!std::isfinite(*options.removeNcPercent) || *options.removeNcPercent < 0 || *options.removeNcPercent > 100)) {
        throw InputError("The non-condensable removal limit must be a mole percentage between 0 and 100.");
    }
    if (options.vlRatio && (!std::isfinite(*options.vlRatio) || *options.vlRatio <= 0)) {
        throw InputError("The vapour/liquid volume ratio must be a positive number.");
    }
    if (options.eos != "pr" && options.eos != "srk") {
        throw InputError("The equation of state '" + options.eos +
                         "' is not known; use pr (Peng-Robinson) or srk (Soave-Redlich-Kwong).");
    }
}

std::vector<std::string> CalculationArguments(const CalculationOptions& options) {
    std::vector<std::string> args{"--temperature-C", Exact(options.temperature_C), "--eos", options.eos};
    if (options.removeNcPercent) args.insert(args.end(), {"--remove-nc-percent", Exact(*options.removeNcPercent)});
    if (options.vlRatio) args.insert(args.end(), {"--vl-ratio", Exact(*options.vlRatio)});
    for (const std::string& method : options.methods) args.insert(args.end(), {"--method", method});
    return args;
}

}  // namespace volacor::cli
