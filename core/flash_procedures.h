// Flash procedures shared by the laboratory methods: the volume an amount occupies in a
// flashed record, and the search for the pressure at which a mixture fills the test
// chamber. (The saturation of one stream with another is CPropertyCalculator::SaturateStream.)
#pragma once

#include <cstdint>

#include "core/property_calculator.h"

namespace volacor {

// Volume of amount moles in phase (0-3) or in all phases (FEED) of a flashed record:
// amount itself when it is 0 or EMPTY_VALUE, EMPTY_VALUE when it cannot be formed.
double PhaseVolume(CPropertyCalculator* calc, FluidSnapshot snapshot, double amount, int32_t phase);

// Searches the pressure at which amount moles of mixture at temperature_C fill 100
// volume units, from startPressure_kPa. 1 with pressureOut_kPa set on success; 0 with
// pressureOut_kPa unchanged.
int32_t IterateToRVP(CPropertyCalculator* calc, FluidSnapshot& mixture, double startPressure_kPa, double amount,
                     double temperature_C, const char* methodName, int32_t phase, double& pressureOut_kPa);

}  // namespace volacor
