#pragma once
// Flashes of one fluid: at given temperature and pressure (PT), and at given temperature
// and vapour mole fraction (the pressure is found). Up to three phases: vapour, a
// hydrocarbon liquid and an aqueous liquid.
//
//   thermo::Fluid fluid = thermo::Fluid::from_keys({"methane", "n-butane", "water"});
//   thermo::Flasher flasher(fluid);
//   thermo::FlashResult r = flasher.flash_pt(310.93, 500.0, z);
//   if (r.status == thermo::FlashStatus::Converged) use(r.vapour().fraction);
//
// Units: T in K, P in kPa, volumes in m3/kmol. Input errors (wrong length, negative,
// non-finite or all-zero fractions, T or P not positive and finite, vapour fraction
// outside [0, 1]) give status InvalidInput with a message; nothing is thrown by a flash.
// Components at fraction 0 may be anywhere in the list; they stay at 0 in every phase.
// A third phase is sought where water is present (it is then the aqueous liquid, or a
// vapour beside hydrocarbon and aqueous liquids). Two hydrocarbon liquids are sought only
// where the feed is a single liquid (the PT flash then splits it in two); a second
// hydrocarbon liquid beside a vapour or beside an aqueous liquid is not sought.
//
// A Flasher owns its work arrays (sized once for the fluid, so a flash allocates only
// when it fills a fresh FlashResult; the overloads taking `FlashResult&` reuse its
// storage). It keeps a reference to the fluid, which must outlive it. It is not
// thread-safe; use one per thread. Results depend only on the inputs: no state of a
// previous call is used, except as a starting point with FlashOptions::warm_start.
#include <span>
#include <vector>

#include <Eigen/Core>

#include "thermo/cubic_mixture.h"
#include "thermo/flash_result.h"
#include "thermo/fluid.h"

namespace thermo {

class Flasher {
 public:
  explicit Flasher(const Fluid& fluid, FlashOptions options = {});

  const Fluid& fluid() const { return fluid_; }
  const FlashOptions& options() const { return options_; }

  FlashResult flash_pt(double T_K, double P_kPa, std::span<const double> z);
  void flash_pt(double T_K, double P_kPa, std::span<const double> z, FlashResult& out);

  // The pressure at which vapour is the fraction `beta` of the fluid (0 = bubble point,
  // 1 = dew point), with an aqueous liquid where water exceeds its solubility. At
  // beta = 0 the incipient vapour is reported present with fraction 0 (likewise the
  // incipient liquid at beta = 1). NoSolution when there is no such pressure or the
  // search can only find the trivial solution (all phases alike).
  FlashResult flash_t_beta(double T_K, double beta, std::span<const double> z);
  void flash_t_beta(double T_K, double beta, std::span<const double> z, FlashResult& out);

 private:
  struct Trial {
    double tm = 0;
    bool trivial = false;
    int iterations = 0;
  };
  struct Phase {
    Eigen::VectorXd x;
    Eigen::VectorXd ln_phi;
    Eigen::VectorXd dlnphi_dP;
    PhaseProperties props;
    double beta = 0;
    RootChoice root = RootChoice::MinimumGibbs;  // the cubic root this phase takes
  };

  bool load_inputs(double T_K, double P_kPa, std::span<const double> z, FlashResult& out);
  void wilson_ln_k(double P_kPa, Eigen::VectorXd& ln_k) const;
  void evaluate(Phase& phase, double P_kPa, bool with_pressure_derivative = false);
  // Stability of an evaluated phase by tangent-plane trials: a vapour-like trial (ideal
  // gas for a liquid-like phase, Wilson otherwise), Wilson's liquid-like trial (with and
  // without water), a trial held on the cubic's other root, a nearly pure trial of each
  // light polar component, and a pure-water trial (first or last).
  // Returns true if a trial reaches tm below the threshold (at any iterate: a negative
  // distance anywhere proves instability); the mole numbers of the trial's lowest
  // iterate are left in trial_.
  bool unstable(const Phase& phase, double P_kPa, bool wilson_trials, bool water_trial, int& iterations,
                bool water_first = false);
  Trial run_trial(double P_kPa, RootChoice root);
  // A liquid-like phase that Wilson's trials call stable may still split into two
  // liquids of unlike molecules; Wilson's K-values rank components by volatility alone
  // and lean towards the heavy end. Trials on the liquid root unlike the phase in size
  // (without most of its largest molecules) or in cohesion (nearly pure in its most or
  // least cohesive component) reach the other liquid.
  bool second_liquid_unstable(const Phase& phase, double P_kPa, int& iterations);
  // The ideal-gas trial of a liquid-like phase held on the vapour root alone.
  bool vapour_trial_unstable(const Phase& phase, double P_kPa, int& iterations);
  // Two-phase split from K-values in ln_k_; true if a proper split was found.
  bool split_two_phase(double P_kPa, int& iterations, bool& converged);
  bool split_two_phase_pass(double P_kPa, int& iterations, bool& converged);
  // The root a phase keeps through a split: liquid if its volume is below the
  // pseudo-critical volume, else vapour.
  RootChoice root_like(const PhaseProperties& props) const;
  // A light polar component other than water (acentric factor above 0.4 below
  // 80 g/mol: the alcohols of the table), which gets a trial of its own.
  bool is_polar(Eigen::Index i) const;
  // Whether one of phases_[0..count) is an aqueous liquid (liquid-like, over half water).
  bool has_aqueous_phase(int count) const;
  bool solve_rachford_rice(double& beta);
  // The warm-start attempt of flash_pt; true if it produced the result.
  bool warm_split(double P_kPa, FlashResult& out);
  void keep_warm_start();
  // Three-phase split starting from phases_[0..2]; true if all three remain.
  bool split_three_phase(double P_kPa, int& iterations, bool& converged);
  bool solve_multiphase_rr(int phase_count);
  // After a two-phase split of a fluid with water: a third phase if one is proven
  // missing (phase_count becomes 3), or another pair of phases if the three-phase split
  // falls back to two; `converged` false if a phase is still proven missing.
  void seek_third_phase(double P_kPa, int& stability_iterations, int& flash_iterations, int& phase_count,
                        bool& converged);
  // Moves the phases of positive fraction to the front of phases_; returns their count.
  int keep_present_phases();
  // The check of flash_result.h on phases_[0..count), each evaluated at its reported
  // composition; on failure `out` becomes NotConverged with the reason. True if it holds.
  bool accept_equilibrium(int count, FlashResult& out);
  void single_phase_result(FlashResult& out);
  void write_result(int phase_count, FlashResult& out);
  int saturation_solve(double beta, int liquids, double& P_kPa, int& iterations, bool& converged);
  bool saturation_start(double beta, double& P_kPa, bool water_apart_allowed = true);

