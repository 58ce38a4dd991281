#include "thermo/fluid.h"

#include <stdexcept>

#include "thermo/constants.h"
#include "thermo/pure_saturation.h"

namespace thermo {

Fluid::Fluid(std::vector<Component> components, EquationOfState eos, const ComponentDatabase& database)
    : components_(std::move(components)), eos_(eos), cubic_(cubic_constants(eos)) {
  if (components_.empty()) throw std::invalid_argument("a fluid needs at least one component");
  const auto n = static_cast<Eigen::Index>(components_.size());
  kij_ = Eigen::MatrixXd::Zero(n, n);
  a_critical_.resize(n);
  b_.resize(n);
  shift_.resize(n);
  const double R = constants::R_J_per_mol_K;
  for (Eigen::Index i = 0; i < n; ++i) {
    const Component& c = components_[static_cast<std::size_t>(i)];
    if (!(c.tc_K > 0) || !(c.pc_kPa > 0)) {
      throw std::invalid_argument("component '" + c.name + "' lacks a critical point");
    }
    if (c.is_water() && water_index_ < 0) water_index_ = static_cast<int>(i);
    a_critical_(i) = cubic_.omega_a * R * R * c.tc_K * c.tc_K / c.pc_kPa;
    b_(i) = cubic_.omega_b * R * c.tc_K / c.pc_kPa;
    shift_(i) = volume_shift_m3_per_kmol(eos, c);
    for (Eigen::Index j = 0; j < i; ++j) {
      const Component& d = components_[static_cast<std::size_t>(j)];
      const bool pseudo = c.host_id >= kFirstPseudoHostId || d.host_id >= kFirstPseudoHostId;
      double k = 0.0;
      if (!pseudo) {
        k = database.kij(c.name, d.name);
      } else if (c.is_water() || d.is_water()) {
        k = constants::pseudo_water_kij;  // like the table's alkanes, so water stays apart
      }
      kij_(i, j) = kij_(j, i) = k;
    }
  }
  fit_shifts_to_reference_density();
}

Fluid Fluid::from_keys(const std::vector<std::string>& keys, EquationOfState eos, const ComponentDatabase& database) {
  std::vector<Component> list;
  list.reserve(keys.size());
  for (const auto& key : keys) list.push_back(database.find(key));
  return Fluid(std::move(list), eos, database);
}

Fluid Fluid::from_host_ids(const std::vector<int>& host_ids, EquationOfState eos, const ComponentDatabase& database) {
  std::vector<Component> list;
  list.reserve(host_ids.size());
  for (int id : host_ids) list.push_back(database.find_by_host_id(id));
  return Fluid(std::move(list), eos, database);
}

void Fluid::fit_shifts_to_reference_density() {
  // Peneloux's shift leaves phase equilibrium unchanged and only moves volumes; fitting
  // it to the saturated liquid at 15 C makes liquid densities right where the laboratory
  // methods compare volumes. Components without a density (supercritical at 15 C) keep
  // the Rackett-based shift.
  CubicMixture mixture(*this);
  for (std::size_t i = 0; i < components_.size(); ++i) {
    const Component& c = components_[i];
    if (!(c.liquid_density_kg_per_m3_15C > 0) || c.tc_K <= constants::reference_density_T_K) continue;
    const PureSaturation s = pure_saturation(mixture, i, constants::reference_density_T_K);
    if (!s.converged) continue;
    const double v_untranslated = s.v_liquid_m3_per_kmol + shift_(static_cast<Eigen::Index>(i));
    shift_(static_cast<Eigen::Index>(i)) = v_untranslated - c.mw_g_per_mol / c.liquid_density_kg_per_m3_15C;
  }
}

void Fluid::set_kij(std::size_t i, std::size_t j, double value) {
  if (i >= size() || j >= size()) throw std::out_of_range("kij index");
  kij_(static_cast<Eigen::Index>(i), static_cast<Eigen::Index>(j)) = value;
  kij_(static_cast<Eigen::Index>(j), static_cast<Eigen::Index>(i)) = value;
}

}  // namespace thermo
