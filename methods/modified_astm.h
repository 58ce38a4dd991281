// The modified ASTM method: densities at 35, 60 and 100 °F, then a search at 100 °F for
// the pressure at which the liquid takes the volume fraction they call for.
#pragma once

#include <cstdint>

#include "host/records.h"

namespace volacor::modified_astm {

// Moles per unit volume of one phase of a flashed record, or of the whole fluid for
// FEED; EMPTY_VALUE when no phase counts (fraction below 1e-6, no positive molar volume,
// absent) or a counted phase holds exactly 1e-6 of the fluid.
double PhaseMolarDensity(FluidSnapshot work, int32_t phase);

}  // namespace volacor::modified_astm
