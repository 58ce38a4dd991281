#include "thermo/flasher.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include <Eigen/LU>

#include "thermo/constants.h"

namespace thermo {
namespace {

// A trial phase whose tangent-plane distance is below this proves the feed unstable.
constexpr double kUnstableTm = -1e-10;
// A trial below this tangent-plane distance ends early: the feed is unstable beyond doubt
// and the two-phase split converges from the trial as well as from its limit.
constexpr double kProvenUnstableTm = -1e-2;
// Successive-substitution steps before a stability trial switches to Newton.
constexpr int kTrialSubstitutions = 6;
// Smallest mole number kept in a trial, so that its logarithm stays finite.
constexpr double kTinyMoles = 1e-300;

bool all_finite(const FlashResult& r) {
  if (!std::isfinite(r.P_kPa)) return false;
  for (const auto& p : r.phases) {
    if (!std::isfinite(p.fraction) || !std::isfinite(p.v_m3_per_kmol) || !std::isfinite(p.Z)) return false;
    for (double v : p.composition) {
      if (!std::isfinite(v)) return false;
    }
  }
  return true;
}

}  // namespace

void guard_finite(FlashResult& out) {
  if (all_finite(out)) return;
  for (auto& p : out.phases) {
    p.present = false;
    p.fraction = p.v_m3_per_kmol = p.Z = 0;
    std::fill(p.composition.begin(), p.composition.end(), 0.0);
  }
  out.phase_count = 0;
  out.P_kPa = std::isfinite(out.P_kPa) ? out.P_kPa : 0.0;
  out.status = FlashStatus::NotConverged;
  out.message = "the iteration left the range of finite numbers";
}

bool solve_in_place(Eigen::MatrixXd& A, Eigen::VectorXd& b, Eigen::Index m) {
  for (Eigen::Index k = 0; k < m; ++k) {
    Eigen::Index pivot = k;
    for (Eigen::Index i = k + 1; i < m; ++i) {
      if (std::abs(A(i, k)) > std::abs(A(pivot, k))) pivot = i;
    }
    if (A(pivot, k) == 0.0 || !std::isfinite(A(pivot, k))) return false;
    if (pivot != k) {
      for (Eigen::Index j = 0; j < m; ++j) std::swap(A(k, j), A(pivot, j));
      std::swap(b(k), b(pivot));
    }
    for (Eigen::Index i = k + 1; i < m; ++i) {
      const double f = A(i, k) / A(k, k);
      if (f == 0.0) continue;
      for (Eigen::Index j = k + 1; j < m; ++j) A(i, j) -= f * A(k, j);
      b(i) -= f * b(k);
    }
  }
  for (Eigen::Index k = m - 1; k >= 0; --k) {
    double s = b(k);
    for (Eigen::Index j = k + 1; j < m; ++j) s -= A(k, j) * b(j);
    b(k) = s / A(k, k);
  }
  return true;
}

Flasher::Flasher(const Fluid& fluid, FlashOptions options)
    : fluid_(fluid), options_(options), mixture_(fluid), n_(static_cast<Eigen::Index>(fluid.size())) {
  active_.reserve(static_cast<std::size_t>(n_));
  for (Eigen::VectorXd* v : {&z_, &ln_z_, &d_, &trial_, &ln_k_, &wilson_, &work_, &gradient_, &step_, &k_, &ln_x_}) {
    v->setZero(n_);
  }
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
  out.T_K = T_K;
  out.P_kPa = P_kPa;
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

void Flasher::evaluate(Phase& phase, double P_kPa, bool with_pressure_derivative) {
  phase.props = mixture_.ln_phi(phase.x, P_kPa, RootChoice::MinimumGibbs, phase.ln_phi,
                                with_pressure_derivative ? &phase.dlnphi_dP : nullptr);
}

Flasher::Trial Flasher::run_trial(double P_kPa) {
  Trial t;
  const auto m = static_cast<Eigen::Index>(active_.size());
  for (int it = 1; it <= options_.max_iterations; ++it) {
    t.iterations = it;
    const bool newton = it > kTrialSubstitutions;
    mixture_.ln_phi(trial_, P_kPa, RootChoice::MinimumGibbs, work_, nullptr, newton ? &jac_a_ : nullptr);
    double w_sum = 0;
    for (Eigen::Index i : active_) w_sum += trial_(i);
    const double ln_w_sum = std::log(w_sum);
    double tm = 1.0, max_h = 0, max_dev = 0;
    for (Eigen::Index k = 0; k < m; ++k) {
      const Eigen::Index i = active_[static_cast<std::size_t>(k)];
      const double ln_w = std::log(trial_(i));
      const double h = ln_w + work_(i) - d_(i);
      gradient_(k) = h;
      tm += trial_(i) * (h - 1.0);
      max_h = std::max(max_h, std::abs(h));
      max_dev = std::max(max_dev, std::abs(ln_w - ln_w_sum - ln_x_(i)));
    }
    t.tm = tm;
    if (max_h < 1e-10) break;
    // A clearly negative distance already proves instability; the split refines the rest.
    if (options_.end_proven_unstable_trials && tm < kProvenUnstableTm && it >= 3) break;
    // The trial has fallen onto the tested phase itself.
    if (max_dev < 1e-4 && std::abs(std::log(w_sum)) < 1e-4) {
      t.trivial = true;
      break;
    }
    bool stepped = false;
    if (newton) {
      // Newton in alpha = 2 sqrt(W), where the tangent-plane distance is nearly quadratic.
      for (Eigen::Index k = 0; k < m; ++k) {
        const Eigen::Index i = active_[static_cast<std::size_t>(k)];
        const double sk = std::sqrt(trial_(i));
        for (Eigen::Index l = 0; l < m; ++l) {
          const Eigen::Index j = active_[static_cast<std::size_t>(l)];
          hessian_(k, l) = sk * std::sqrt(trial_(j)) * jac_a_(i, j) / w_sum;
        }
        hessian_(k, k) += 1.0 + 0.5 * gradient_(k);
        step_(k) = -sk * gradient_(k);
      }
      if (solve_in_place(hessian_, step_, m)) {
        stepped = true;
        for (Eigen::Index k = 0; k < m; ++k) {
          const Eigen::Index i = active_[static_cast<std::size_t>(k)];
          const double alpha = 2.0 * std::sqrt(trial_(i));
          double next = alpha + step_(k);
          if (!(next > 0)) next = 0.5 * alpha;
          trial_(i) = std::max(0.25 * next * next, kTinyMoles);
        }
      }
    }
    if (!stepped) {
      for (Eigen::Index i : active_) trial_(i) = std::max(std::exp(d_(i) - work_(i)), kTinyMoles);
    }
  }
  return t;
}

bool Flasher::unstable(const Eigen::VectorXd& x, const Eigen::VectorXd& ln_phi_x, double P_kPa, bool wilson_trials,
                       bool water_trial, int& iterations) {
  for (Eigen::Index i : active_) {
    ln_x_(i) = std::log(x(i));
    d_(i) = ln_x_(i) + ln_phi_x(i);
  }
  auto run = [&] {
    const Trial t = run_trial(P_kPa);
    iterations += t.iterations;
    return !t.trivial && t.tm < kUnstableTm;
  };
  bool found = false;
  if (wilson_trials) {
    wilson_ln_k(P_kPa, wilson_);
    trial_.setZero();
    for (Eigen::Index i : active_) trial_(i) = x(i) * std::exp(wilson_(i));
    found = run();
    if (!found) {
      trial_.setZero();
      for (Eigen::Index i : active_) trial_(i) = x(i) * std::exp(-wilson_(i));
      found = run();
    }
  }
  const int w = fluid_.water_index();
  if (!found && water_trial && w >= 0 && z_(w) > 0) {
    trial_.setZero();
    for (Eigen::Index i : active_) trial_(i) = 1e-8 * x(i);
    trial_(w) = 1.0;
    found = run();
  }
  return found;
}

bool Flasher::solve_rachford_rice(double& beta) {
  double k_min = INFINITY, k_max = 0;
  for (Eigen::Index i : active_) {
    const double k = k_(i) = std::exp(ln_k_(i));
    k_min = std::min(k_min, k);
    k_max = std::max(k_max, k);
  }
  if (!(k_max > 1.0) || !(k_min < 1.0)) return false;
  double lo = 1.0 / (1.0 - k_max);
  double hi = 1.0 / (1.0 - k_min);
  if (!(beta > lo && beta < hi)) beta = 0.5 * (std::max(lo, 0.0) + std::min(hi, 1.0));
  for (int it = 0; it < 200; ++it) {
    double f = 0, df = 0;
    for (Eigen::Index i : active_) {
      const double km1 = k_(i) - 1.0;
      const double den = 1.0 + beta * km1;
      f += z_(i) * km1 / den;
      df -= z_(i) * km1 * km1 / (den * den);
    }
    if (f > 0) lo = beta; else hi = beta;
    double next = beta - f / df;
    if (!(next > lo && next < hi)) next = 0.5 * (lo + hi);
    const double change = std::abs(next - beta);
    beta = next;
    if (change <= 1e-16 * (1.0 + std::abs(beta)) || f == 0.0) break;
  }
  return true;
}

bool Flasher::split_two_phase(double P_kPa, int& iterations, bool& converged) {
  Phase& liquid = phases_[0];
  Phase& vapour = phases_[1];
  converged = false;
  double beta = 0.5;
  const auto m = static_cast<Eigen::Index>(active_.size());
  bool newton = false;
  for (int it = 1; it <= options_.max_iterations; ++it) {
    iterations = it;
    if (!newton) {
      if (!solve_rachford_rice(beta)) return false;
      liquid.x.setZero();
      vapour.x.setZero();
      for (Eigen::Index i : active_) {
        liquid.x(i) = z_(i) / (1.0 + beta * (k_(i) - 1.0));
        vapour.x(i) = k_(i) * liquid.x(i);
      }
      evaluate(liquid, P_kPa);
      evaluate(vapour, P_kPa);
      double error = 0, size = 0;
      for (Eigen::Index i : active_) {
        const double ln_k = liquid.ln_phi(i) - vapour.ln_phi(i);
        error = std::max(error, std::abs(ln_k - ln_k_(i)));
        size = std::max(size, std::abs(ln_k));
        ln_k_(i) = ln_k;
      }
      if (size < 1e-5) return false;  // trivial: both phases alike
      if (error < options_.tolerance) {
        if (!solve_rachford_rice(beta) || beta <= 0 || beta >= 1) return false;
        converged = true;
        break;
      }
      if (error < 1e-2 && beta > 0 && beta < 1 && it >= 3) {
        newton = true;
        for (Eigen::Index i : active_) ln_k_(i) = std::log(vapour.x(i) / liquid.x(i));
      }
      continue;
    }
    // Newton on the Gibbs energy in the vapour's mole numbers.
    mixture_.ln_phi(liquid.x, P_kPa, RootChoice::MinimumGibbs, liquid.ln_phi, nullptr, &jac_a_);
    mixture_.ln_phi(vapour.x, P_kPa, RootChoice::MinimumGibbs, vapour.ln_phi, nullptr, &jac_b_);
    double max_g = 0;
    for (Eigen::Index k = 0; k < m; ++k) {
      const Eigen::Index i = active_[static_cast<std::size_t>(k)];
      gradient_(k) = ln_k_(i) + vapour.ln_phi(i) - liquid.ln_phi(i);  // ln_k_ = ln(y/x) here
      max_g = std::max(max_g, std::abs(gradient_(k)));
    }
    if (max_g < options_.tolerance) {
      converged = true;
      break;
    }
    for (Eigen::Index k = 0; k < m; ++k) {
      const Eigen::Index i = active_[static_cast<std::size_t>(k)];
      for (Eigen::Index l = 0; l < m; ++l) {
        const Eigen::Index j = active_[static_cast<std::size_t>(l)];
        hessian_(k, l) = (jac_b_(i, j) - 1.0) / beta + (jac_a_(i, j) - 1.0) / (1.0 - beta);
      }
      hessian_(k, k) += 1.0 / (beta * vapour.x(i)) + 1.0 / ((1.0 - beta) * liquid.x(i));
      step_(k) = -gradient_(k);
    }
    if (!solve_in_place(hessian_, step_, m)) {
      newton = false;
      continue;
    }
    // Keep every mole number strictly inside (0, z_i). Each phase's amounts are updated
    // on their own, so a trace amount keeps its digits (z_i - v_i would lose them).
    double t = 1.0;
    for (Eigen::Index k = 0; k < m; ++k) {
      const Eigen::Index i = active_[static_cast<std::size_t>(k)];
      const double v = beta * vapour.x(i);
      const double l = (1.0 - beta) * liquid.x(i);
      if (v + t * step_(k) <= 0) t = std::min(t, -0.9 * v / step_(k));
      if (l - t * step_(k) <= 0) t = std::min(t, 0.9 * l / step_(k));
    }
    double v_sum = 0, l_sum = 0;
    for (Eigen::Index k = 0; k < m; ++k) {
      const Eigen::Index i = active_[static_cast<std::size_t>(k)];
      work_(i) = beta * vapour.x(i) + t * step_(k);
      trial_(i) = (1.0 - beta) * liquid.x(i) - t * step_(k);
      v_sum += work_(i);
      l_sum += trial_(i);
    }
    if (!(v_sum > 0 && l_sum > 0)) return false;
    beta = v_sum / (v_sum + l_sum);
    for (Eigen::Index i : active_) {
      vapour.x(i) = work_(i) / v_sum;
      liquid.x(i) = trial_(i) / l_sum;
      ln_k_(i) = std::log(vapour.x(i) / liquid.x(i));
    }
  }
  // Compositions from the final K-values, so material balance holds to rounding.
  for (Eigen::Index i : active_) {
    const double k = std::exp(ln_k_(i));
    liquid.x(i) = z_(i) / (1.0 + beta * (k - 1.0));
    vapour.x(i) = k * liquid.x(i);
  }
  liquid.x /= liquid.x.sum();
  vapour.x /= vapour.x.sum();
  evaluate(liquid, P_kPa);
  evaluate(vapour, P_kPa);
  liquid.beta = 1.0 - beta;
  vapour.beta = beta;
  return beta > 0 && beta < 1;
}

bool Flasher::solve_multiphase_rr(int phase_count) {
  // Minimises Q = sum beta_p - sum z_i ln E_i, E_i = sum_p beta_p theta_ip, over beta >= 0
  // (a convex problem); its stationary point is the material balance of every phase.
  for (int it = 0; it < 200; ++it) {
    double g[3] = {1, 1, 1};
    double h[3][3] = {};
    for (Eigen::Index i : active_) {
      double e = 0;
      for (int p = 0; p < phase_count; ++p) e += beta3_[p] * theta_(i, p);
      if (!(e > 0)) return false;
      for (int p = 0; p < phase_count; ++p) {
        g[p] -= z_(i) * theta_(i, p) / e;
        for (int q = 0; q < phase_count; ++q) h[p][q] += z_(i) * theta_(i, p) * theta_(i, q) / (e * e);
      }
    }
    // Phases at zero enter only if Q falls as they grow.
    bool free_phase[3] = {false, false, false};
    double max_g = 0;
    for (int p = 0; p < phase_count; ++p) {
      free_phase[p] = beta3_[p] > 0 || g[p] < 0;
      if (free_phase[p]) max_g = std::max(max_g, std::abs(g[p]));
    }
    if (max_g < 1e-14) return true;
    Eigen::Vector3d s = Eigen::Vector3d::Zero();
    int index[3], count = 0;
    for (int attempt = 0; attempt < 3; ++attempt) {
      count = 0;
      for (int p = 0; p < phase_count; ++p) {
        if (free_phase[p]) index[count++] = p;
      }
      // At most 3 x 3: pad the free block with the identity and solve at fixed size.
      Eigen::Matrix3d a = Eigen::Matrix3d::Identity();
      Eigen::Vector3d b = Eigen::Vector3d::Zero();
      for (int r = 0; r < count; ++r) {
        for (int c = 0; c < count; ++c) a(r, c) = h[index[r]][index[c]];
        b(r) = -g[index[r]];
      }
      s = a.partialPivLu().solve(b);
      // A phase at zero whose Newton step is negative stays out.
      bool dropped = false;
      for (int r = 0; r < count; ++r) {
        if (beta3_[index[r]] == 0 && s(r) < 0) {
          free_phase[index[r]] = false;
          dropped = true;
        }
      }
      if (!dropped) break;
    }
    double t = 1.0;
    int blocking = -1;
    for (int r = 0; r < count; ++r) {
      const int p = index[r];
      if (beta3_[p] + t * s(r) < 0) {
        t = -beta3_[p] / s(r);
        blocking = p;
      }
    }
    for (int r = 0; r < count; ++r) beta3_[index[r]] += t * s(r);
    if (blocking >= 0) beta3_[blocking] = 0;
  }
  return false;
}

bool Flasher::split_three_phase(double P_kPa, int& iterations, bool& converged) {
  converged = false;
  for (int p = 0; p < 3; ++p) evaluate(phases_[p], P_kPa);
  for (int it = 1; it <= options_.max_iterations; ++it) {
    iterations = it;
    double error = 0;
    for (Eigen::Index i : active_) {
      for (int p = 0; p < 3; ++p) {
        const double theta = std::exp(phases_[0].ln_phi(i) - phases_[p].ln_phi(i));
        if (it > 1) error = std::max(error, std::abs(std::log(theta / theta_(i, p))));
        theta_(i, p) = theta;
      }
    }
    if (it > 1 && error < options_.tolerance) {
      converged = true;
      break;
    }
    if (!solve_multiphase_rr(3)) return false;
    for (int p = 0; p < 3; ++p) {
      Phase& phase = phases_[p];
      phase.x.setZero();
      for (Eigen::Index i : active_) {
        double e = 0;
        for (int q = 0; q < 3; ++q) e += beta3_[q] * theta_(i, q);
        phase.x(i) = z_(i) * theta_(i, p) / e;
      }
      phase.x /= phase.x.sum();
      evaluate(phase, P_kPa);
    }
  }
  for (int p = 0; p < 3; ++p) phases_[p].beta = beta3_[p];
  return beta3_[0] > 0 && beta3_[1] > 0 && beta3_[2] > 0;
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
  if (aqueous >= 0) slot_of[aqueous] = kAqueousLiquid;
  if (count == 1) {
    const Phase& ph = phases_[others[0]];
    slot_of[others[0]] =
        ph.props.v_eos_m3_per_kmol > zc_over_omega_b * ph.props.b_m3_per_kmol ? kVapour : kHydrocarbonLiquid;
  } else if (count >= 2) {
    slot_of[others[0]] = kVapour;
    slot_of[others[1]] = kHydrocarbonLiquid;
    if (count == 3) slot_of[others[2]] = kAqueousLiquid;
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

void Flasher::single_phase_result(double P_kPa, FlashResult& out) {
  (void)P_kPa;
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
  if (active_.size() == 1 ||
      !unstable(z_, feed_.ln_phi, P_kPa, true, water_and_more, out.stability_iterations)) {
    single_phase_result(P_kPa, out);
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
  bool converged = false;
  int iterations = 0;
  if (!split_two_phase(P_kPa, iterations, converged)) {
    out.flash_iterations = iterations;
    single_phase_result(P_kPa, out);
    return;
  }
  out.flash_iterations = iterations;
  int phase_count = 2;
  if (water_and_more) {
    // A third phase, sought where water is present: test the phase with less water.
    const int test = phases_[0].x(w) <= phases_[1].x(w) ? 0 : 1;
    const CubicConstants& k = fluid_.cubic();
    const double vpc_factor = (1.0 - (k.delta1 + k.delta2 - 1.0) * k.omega_b) / 3.0 / k.omega_b;
    const bool has_vapour = phases_[1].props.v_eos_m3_per_kmol > vpc_factor * phases_[1].props.b_m3_per_kmol;
    if (unstable(phases_[test].x, phases_[test].ln_phi, P_kPa, !has_vapour, true, out.stability_iterations)) {
      phases_[2].x = trial_ / trial_.sum();
      beta3_[0] = phases_[0].beta * 0.9;
      beta3_[1] = phases_[1].beta * 0.9;
      beta3_[2] = 0.1;
      int iterations3 = 0;
      bool converged3 = false;
      const bool three = split_three_phase(P_kPa, iterations3, converged3);
      out.flash_iterations += iterations3;
      converged = converged3;
      if (three) {
        phase_count = 3;
      } else {
        // One phase vanished: keep the two that remain.
        int kept = 0;
        for (int p = 0; p < 3; ++p) {
          if (phases_[p].beta > 0) {
            if (kept != p) std::swap(phases_[kept], phases_[p]);
            ++kept;
          }
        }
        phase_count = kept;
      }
    }
  }
  if (!converged) {
    out.status = FlashStatus::NotConverged;
    out.message = "phase split did not converge";
  }
  write_result(phase_count, out);
}

}  // namespace thermo
