// Phase splits at given T and P: two phases by substitution then Newton on the Gibbs
// energy, three by substitution with a convex multiphase Rachford-Rice.
#include <algorithm>
#include <cmath>

#include <Eigen/LU>

#include "thermo/flasher.h"

namespace thermo {
namespace {

// Nearest phase fraction to 0 or 1 at which a wandering substitution is held.
constexpr double kSplitMargin = 1e-3;
// Newton gradient below which the next Newton step is expected to converge the split
// (quadratic convergence takes 1e-6 to about 1e-12).
constexpr double kNewtonFinalStep = 1e-6;

}  // namespace

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
  // Newton inside a shrinking bracket. The stop is on the residual, relative to the
  // size of its terms: at rounding level the compositions z / (1 + beta (K - 1)) sum
  // to 1 to rounding, so normalising them keeps the material balance. (A stop on the
  // step of beta is no stop: with a huge K the step is tiny however far the root is.)
  for (int it = 0; it < 500; ++it) {
    double f = 0, df = 0, scale = 0;
    for (Eigen::Index i : active_) {
      const double km1 = k_(i) - 1.0;
      const double den = 1.0 + beta * km1;
      const double term = z_(i) * km1 / den;
      f += term;
      scale += std::abs(term);
      df -= term * km1 / den;
    }
    if (f == 0.0 || std::abs(f) <= 1e-15 * scale) break;  // beta is the root
    if (f > 0) lo = beta; else hi = beta;
    double next = beta - f / df;
    if (!(next > lo && next < hi)) next = 0.5 * (lo + hi);
    if (!(next > lo && next < hi)) break;  // the bracket is down to adjacent numbers
    beta = next;
  }
  return true;
}

bool Flasher::split_two_phase(double P_kPa, int& iterations, bool& converged) {
  // First with each phase on its starting root; the answer must then hold with the
  // minimum-Gibbs roots too, else (or if the first pass fails) a second pass runs on them.
  start_ln_k_ = ln_k_;
  int first = 0;
  const bool found = split_two_phase_pass(P_kPa, first, converged);
  iterations = first;
  bool consistent = found;
  if (found) {
    for (Phase* phase : {&phases_[0], &phases_[1]}) {
      if (phase->root == RootChoice::MinimumGibbs) continue;
      const PhaseProperties best = mixture_.ln_phi(phase->x, P_kPa, RootChoice::MinimumGibbs, work_);
      if (best.Z != phase->props.Z) consistent = false;
    }
  }
  phases_[0].root = phases_[1].root = RootChoice::MinimumGibbs;
  if (consistent) return true;
  if (!found) ln_k_ = start_ln_k_;
  int second = 0;
  const bool again = split_two_phase_pass(P_kPa, second, converged);
  iterations += second;
  return again;
}

