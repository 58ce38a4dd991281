// Michelsen's tangent-plane stability analysis: Wilson vapour- and liquid-like trials,
// trials for a second liquid and a pure-water trial, by successive substitution and then
// Newton in 2 sqrt(W) (where its Hessian is positive definite, else substitution: an
// indefinite Newton step heads for a saddle).
#include <algorithm>
#include <cmath>

#include "thermo/flasher.h"

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

}  // namespace

Flasher::Trial Flasher::run_trial(double P_kPa, RootChoice root) {
  Trial t;
  const auto m = static_cast<Eigen::Index>(active_.size());
  // Any trial with a negative distance proves the phase unstable, whether or not the
  // iteration then converges: the lowest such trial is kept. Near a critical point a
  // trial can pass through negative distances and still fall back onto the phase.
  double lowest_tm = 0;
  for (int it = 1; it <= options_.max_iterations; ++it) {
    t.iterations = it;
    const bool newton = it > kTrialSubstitutions;
    mixture_.ln_phi(trial_, P_kPa, root, work_, nullptr, newton ? &jac_a_ : nullptr);
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
    if (tm < kUnstableTm && tm < lowest_tm) {
      lowest_tm = tm;
      lowest_trial_ = trial_;
    }
    if (max_h < 1e-10) break;
    // A clearly negative distance already proves instability; the split refines the rest.
    if (options_.end_proven_unstable_trials && tm < kProvenUnstableTm && it >= 2) break;
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
      if (solve_symmetric_in_place(hessian_, step_, m, cholesky_)) {
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
  if (lowest_tm < 0 && (t.trivial || lowest_tm < t.tm)) {
    trial_ = lowest_trial_;
    t.tm = lowest_tm;
    t.trivial = false;
  }
  return t;
}

bool Flasher::vapour_trial_unstable(const Phase& phase, double P_kPa, int& iterations) {
  if (root_like(phase.props) != RootChoice::Liquid) return false;
  for (Eigen::Index i : active_) {
    ln_x_(i) = std::log(phase.x(i));
    d_(i) = ln_x_(i) + phase.ln_phi(i);
  }
  trial_.setZero();
  for (Eigen::Index i : active_) trial_(i) = std::exp(d_(i));
  const Trial t = run_trial(P_kPa, RootChoice::Vapour);
  iterations += t.iterations;
  return !t.trivial && t.tm < kUnstableTm;
}

bool Flasher::second_liquid_unstable(const Phase& phase, double P_kPa, int& iterations) {
  if (root_like(phase.props) != RootChoice::Liquid || active_.size() < 2) return false;
  // Liquids of unlike molecules split: by size (the second liquid holds least of the
  // largest molecules, as aromatics beside a heavy paraffin) or by cohesion (the
  // solubility parameter sqrt(a_i) / b_i of regular-solution theory, as hydrogen
  // sulfide beside methane). Trials: without most of the largest molecule; without most
  // of every molecule larger than the phase's mean; nearly pure in the component of the
  // highest, then of the lowest solubility parameter.
  const Eigen::VectorXd& b = fluid_.b();
  const Eigen::MatrixXd& a = mixture_.a_ij();
  auto cohesion = [&](Eigen::Index i) { return std::sqrt(std::max(a(i, i), 0.0)) / b(i); };
  Eigen::Index largest = active_.front(), most_cohesive = largest, least_cohesive = largest;
  double mean_b = 0;
  for (Eigen::Index i : active_) {
    if (b(i) > b(largest)) largest = i;
    if (cohesion(i) > cohesion(most_cohesive)) most_cohesive = i;
    if (cohesion(i) < cohesion(least_cohesive)) least_cohesive = i;
    mean_b += phase.x(i) * b(i);
    ln_x_(i) = std::log(phase.x(i));
    d_(i) = ln_x_(i) + phase.ln_phi(i);
  }
  int larger_than_mean = 0;
  for (Eigen::Index i : active_) larger_than_mean += b(i) > mean_b ? 1 : 0;
  for (int pass = 0; pass < 4; ++pass) {
    if (pass == 1 && larger_than_mean < 2) continue;  // the same trial as the first
    trial_.setZero();
    for (Eigen::Index i : active_) {
      switch (pass) {
        case 0: trial_(i) = i == largest ? 1e-3 * phase.x(i) : phase.x(i); break;
        case 1: trial_(i) = b(i) > mean_b ? 1e-3 * phase.x(i) : phase.x(i); break;
        case 2: trial_(i) = i == most_cohesive ? 1.0 : 1e-3 * phase.x(i); break;
        default: trial_(i) = i == least_cohesive ? 1.0 : 1e-3 * phase.x(i); break;
      }
    }
    const Trial t = run_trial(P_kPa, RootChoice::Liquid);
    iterations += t.iterations;
    if (!t.trivial && t.tm < kUnstableTm) return true;
  }
  return false;
}

bool Flasher::unstable(const Phase& phase, double P_kPa, bool wilson_trials, bool water_trial, int& iterations,
                       bool water_first) {
  const Eigen::VectorXd& x = phase.x;
  const Eigen::VectorXd& ln_phi_x = phase.ln_phi;
  const bool liquid_like = root_like(phase.props) == RootChoice::Liquid;
  for (Eigen::Index i : active_) {
    ln_x_(i) = std::log(x(i));
    d_(i) = ln_x_(i) + ln_phi_x(i);
  }
  auto run = [&](RootChoice root = RootChoice::MinimumGibbs) {
    const Trial t = run_trial(P_kPa, root);
    iterations += t.iterations;
    return !t.trivial && t.tm < kUnstableTm;
  };
  const int w = fluid_.water_index();
  auto water = [&] {
    if (!water_trial || w < 0 || z_(w) <= 0) return false;
    trial_.setZero();
    for (Eigen::Index i : active_) trial_(i) = 1e-8 * x(i);
    trial_(w) = 1.0;
    return run();
  };
  if (water_first && water()) return true;
  if (wilson_trials) {
    // A vapour-like trial only for a liquid-like phase (an ideal gas in equilibrium with
    // it, W = x phi, which finds vapours that Wilson's K-values of close-boiling mixtures
    // miss), Wilson's vapour-like trial otherwise; then Wilson's liquid-like trial.
    wilson_ln_k(P_kPa, wilson_);
    trial_.setZero();
    if (liquid_like) {
      for (Eigen::Index i : active_) trial_(i) = std::exp(d_(i));
    } else {
      for (Eigen::Index i : active_) trial_(i) = x(i) * std::exp(wilson_(i));
    }
    if (run()) return true;
    trial_.setZero();
    for (Eigen::Index i : active_) trial_(i) = x(i) * std::exp(-wilson_(i));
    if (run()) return true;
    if (w >= 0 && z_(w) > 0 && x(w) < 1.0) {
      // The liquid-like trial may settle on a water-rich stationary point and miss a
      // hydrocarbon liquid: try again without the water.
      trial_.setZero();
      for (Eigen::Index i : active_) trial_(i) = x(i) * std::exp(-wilson_(i));
      trial_(w) = 1e-8 * trial_(w);
      if (run()) return true;
    }
    // In a close-boiling mixture the incipient phase has nearly the tested phase's
    // composition, where the minimum-Gibbs root is the tested phase's own: the trials
    // above fall back onto it. A trial held on the other root finds the split (a
    // negative distance on either root proves instability, the other root's Gibbs
    // energy being the higher).
    const RootChoice other = liquid_like ? RootChoice::Vapour : RootChoice::Liquid;
    const PhaseProperties props = mixture_.ln_phi(x, P_kPa, other, work_);
    if (props.Z != phase.props.Z) {
      trial_.setZero();
      for (Eigen::Index i : active_) trial_(i) = std::exp(d_(i) - work_(i));
      if (run(other)) return true;
    }
    // With an alcohol present, liquids split where Wilson's K-values see nothing (an
    // alcohol-rich liquid, or a light-hydrocarbon-rich one beside it): a trial of each
    // component nearly pure, alcohols first.
    bool polar = false;
    for (Eigen::Index k : active_) polar = polar || is_polar(k);
    for (int pass = 0; polar && pass < 2; ++pass) {
      for (Eigen::Index k : active_) {
        if (is_polar(k) != (pass == 0) || (w >= 0 && k == w)) continue;
        trial_.setZero();
        for (Eigen::Index i : active_) trial_(i) = 1e-6 * x(i);
        trial_(k) = 1.0;
        if (run(RootChoice::Liquid)) return true;
      }
    }
  }
  return !water_first && water();
}
}  // namespace thermo
