// The search shared by the two volume-ratio methods: the pressure at which a phase's own
// fluid, at the reference temperature and with nothing added, splits into vapour and
// liquid of a given vapour/liquid volume ratio. A safeguarded secant does the main work;
// a bisection between the bubble point and a near-dew point is its fall-back.
#pragma once

#include <cstdint>

#include "core/property_calculator.h"

namespace volacor {

// Liquid (LIQ1 + LIQ2) and vapour volumes of a flashed record, for the calculator's
// molar flow (1.0 when it is below 1e-10). A phase that is absent or holds no more than
// 1e-6 of the fluid counts as 0. The liquid volume is EMPTY_VALUE when either liquid
// volume is, so a missing value never enters the sum.
struct LiquidVapourVolumes {
    double liquid;
    double vapour;
};
LiquidVapourVolumes MeasureLiquidVapourVolumes(CPropertyCalculator* calc, const FluidSnapshot& flashed);

// Pressure (kPa) at which the phase's volume ratio equals targetRatio, or EMPTY_VALUE.
// A single-component phase gives its bubble-point pressure. Any failure of the secant
// search falls back on BisectToVolumeRatio with the same arguments.
double IterateToVolumeRatio(CPropertyCalculator* calc, int32_t phase, double temperature_C,
                            double removeNcMolePercent, double targetRatio);

// Bisection between the bubble point and the near-dew point (vapour fraction 0.99, else
// 0.8). Gives the pressure only when the ratio found lies within 0.001 of targetRatio;
// otherwise EMPTY_VALUE. Writes no message besides the single-component line.
double BisectToVolumeRatio(CPropertyCalculator* calc, int32_t phase, double temperature_C,
                           double removeNcMolePercent, double targetRatio);

// The message texts both volume-ratio methods write, word for word.
inline constexpr const char* VOLUME_RATIO_REQUIRES_TVP = "Phase: %s - ASTM D323-73/79 Requires TVP.";
inline constexpr const char* VOLUME_RATIO_NO_BP_CURVE_RVP =
    "Phase: %s - ASTM D323-73/79 The BP Curves utility associated with the stream did not calculate an RVP value.";
inline constexpr const char* VOLUME_RATIO_FLASH_FAILED = "Phase: %s - ASTM D323-73/79 Flash to determine RVP has failed.";
inline constexpr const char* VOLUME_RATIO_NOT_CONVERGED =
    "Phase: %s - ASTM D323-73/79 not converged, when iterating to RVP, at %d iterations.";

}  // namespace volacor