bool Flasher::split_two_phase_pass(double P_kPa, int& iterations, bool& converged) {
  Phase& liquid = phases_[0];
  Phase& vapour = phases_[1];
  converged = false;
  ln_k_is_log_ratio_ = false;
  double beta = 0.5;
  const auto m = static_cast<Eigen::Index>(active_.size());
  bool newton = false;
  double last_max_g = INFINITY;  // the Newton gradient of the previous iteration
  for (int it = 1; it <= options_.max_iterations; ++it) {
    iterations = it;
    if (!newton) {
      if (!solve_rachford_rice(beta)) return false;
      // Early K-values of a narrow two-phase region can put the Rachford-Rice root
      // outside (0, 1); substitution then runs away. Inside, compositions follow the
      // material balance; outside, they are taken at the nearest proper split and
      // normalised, which keeps the iteration between the phases.
      const double b = beta < 0 ? kSplitMargin : beta > 1 ? 1.0 - kSplitMargin : beta;
      liquid.x.setZero();
      vapour.x.setZero();
      for (Eigen::Index i : active_) {
        liquid.x(i) = z_(i) / (1.0 + b * (k_(i) - 1.0));
        vapour.x(i) = k_(i) * liquid.x(i);
      }
      // Held compositions miss the material balance: such an iterate is neither an
      // answer nor a start for Newton (which keeps the balance it starts with).
      const bool held = b != beta;
      if (held) {
        liquid.x /= liquid.x.sum();
        vapour.x /= vapour.x.sum();
        beta = b;
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
      ln_k_is_log_ratio_ = false;
      if (size < 1e-5) return false;  // trivial: both phases alike
      if (error < options_.tolerance) {
        // The phases just evaluated are the answer (their K-values moved by less than
        // the tolerance).
        if (held || beta <= 0 || beta >= 1) return false;
        converged = true;
        break;
      }
      if (error < 1e-2 && !held && beta > 0 && beta < 1 && it >= 3) {
        newton = true;
        for (Eigen::Index i : active_) ln_k_(i) = std::log(vapour.x(i) / liquid.x(i));
        ln_k_is_log_ratio_ = true;
      }
      continue;
    }
    // Newton on the Gibbs energy in the vapour's mole numbers. Once the gradient is
    // small, the next step is likely the last: the fugacities are then evaluated without
    // the mole-number derivatives first (ln phi is the same either way), and those are
    // computed only if another step is needed.
    auto gradient = [&] {
      double max_g = 0;
      for (Eigen::Index k = 0; k < m; ++k) {
        const Eigen::Index i = active_[static_cast<std::size_t>(k)];
        gradient_(k) = ln_k_(i) + vapour.ln_phi(i) - liquid.ln_phi(i);  // ln_k_ = ln(y/x) here
        max_g = std::max(max_g, std::abs(gradient_(k)));
      }
      return max_g;
    };
    if (last_max_g < kNewtonFinalStep) {
      liquid.props = mixture_.ln_phi(liquid.x, P_kPa, liquid.root, liquid.ln_phi);
      vapour.props = mixture_.ln_phi(vapour.x, P_kPa, vapour.root, vapour.ln_phi);
      if (gradient() < options_.tolerance) {
        converged = true;
        break;
      }
    }
    liquid.props = mixture_.ln_phi(liquid.x, P_kPa, liquid.root, liquid.ln_phi, nullptr, &jac_a_);
    vapour.props = mixture_.ln_phi(vapour.x, P_kPa, vapour.root, vapour.ln_phi, nullptr, &jac_b_);
    const double max_g = gradient();
    last_max_g = max_g;
    if (max_g < options_.tolerance) {
      converged = true;
      break;
    }
    // The lower triangle and diagonal are enough for the symmetric solve's Cholesky;
    // the upper triangle is filled only if it falls back to elimination.
    const double inv_v = 1.0 / beta, inv_l = 1.0 / (1.0 - beta);
    for (Eigen::Index l = 0; l < m; ++l) {
      const Eigen::Index j = active_[static_cast<std::size_t>(l)];
      for (Eigen::Index k = l; k < m; ++k) {
        const Eigen::Index i = active_[static_cast<std::size_t>(k)];
        hessian_(k, l) = (jac_b_(i, j) - 1.0) * inv_v + (jac_a_(i, j) - 1.0) * inv_l;
      }
      hessian_(l, l) += inv_v / vapour.x(j) + inv_l / liquid.x(j);
      step_(l) = -gradient_(l);
    }
    if (!solve_newton_step(hessian_, step_, m, cholesky_)) {
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
  if (!converged) {
    ln_k_is_log_ratio_ = false;
    // Out of iterations: report the last K-values' split, evaluated.
    if (!solve_rachford_rice(beta)) return false;
    for (Eigen::Index i : active_) {
      liquid.x(i) = z_(i) / (1.0 + beta * (k_(i) - 1.0));
      vapour.x(i) = k_(i) * liquid.x(i);
    }
    evaluate(liquid, P_kPa);
    evaluate(vapour, P_kPa);
  }
  liquid.x /= liquid.x.sum();
  vapour.x /= vapour.x.sum();
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
  ln_k_is_log_ratio_ = false;
  // Every exit hands its phase fractions to the phases (normalised: only the solution
  // of the multiphase Rachford-Rice sums to 1 by itself), so that no fraction of an
  // earlier flash stays behind in a result.
  auto finish = [&] {
    const double sum = beta3_[0] + beta3_[1] + beta3_[2];
    for (int p = 0; p < 3; ++p) phases_[p].beta = sum > 0 ? beta3_[p] / sum : 0.0;
    return beta3_[0] > 0 && beta3_[1] > 0 && beta3_[2] > 0;
  };
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
    if (!solve_multiphase_rr(3)) {
      finish();
      return false;
    }
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
  return finish();
}
}  // namespace thermo
