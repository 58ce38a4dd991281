#pragma once
// Vapour pressure of one component of a fluid by its equation of state: the pressure at
// which the liquid and vapour roots have equal fugacity.
#include <cstddef>

#include "thermo/cubic_mixture.h"

namespace thermo {

struct PureSaturation {
  bool converged = false;  // false at or above Tc, or if Newton did not converge
  double P_kPa = 0;
  double v_liquid_m3_per_kmol = 0;  // Peneloux-translated
  double v_vapour_m3_per_kmol = 0;  // Peneloux-translated
  int iterations = 0;
};

// Sets the mixture's temperature to T_K. Throws std::out_of_range for a bad index.
PureSaturation pure_saturation(CubicMixture& mixture, std::size_t component, double T_K);

}  // namespace thermo
