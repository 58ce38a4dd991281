#pragma once
// A fluid: an ordered list of components with an equation of state and its binary
// interaction parameters. Immutable once built and safe to share between threads;
// flashes run on a Flasher, which holds the work arrays for one fluid.
#include <span>
#include <string>
#include <vector>

#include <Eigen/Core>

#include "thermo/component.h"
#include "thermo/component_database.h"
#include "thermo/cubic_eos.h"

namespace thermo {

class Fluid {
 public:
  // kij are taken from the database by component name, 0 where absent; SRK uses the same
  // (Peng-Robinson) table. A pseudo-component has kij 0 with every component but water
  // (0.5, as the table's alkanes). Throws std::invalid_argument for an empty list.
  Fluid(std::vector<Component> components, EquationOfState eos = EquationOfState::PengRobinson,
        const ComponentDatabase& database = ComponentDatabase::builtin());

  // Components by name, alias, CAS number or host id (see ComponentDatabase::find);
  // throws std::invalid_argument naming a key that is not found.
  static Fluid from_keys(const std::vector<std::string>& keys, EquationOfState eos = EquationOfState::PengRobinson,
                         const ComponentDatabase& database = ComponentDatabase::builtin());

  // Components by host id (the ids the host reports per component); throws
  // std::invalid_argument naming an id that is not in the table.
  static Fluid from_host_ids(const std::vector<int>& host_ids, EquationOfState eos = EquationOfState::PengRobinson,
                             const ComponentDatabase& database = ComponentDatabase::builtin());

  std::size_t size() const { return components_.size(); }
  const std::vector<Component>& components() const { return components_; }
  const Component& component(std::size_t i) const { return components_[i]; }
  EquationOfState eos() const { return eos_; }
  const CubicConstants& cubic() const { return cubic_; }
  // Index of water, or -1 if the fluid has none.
  int water_index() const { return water_index_; }

  double kij(std::size_t i, std::size_t j) const { return kij_(static_cast<Eigen::Index>(i), static_cast<Eigen::Index>(j)); }
  void set_kij(std::size_t i, std::size_t j, double value);

  // Per-component EOS parameters: a at the critical point (kPa m6/kmol2), b (m3/kmol),
  // Peneloux shift (m3/kmol). The shift is fitted to the component's saturated-liquid
  // density at 15 C where the table gives one, else taken from volume_shift_m3_per_kmol.
  const Eigen::VectorXd& a_critical() const { return a_critical_; }
  const Eigen::VectorXd& b() const { return b_; }
  const Eigen::VectorXd& shift() const { return shift_; }

 private:
  void fit_shifts_to_reference_density();

  std::vector<Component> components_;
  EquationOfState eos_;
  CubicConstants cubic_;
  int water_index_ = -1;
  Eigen::MatrixXd kij_;
  Eigen::VectorXd a_critical_;
  Eigen::VectorXd b_;
  Eigen::VectorXd shift_;
};

}  // namespace thermo
