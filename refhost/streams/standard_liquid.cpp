#include "refhost/streams/standard_liquid.h"

#include <cmath>
#include <stdexcept>

#include "thermo/constants.h"

namespace refhost {

double StandardLiquidDensity_kg_per_m3(const thermo::Component& c) {
    if (c.liquid_density_kg_per_m3_15C > 0) return c.liquid_density_kg_per_m3_15C;
    // Supercritical at 15 °C: the saturated liquid at the normal boiling point, Rackett
    // (J. Chem. Eng. Data 15 (1970) 514) with Z_RA as Spencer & Danner (J. Chem. Eng. Data
    // 17 (1972) 236): v = (R Tc / Pc) Z_RA^(1 + (1 - Tb/Tc)^(2/7)).
    if (!(c.tc_K > 0 && c.pc_kPa > 0 && c.zra > 0 && c.tb_K > 0 && c.tb_K < c.tc_K && c.mw_g_per_mol > 0))
        throw std::invalid_argument("component '" + c.name + "' has no data for a liquid density");
    const double v_m3_per_kmol = thermo::constants::R_J_per_mol_K * c.tc_K / c.pc_kPa *
                                 std::pow(c.zra, 1.0 + std::pow(1.0 - c.tb_K / c.tc_K, 2.0 / 7.0));
    return c.mw_g_per_mol / v_m3_per_kmol;
}

double StandardLiquidVolume_m3_per_kmol(const thermo::Component& c) {
    return c.mw_g_per_mol / StandardLiquidDensity_kg_per_m3(c);
}

}  // namespace refhost
