// What the three API methods share: their units and the two values each phase call
// takes from the host (the bubble-point TVP and the boiling-point-curve RVP).
#pragma once

#include <cmath>

#include "core/property_calculator.h"
#include "host/fluid.h"

namespace volacor::api {

// The API methods convert with these factors, not the exact ones (6.894757 kPa per psi,
// 459.67 °R at 0 °F): their published results were computed with them.
inline constexpr double KPA_PER_PSI = 6.8943;
inline constexpr double RANKINE_AT_0_F = 459.69;

// °R as the driver hands it, back to °C for the host.
inline double RankineToCelsius(double temperature_R) { return (temperature_R - RANKINE_AT_0_F - 32.0) / 1.8; }

// A value the host really calculated: neither EMPTY_VALUE nor a NaN or infinity, which
// would otherwise pass every range check and come back as a result.
inline bool IsHostValue(double value) { return value != EMPTY_VALUE && std::isfinite(value); }

// Flashes work (set up as a bubble-point request) and, when the host gives a pressure,
// stores it as calc.tvpPsia. Otherwise tvpPsia keeps what it holds: EMPTY_VALUE on the
// FEED call, the previous phase's TVP on the later ones. A record without an overall
// composition is never handed to the host.
inline void StoreBubblePointTvp(CPropertyCalculator& calc, IHostFluidServices& services, FluidSnapshot& work) {
    if (!work.composition[FEED]) return;
    if (SUCCEEDED(services.Flash(&work)) && IsHostValue(work.pressure)) calc.tvpPsia = work.pressure / KPA_PER_PSI;
}

// Stores the boiling-point-curves utility's RVP of phase (kPa) as calc.bpRvpPsia when
// it calculated one; otherwise bpRvpPsia carries over as tvpPsia does.
inline void StoreBpCurveRvp(CPropertyCalculator& calc, int32_t phase) {
    const double rvp_kPa = calc.analysis.bpCurveRvp[phase];
    if (IsHostValue(rvp_kPa)) calc.bpRvpPsia = rvp_kPa / KPA_PER_PSI;
}

}  // namespace volacor::api
