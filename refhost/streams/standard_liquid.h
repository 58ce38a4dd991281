// Liquid volumes at standard conditions (15 °C), used for liquid-volume fractions and
// for distillation curves by liquid volume.
#pragma once

#include "thermo/component.h"

namespace refhost {

// The component's liquid density, kg/m³: the table's 15 °C value (for a petroleum cut,
// its specific gravity times the density of water at 60 °F); for a component that is
// supercritical at 15 °C (methane, nitrogen, oxygen ...) the saturated liquid at its
// normal boiling point by the Rackett equation with the table's Z_RA.
double StandardLiquidDensity_kg_per_m3(const thermo::Component& component);

// Liquid molar volume, m³/kmol, from that density.
double StandardLiquidVolume_m3_per_kmol(const thermo::Component& component);

}  // namespace refhost
