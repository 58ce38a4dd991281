#pragma once
// The two cubic equations of state as one family:
//   P = R T / (v - b) - a(T) / ((v + delta1 b)(v + delta2 b))
// with a(T) = omega_a (R Tc)^2 / Pc alpha(T), b = omega_b R Tc / Pc.
#include "thermo/component.h"

namespace thermo {

enum class EquationOfState { PengRobinson, SoaveRedlichKwong };

struct CubicConstants {
  double omega_a;
  double omega_b;
  double delta1;
  double delta2;
};

CubicConstants cubic_constants(EquationOfState eos);

// Soave-type alpha slope kappa(omega) (the 1978 form for PR above omega 0.491).
double kappa_of_omega(EquationOfState eos, double omega);

// alpha(T) of a component: Soave form with kappa_of_omega; for Peng-Robinson, the PRSV
// form for water and the aromatics listed in constants.h; for SRK, Twu's form for water
// and toluene (constants.h), where Soave's alpha misses the vapour pressure.
double alpha(EquationOfState eos, const Component& component, double T_K);

// Peneloux shift c (m3/kmol, V = V_EOS - c): PR uses the tabulated shift where there is
// one; otherwise, and always for SRK, c comes from Rackett Z_RA (0 if Z_RA is unknown).
double volume_shift_m3_per_kmol(EquationOfState eos, const Component& component);

}  // namespace thermo