  const Fluid& fluid_;
  FlashOptions options_;
  CubicMixture mixture_;
  Eigen::Index n_;
  std::vector<Eigen::Index> active_;
  Eigen::VectorXd z_;
  Eigen::VectorXd ln_z_;
  Eigen::VectorXd d_;         // ln x + ln phi(x) of the tested phase: the tangent plane
  Eigen::VectorXd ln_x_;      // ln x of the tested phase
  Eigen::VectorXd trial_;     // trial mole numbers
  Eigen::VectorXd lowest_trial_;  // the trial of lowest negative distance seen in a run
  Eigen::VectorXd ln_k_;      // two-phase ln K = ln(y/x)
  // ln_k_ holds ln(x1 / x0) of phases_[1] and phases_[0] as they are (the split's Newton
  // stage keeps it so), which the equilibrium check then reuses.
  bool ln_k_is_log_ratio_ = false;
  Eigen::VectorXd wilson_;    // Wilson's ln K at the current T, P
  Eigen::VectorXd k_;         // exp(ln_k_), for the Rachford-Rice solve
  Eigen::VectorXd start_ln_k_;  // the split's starting K-values, for its second pass
  Eigen::VectorXd work_;
  Eigen::VectorXd gradient_;
  Eigen::VectorXd step_;
  Eigen::VectorXd cholesky_;  // diagonal of the Newton steps' Cholesky factor
  Eigen::MatrixXd hessian_;
  Eigen::MatrixXd jac_a_;
  Eigen::MatrixXd jac_b_;
  Phase feed_;
  Phase phases_[3];
  Eigen::MatrixXd theta_;     // n x 3 K-values relative to phase 0 (three-phase split)
  double beta3_[3] = {0, 0, 0};
  // The previous two-phase result, for FlashOptions::warm_start.
  bool warm_valid_ = false;
  std::vector<Eigen::Index> warm_active_;
  Eigen::VectorXd warm_ln_k_;
  RootChoice warm_roots_[2] = {RootChoice::MinimumGibbs, RootChoice::MinimumGibbs};
};

// Clears the phases and reports NotConverged if any number in `out` is not finite, so
// that no NaN or infinity leaves the engine.
void guard_finite(FlashResult& out);

// Solves the leading m x m block of A x = b in place (Gaussian elimination with partial
// pivoting); b becomes x. Returns false for a singular block.
bool solve_in_place(Eigen::MatrixXd& A, Eigen::VectorXd& b, Eigen::Index m);

// The same for a symmetric block by Cholesky (half the work), reading only A's lower
// triangle and diagonal; `work` (at least m long) is scratch. Returns false if the block
// is not positive definite, with b as it was and A's upper triangle the mirror of its
// lower one (ready for solve_in_place).
bool solve_symmetric_in_place(Eigen::MatrixXd& A, Eigen::VectorXd& b, Eigen::Index m, Eigen::VectorXd& work);

// A Newton step of a symmetric system: Cholesky, else Gaussian elimination (an
// indefinite Hessian far from the solution).
bool solve_newton_step(Eigen::MatrixXd& A, Eigen::VectorXd& b, Eigen::Index m, Eigen::VectorXd& work);

}  // namespace thermo
