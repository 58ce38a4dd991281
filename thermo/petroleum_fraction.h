#pragma once
// Pseudo-components for petroleum cuts (a crude or naphtha assay entered as boiling
// ranges): critical constants from the normal boiling point and specific gravity by
// published correlations (citations in constants.h).
#include <string>
#include <vector>

#include "thermo/component.h"

namespace thermo {

struct PetroleumCut {
  std::string name;
  double tb_K = 0;            // normal boiling point (mid-boiling point of the cut)
  double sg_60F = 0;          // specific gravity 60/60 F
  double mw_g_per_mol = 0;    // 0: estimated by Riazi-Daubert
};

// Tc, Pc and (unless given) molar mass by Riazi-Daubert (1980); acentric factor by
// Lee-Kesler (1975); Rackett Z_RA by Yamada-Gunn (1973); the 15 C liquid density from the
// specific gravity, so the fluid fits the cut's volume shift to it like a named
// component's. host_id must be kFirstPseudoHostId or more; the CAS number is 0. Throws
// std::invalid_argument for a boiling point or gravity that is not positive and finite,
// or a host id below the pseudo range.
Component make_pseudo_component(const PetroleumCut& cut, int host_id);

// Consecutive host ids from first_host_id.
std::vector<Component> make_pseudo_components(const std::vector<PetroleumCut>& cuts,
                                              int first_host_id = kFirstPseudoHostId);

}  // namespace thermo
