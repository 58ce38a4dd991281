#pragma once
// Fugacity coefficients of a fluid's mixture by its cubic equation of state with van der
// Waals mixing, with their pressure and mole-number derivatives. Holds the terms that
// depend on temperature only, so repeated calls at one temperature cost O(n^2).
// Keeps a reference to the fluid, which must outlive it. Not thread-safe: one per
// thread (a Flasher owns one).
#include <Eigen/Core>

#include "thermo/fluid.h"

namespace thermo {

enum class RootChoice { Liquid, Vapour, MinimumGibbs };

struct PhaseProperties {
  double Z = 0;                  // compressibility factor of the chosen root
  double v_eos_m3_per_kmol = 0;  // untranslated molar volume
  double b_m3_per_kmol = 0;      // mixture co-volume
  bool liquid_root = false;      // the chosen root is the smaller of two
  double g_residual = 0;         // residual Gibbs energy / RT of the chosen root
};

class CubicMixture {
 public:
  explicit CubicMixture(const Fluid& fluid);

  const Fluid& fluid() const { return fluid_; }
  // Caches alpha and a_ij; cheap when T_K is unchanged.
  void set_temperature(double T_K);
  double temperature_K() const { return T_K_; }

  // ln(phi_i) for composition x (need not sum to 1; used normalised) at P_kPa. Optional
  // outputs: d ln(phi_i)/dP (1/kPa) and d ln(phi_i)/dn_j at constant T, P for one mole
  // of mixture (divide by the phase's moles for another amount). Zero fractions are
  // allowed; all values stay finite.
  PhaseProperties ln_phi(const Eigen::Ref<const Eigen::VectorXd>& x, double P_kPa, RootChoice root,
                         Eigen::Ref<Eigen::VectorXd> ln_phi_out, Eigen::VectorXd* dlnphi_dP = nullptr,
                         Eigen::MatrixXd* dlnphi_dn = nullptr);

  // Peneloux-translated molar volume (m3/kmol) of a phase already evaluated.
  double translated_volume(const Eigen::Ref<const Eigen::VectorXd>& x, const PhaseProperties& phase) const;

  const Eigen::MatrixXd& a_ij() const { return a_ij_; }

 private:
  const Fluid& fluid_;
  double T_K_ = -1;
  Eigen::MatrixXd a_ij_;
  Eigen::VectorXd x_;
  Eigen::VectorXd s_;
  Eigen::VectorXd q_;
  Eigen::VectorXd p_;
};

// Real roots of Z^3 + c2 Z^2 + c1 Z + c0 = 0 in ascending order; returns their count (1 or 3).
int solve_cubic(double c2, double c1, double c0, double roots[3]);

}  // namespace thermo
