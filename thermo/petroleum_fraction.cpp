#include "thermo/petroleum_fraction.h"

#include <cmath>
#include <stdexcept>

#include "thermo/constants.h"

namespace thermo {
namespace {

double riazi_daubert(const constants::RiaziDaubert& k, double tb_R, double sg) {
  return k.a * std::pow(tb_R, k.b) * std::pow(sg, k.c);
}

bool positive(double v) { return std::isfinite(v) && v > 0; }

}  // namespace

Component make_pseudo_component(const PetroleumCut& cut, int host_id) {
  using namespace constants;
  if (!positive(cut.tb_K) || !positive(cut.sg_60F) || !(std::isfinite(cut.mw_g_per_mol) && cut.mw_g_per_mol >= 0)) {
    throw std::invalid_argument("petroleum cut '" + cut.name + "': boiling point and gravity must be positive");
  }
  if (host_id < kFirstPseudoHostId) {
    throw std::invalid_argument("petroleum cut '" + cut.name + "': host id below " + std::to_string(kFirstPseudoHostId));
  }
  Component c;
  c.name = cut.name;
  c.host_id = host_id;
  c.cas = 0;
  c.formula = "";
  c.tb_K = cut.tb_K;
  const double tb_R = cut.tb_K * rankine_per_kelvin;
  c.mw_g_per_mol = cut.mw_g_per_mol > 0 ? cut.mw_g_per_mol : riazi_daubert(riazi_daubert_mw, tb_R, cut.sg_60F);
  c.tc_K = riazi_daubert(riazi_daubert_tc_R, tb_R, cut.sg_60F) / rankine_per_kelvin;
  c.pc_kPa = riazi_daubert(riazi_daubert_pc_psia, tb_R, cut.sg_60F) * kPa_per_psi;
  const double tbr = cut.tb_K / c.tc_K;
  const double ln_tbr = std::log(tbr);
  const double tbr6 = std::pow(tbr, 6);
  const double pc_atm = c.pc_kPa / kPa_per_atm;
  const auto& n = lee_kesler_numerator;
  const auto& d = lee_kesler_denominator;
  c.omega = (-std::log(pc_atm) + n[0] + n[1] / tbr + n[2] * ln_tbr + n[3] * tbr6) /
            (d[0] + d[1] / tbr + d[2] * ln_tbr + d[3] * tbr6);
  c.zra = yamada_gunn[0] + yamada_gunn[1] * c.omega;
  c.liquid_density_kg_per_m3_15C = cut.sg_60F * water_density_60F_kg_per_m3;
  c.has_pr_shift = false;
  if (!positive(c.tc_K) || !positive(c.pc_kPa) || !std::isfinite(c.omega) || c.tc_K <= c.tb_K) {
    throw std::invalid_argument("petroleum cut '" + cut.name + "': correlations give no valid critical point");
  }
  return c;
}

std::vector<Component> make_pseudo_components(const std::vector<PetroleumCut>& cuts, int first_host_id) {
  std::vector<Component> out;
  out.reserve(cuts.size());
  for (std::size_t i = 0; i < cuts.size(); ++i) {
    out.push_back(make_pseudo_component(cuts[i], first_host_id + static_cast<int>(i)));
  }
  return out;
}

}  // namespace thermo
