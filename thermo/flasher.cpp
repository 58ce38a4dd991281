// The PT flash: input checks, the driver from stability to a two- or three-phase split,
// and the labelled result.
#include "thermo/flasher.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "thermo/constants.h"

namespace thermo {

Flasher::Flasher(const Fluid& fluid, FlashOptions options)
    : fluid_(fluid), options_(options), mixture_(fluid), n_(static_cast<Eigen::Index>(fluid.size())) {
  active_.reserve(static_cast<std::size_t>(n_));
  for (Eigen::VectorXd* v : {&z_, &ln_z_, &d_, &trial_, &lowest_trial_, &ln_k_, &wilson_, &work_, &gradient_, &step_, &cholesky_, &k_, &ln_x_, &start_ln_k_}) {
    v->setZero(n_);
  }
  warm_active_.reserve(static_cast<std::size_t>(n_));
  warm_ln_k_.setZero(n_);
  hessian_.setZero(n_, n_);
  jac_a_.setZero(n_, n_);
  jac_b_.setZero(n_, n_);
  theta_.setZero(n_, 3);
  for (Phase* p : {&feed_, &phases_[0], &phases_[1], &phases_[2]}) {
    p->x.setZero(n_);
    p->ln_phi.setZero(n_);
    p->dlnphi_dP.setZero(n_);
  }
}

bool Flasher::load_inputs(double T_K, double P_kPa, std::span<const double> z, FlashResult& out) {
  out.status = FlashStatus::InvalidInput;
  out.message.clear();
  ln_k_is_log_ratio_ = false;
  // Nothing non-finite leaves the engine, not even an echo of bad input.
  out.T_K = std::isfinite(T_K) ? T_K : 0.0;
  out.P_kPa = std::isfinite(P_kPa) ? P_kPa : 0.0;
  out.stability_iterations = 0;
  out.flash_iterations = 0;
  out.phase_count = 0;
  for (auto& p : out.phases) {
    p.present = false;
    p.fraction = 0;
    p.v_m3_per_kmol = 0;
    p.Z = 0;
    p.composition.assign(static_cast<std::size_t>(n_), 0.0);
  }
  char text[160];
  if (z.size() != static_cast<std::size_t>(n_)) {
    std::snprintf(text, sizeof text, "composition has %zu fractions, the fluid %zu components", z.size(),
                  static_cast<std::size_t>(n_));
    out.message = text;
    return false;
  }
  if (!std::isfinite(T_K) || T_K <= 0) {
    out.message = "temperature must be positive and finite (K)";
    return false;
  }
  if (!std::isfinite(P_kPa) || P_kPa <= 0) {
    out.message = "pressure must be positive and finite (kPa)";
    return false;
  }
  double largest = 0;
  for (std::size_t i = 0; i < z.size(); ++i) {
    if (!std::isfinite(z[i]) || z[i] < 0) {
      std::snprintf(text, sizeof text, "fraction %zu (%s) is negative or not finite", i,
                    fluid_.component(i).name.c_str());
      out.message = text;
      return false;
    }
    largest = std::max(largest, z[i]);
  }
  if (!(largest > 0)) {
    out.message = "fractions are all zero";
    return false;
  }
  // Scaled by the largest first, so that huge amounts cannot overflow the sum.
  double sum = 0;
  for (double v : z) sum += v / largest;
  active_.clear();
  for (Eigen::Index i = 0; i < n_; ++i) {
    z_(i) = z[static_cast<std::size_t>(i)] / largest / sum;
    if (z_(i) > 0) {
      active_.push_back(i);
      ln_z_(i) = std::log(z_(i));
    } else {
      z_(i) = 0;
      ln_z_(i) = 0;
    }
  }
  feed_.root = RootChoice::MinimumGibbs;
  for (Phase& p : phases_) p.root = RootChoice::MinimumGibbs;
  mixture_.set_temperature(T_K);
  out.status = FlashStatus::Converged;
  return true;
}

void Flasher::wilson_ln_k(double P_kPa, Eigen::VectorXd& ln_k) const {
  const double T = mixture_.temperature_K();
  for (Eigen::Index i = 0; i < n_; ++i) {
    const Component& c = fluid_.component(static_cast<std::size_t>(i));
    ln_k(i) = std::log(c.pc_kPa / P_kPa) + constants::wilson_slope * (1.0 + c.omega) * (1.0 - c.tc_K / T);
  }
}

RootChoice Flasher::root_like(const PhaseProperties& props) const {
  const CubicConstants& k = fluid_.cubic();
  const double vpc_factor = (1.0 - (k.delta1 + k.delta2 - 1.0) * k.omega_b) / 3.0 / k.omega_b;
  return props.v_eos_m3_per_kmol < vpc_factor * props.b_m3_per_kmol ? RootChoice::Liquid : RootChoice::Vapour;
}

bool Flasher::has_aqueous_phase(int count) const {
  const int w = fluid_.water_index();
  for (int p = 0; w >= 0 && p < count; ++p) {
    if (phases_[p].x(w) > 0.5 && root_like(phases_[p].props) == RootChoice::Liquid) return true;
  }
  return false;
}

bool Flasher::is_polar(Eigen::Index i) const {
  const Component& c = fluid_.component(static_cast<std::size_t>(i));
  return !c.is_water() && c.omega > 0.4 && c.mw_g_per_mol < 80.0;
}

void Flasher::evaluate(Phase& phase, double P_kPa, bool with_pressure_derivative) {
  phase.props = mixture_.ln_phi(phase.x, P_kPa, phase.root, phase.ln_phi,
                                with_pressure_derivative ? &phase.dlnphi_dP : nullptr);
}

void Flasher::write_result(int phase_count, FlashResult& out) {
  // Slots by the rule stated in flash_result.h.
  const CubicConstants& k = fluid_.cubic();
  const double zc_over_omega_b = (1.0 - (k.delta1 + k.delta2 - 1.0) * k.omega_b) / 3.0 / k.omega_b;
  const int w = fluid_.water_index();
  int slot_of[3] = {-1, -1, -1};
  int aqueous = -1;
  double best_water = 0.5;
  for (int p = 0; p < phase_count; ++p) {
    const Phase& ph = phases_[p];
    const double water = w >= 0 ? ph.x(w) : 0.0;
    const bool liquid_like = ph.props.v_eos_m3_per_kmol < zc_over_omega_b * ph.props.b_m3_per_kmol;
    if (water > best_water && liquid_like) {
      best_water = water;
      aqueous = p;
    }
  }
  int others[3], count = 0;
  for (int p = 0; p < phase_count; ++p) {
    if (p != aqueous) others[count++] = p;
  }
  // Largest molar volume first (at most three entries).
  for (int a = 1; a < count; ++a) {
    for (int b = a; b > 0 && phases_[others[b]].props.v_eos_m3_per_kmol > phases_[others[b - 1]].props.v_eos_m3_per_kmol; --b) {
      std::swap(others[b], others[b - 1]);
    }
  }
  bool taken[kPhaseSlots] = {false, false, false};
  if (aqueous >= 0) {
    slot_of[aqueous] = kAqueousLiquid;
    taken[kAqueousLiquid] = true;
  }
  // The largest phase is the vapour if it is vapour-like; the rest fill the free slots
  // lightest first: hydrocarbon (light) liquid, then heavy liquid, then vapour.
  int first = 0;
  if (count > 0) {
    const Phase& ph = phases_[others[0]];
    if (ph.props.v_eos_m3_per_kmol > zc_over_omega_b * ph.props.b_m3_per_kmol) {
      slot_of[others[0]] = kVapour;
      taken[kVapour] = true;
      first = 1;
    }
  }
  const int order[3] = {kHydrocarbonLiquid, kAqueousLiquid, kVapour};
  for (int r = first; r < count; ++r) {
    for (int slot : order) {
      if (taken[slot]) continue;
      slot_of[others[r]] = slot;
      taken[slot] = true;
      break;
    }
  }
  out.phase_count = 0;
  for (int p = 0; p < phase_count; ++p) {
    const Phase& ph = phases_[p];
    PhaseResult& r = out.phases[static_cast<std::size_t>(slot_of[p])];
    r.present = true;
    ++out.phase_count;
    r.fraction = ph.beta;
    for (Eigen::Index i = 0; i < n_; ++i) r.composition[static_cast<std::size_t>(i)] = ph.x(i);
    r.v_m3_per_kmol = mixture_.translated_volume(ph.x, ph.props);
    r.Z = ph.props.Z;
  }
  guard_finite(out);
}

void Flasher::single_phase_result(FlashResult& out) {
  phases_[0].x = z_;
  phases_[0].props = feed_.props;
  phases_[0].beta = 1.0;
  write_result(1, out);
}

FlashResult Flasher::flash_pt(double T_K, double P_kPa, std::span<const double> z) {
  FlashResult out;
  flash_pt(T_K, P_kPa, z, out);
  return out;
}

void Flasher::flash_pt(double T_K, double P_kPa, std::span<const double> z, FlashResult& out) {
  if (!load_inputs(T_K, P_kPa, z, out)) return;
  feed_.x = z_;
  evaluate(feed_, P_kPa);
  const int w = fluid_.water_index();
  const bool water_and_more = w >= 0 && z_(w) > 0 && active_.size() > 1;
  if (options_.warm_start && !water_and_more && warm_split(P_kPa, out)) return;
  if (active_.size() == 1 || (!unstable(feed_, P_kPa, true, water_and_more, out.stability_iterations) &&
                              !second_liquid_unstable(feed_, P_kPa, out.stability_iterations))) {
    single_phase_result(out);
    return;
  }
  // Start the split from the unstable trial: it is the incipient phase.
  const double w_sum = trial_.sum();
  phases_[2].x = trial_ / w_sum;
  evaluate(phases_[2], P_kPa);
  const bool trial_is_lighter = phases_[2].props.v_eos_m3_per_kmol > feed_.props.v_eos_m3_per_kmol;
  ln_k_.setZero();
  for (Eigen::Index i : active_) {
    const double ln_ratio = std::log(phases_[2].x(i)) - ln_z_(i);
    ln_k_(i) = trial_is_lighter ? ln_ratio : -ln_ratio;
  }
  // Each phase keeps the root it starts with, so that a vapour far from its final
  // composition is not evaluated as a liquid (which can collapse the split).
  phases_[0].root = trial_is_lighter ? root_like(feed_.props) : root_like(phases_[2].props);
  phases_[1].root = trial_is_lighter ? root_like(phases_[2].props) : root_like(feed_.props);
  phases_[2].root = RootChoice::MinimumGibbs;
  bool converged = false;
  int iterations = 0;
  if (!split_two_phase(P_kPa, iterations, converged)) {
    // The feed is unstable (a trial proved it), so a single phase is no answer: the
    // split collapsed or ran out of iterations.
    out.flash_iterations = iterations;
    single_phase_result(out);
    out.status = FlashStatus::NotConverged;
    out.message = "the phase split failed although the feed is unstable";
    return;
  }
  out.flash_iterations = iterations;
  int phase_count = 2;
  if (water_and_more) seek_third_phase(P_kPa, out.stability_iterations, out.flash_iterations, phase_count, converged);
  if (!converged) {
    out.status = FlashStatus::NotConverged;
    out.message = "phase split did not converge";
  } else if (accept_equilibrium(phase_count, out) && options_.warm_start && phase_count == 2 && !water_and_more) {
    keep_warm_start();
  }
  write_result(phase_count, out);
}

// Iterations per pass allowed to a warm start before the cold path takes over.
constexpr int kWarmStartIterations = 30;

bool Flasher::warm_split(double P_kPa, FlashResult& out) {
  if (!warm_valid_ || active_.size() < 2 || active_ != warm_active_) return false;
  for (Eigen::Index i : active_) ln_k_(i) = warm_ln_k_(i);
  phases_[0].root = warm_roots_[0];
  phases_[1].root = warm_roots_[1];
  int iterations = 0;
  bool converged = false;
  // A start that is going nowhere (the feed is now single-phase, or far from the previous
  // state) is dropped early: the cold path then decides.
  const int max_iterations = options_.max_iterations;
  options_.max_iterations = std::min(max_iterations, kWarmStartIterations);
  const bool split = split_two_phase(P_kPa, iterations, converged);
  options_.max_iterations = max_iterations;
  if (!split || !converged) return false;
  // Gibbs energy of the split less the feed's, over RT: negative proves the feed unstable.
  double dg = 0;
  for (Eigen::Index i : active_) {
    for (const Phase* p : {&phases_[0], &phases_[1]}) {
      if (p->x(i) > 0) dg += p->beta * p->x(i) * (std::log(p->x(i)) + p->ln_phi(i));
    }
    dg -= z_(i) * (ln_z_(i) + feed_.ln_phi(i));
  }
  if (!(dg < -1e-10)) return false;
  // A split that fails the check is left to the cold path, which starts afresh.
  if (!accept_equilibrium(2, out)) {
    out.status = FlashStatus::Converged;
    out.message.clear();
    return false;
  }
  out.flash_iterations = iterations;
  keep_warm_start();
  write_result(2, out);
  return true;
}

void Flasher::keep_warm_start() {
  warm_active_ = active_;
  for (Eigen::Index i : active_) {
    warm_ln_k_(i) = std::log(phases_[1].x(i) / phases_[0].x(i));
    if (!std::isfinite(warm_ln_k_(i))) {
      warm_valid_ = false;
      return;
    }
  }
  warm_roots_[0] = root_like(phases_[0].props);
  warm_roots_[1] = root_like(phases_[1].props);
  warm_valid_ = true;
}
}  // namespace thermo
