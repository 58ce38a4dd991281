// What one calculation of one stream gives: per method the RVP of each phase (kPa,
// absent where the method gives none) and the method's messages. The writers (table,
// JSON, CSV) and the worker processes exchange exactly this.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace volacor::cli {

// The host's phases in the order the methods calculate them; the host's names.
inline constexpr int kPhaseCount = 5;
enum class Phase { Feed = 0, Vapour, LightLiquid, HeavyLiquid, Solid };
inline constexpr std::array<const char*, kPhaseCount> kPhaseNames{"FEED", "VAP", "LIQ1", "LIQ2", "SOLID"};
inline const char* PhaseName(int phase) { return kPhaseNames[static_cast<std::size_t>(phase)]; }

struct MethodIdentity {
    std::string shortName;    // "d6377-16": unique, for command lines
    std::string displayName;  // the name the library shows; two methods share theirs
    std::string progId;       // "Volacor.ASTM_D6377_16"
    std::string classId;      // "{383A842D-...}"
    bool feedOnly = false;    // calculates the whole stream only, never a single phase
};

struct MethodOutcome {
    MethodIdentity method;
    std::array<std::optional<double>, kPhaseCount> rvp_kPa;  // by Phase
    std::vector<std::string> messages;  // the method's lines, in the order it gave them
    std::string failure;                // non-empty when the calculation itself failed
};

struct StreamOutcome {
    std::string name;    // the stream's name
    std::string source;  // file, or file:line in a batch
    double temperature_C = 37.78;  // reference temperature of the calculation
    std::array<bool, kPhaseCount> phasePresent{};  // in the stream at its own conditions
    std::vector<MethodOutcome> methods;
    std::vector<std::string> warnings;  // about the stream, not a method (fractions normalised)
    std::string error;  // non-empty when the stream could not be read or calculated
    bool badInput = false;  // error is about the input (exit 2), not a failure (exit 1)
};

}  // namespace volacor::cli
