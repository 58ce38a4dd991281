// `volacor flash STREAM`: the host's flash of a stream at a temperature and a pressure
// or a vapour fraction: the phases with fractions, compositions, molar volumes and
// densities.
#pragma once

#include <optional>
#include <string>

namespace volacor::cli {

struct FlashOptions {
    std::string stream;
    double temperature_C = 0;
    std::optional<double> pressure_kPa;
    std::optional<double> vapourFraction;
    std::string eos = "pr";
    std::string format = "table";  // table or json
};

int run_flash(const FlashOptions& options);

}  // namespace volacor::cli
