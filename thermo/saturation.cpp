// The flash at given temperature and vapour fraction: the pressure is found.
#include <algorithm>
#include <cmath>

#include "thermo/flasher.h"
#include "thermo/pure_saturation.h"

namespace thermo {
namespace {

enum SaturationOutcome {
  kSolved = 0,
  kSecondLiquidVanished = 1,  // the aqueous phase's fraction went negative
  kFirstLiquidVanished = 2,   // the reference liquid's fraction went negative
  kTrivial = 3,
  kDiverged = 4,
};

// Newton steps on the pressure per update of the compositions: the compositions lag
// anyway, so solving the inner balance exactly buys nothing.
constexpr int kInnerNewtonSteps = 2;
constexpr double kMinPressure_kPa = 1e-10;
constexpr double kMaxPressure_kPa = 1e7;
// A vapour denser than this (compressibility factor) at a vapour fraction between is
// tested for a missing vapour-like phase.
constexpr double kDenseVapourZ = 0.8;
// Dew points of other liquids tried below the first one found.
constexpr int kDewRounds = 3;

int count_of_phases(int liquids) { return 1 + liquids; }

}  // namespace

bool Flasher::saturation_start(double beta, double& P_kPa, bool water_apart_allowed) {
  // Wilson's K-values (K_i = k_i / P) make the material balance a function of P alone,
  // decreasing in P: the bubble point is sum z k, the dew point 1 / sum(z / k), and any
  // other vapour fraction lies between; Newton in ln P with a bisection guard.
  wilson_ln_k(1.0, wilson_);  // ln k_i at P = 1 kPa
  const int w = fluid_.water_index();
  const bool water_apart = water_apart_allowed && w >= 0 && z_(w) > 0 && active_.size() > 1 && beta < 1;
  double bubble = 0, inverse_dew = 0, z_sum = 0;
  for (Eigen::Index i : active_) {
    k_(i) = std::exp(wilson_(i));
    if (water_apart && i == w) continue;
    bubble += z_(i) * k_(i);
    inverse_dew += z_(i) / k_(i);
    z_sum += z_(i);
  }
  if (!(bubble > 0) || !(inverse_dew > 0)) return false;
  bubble /= z_sum;
  inverse_dew /= z_sum;
  double P = 0;
  if (beta == 0) {
    P = bubble;
  } else if (beta == 1) {
    P = 1.0 / inverse_dew;
  } else {
    double lo = -std::log(inverse_dew), hi = std::log(bubble);
    double ln_P = 0.5 * (lo + hi);
    for (int it = 0; it < 100; ++it) {
      double f = 0, df = 0;
      const double p = std::exp(ln_P);
      for (Eigen::Index i : active_) {
        if (water_apart && i == w) continue;
        const double k = k_(i) / p;
        const double den = 1.0 + beta * (k - 1.0);
        f += z_(i) * (k - 1.0) / den;
        df -= z_(i) * k / (den * den);  // d/d ln P of (k - 1) / den, k = k_i / P
      }
      (f > 0 ? lo : hi) = ln_P;
      double next = ln_P - f / df;
      if (!(next > lo && next < hi)) next = 0.5 * (lo + hi);
      const bool done = std::abs(next - ln_P) < 1e-10;
      ln_P = next;
      if (done) break;
    }
    P = std::exp(ln_P);
  }
  // Free water adds its own vapour pressure.
  if (water_apart) P += k_(w);
  if (!std::isfinite(P) || P < kMinPressure_kPa || P > kMaxPressure_kPa) return false;
  P_kPa = P;
  return true;
}

int Flasher::saturation_solve(double beta, int liquids, double& P_kPa, int& iterations, bool& converged) {
  converged = false;
  Phase& ref = phases_[0];
  Phase& vap = phases_[1];
  Phase& aq = phases_[2];
  double beta_w = liquids == 2 ? aq.beta : 0.0;
  // The compositions of the current iterate were built as x_p = K_p x_ref / S_p, with
  // ln K_p kept in ln_k_ (vapour) and start_ln_k_ (aqueous) and S_p their sums before
  // normalising; the iterate is the answer when the K-values its own fugacities give
  // are those, and the sums agree (which is the material balance).
  double s_ref = 1, s_vap = 1, s_aq = 1;
  for (int it = 1; it <= options_.max_iterations; ++it) {
    ++iterations;
    evaluate(ref, P_kPa, true);
    evaluate(vap, P_kPa, true);
    if (liquids == 2) evaluate(aq, P_kPa, true);
    double size = 0, residual = 0;
    const double ln_vap = std::log(s_ref / s_vap), ln_aq = std::log(s_ref / s_aq);
    for (Eigen::Index i : active_) {
      theta_(i, 0) = ref.ln_phi(i) - vap.ln_phi(i);  // ln K vapour / reference
      theta_(i, 1) = P_kPa * (ref.dlnphi_dP(i) - vap.dlnphi_dP(i));
      residual = std::max(residual, std::abs(ln_k_(i) + ln_vap - theta_(i, 0)));
      if (liquids == 2) {
        theta_(i, 2) = ref.ln_phi(i) - aq.ln_phi(i);
        work_(i) = P_kPa * (ref.dlnphi_dP(i) - aq.dlnphi_dP(i));
        residual = std::max(residual, std::abs(start_ln_k_(i) + ln_aq - theta_(i, 2)));
      }
      size = std::max(size, std::abs(theta_(i, 0)));
    }
    if (size < 1e-4) return kTrivial;
    // Converged on the fugacities of the iterate itself (the pressure step alone can
    // vanish by chance, as two clamped steps of opposite sign do).
    if (it > 1 && residual < options_.tolerance) {
      converged = true;
      break;
    }
    // Newton on (s = ln P - ln P0, beta_w) with K linear in s through d ln phi / d ln P.
    double s = 0;
    for (int inner = 0; inner < kInnerNewtonSteps; ++inner) {
      double f1 = 0, f2 = 0, j11 = 0, j12 = 0, j21 = 0, j22 = 0;
      for (Eigen::Index i : active_) {
        const double kv = std::exp(theta_(i, 0) + theta_(i, 1) * s);
        const double kw = liquids == 2 ? std::exp(theta_(i, 2) + work_(i) * s) : 1.0;
        const double e = (1.0 - beta - beta_w) + beta * kv + beta_w * kw;
        const double de_ds = beta * kv * theta_(i, 1) + (liquids == 2 ? beta_w * kw * work_(i) : 0.0);
        const double de_dbw = kw - 1.0;
        const double zi = z_(i);
        f1 += zi * (kv - 1.0) / e;
        j11 += zi * (kv * theta_(i, 1) / e - (kv - 1.0) * de_ds / (e * e));
        j12 -= zi * (kv - 1.0) * de_dbw / (e * e);
        if (liquids == 2) {
          f2 += zi * (kw - 1.0) / e;
          j21 += zi * (kw * work_(i) / e - (kw - 1.0) * de_ds / (e * e));
          j22 -= zi * (kw - 1.0) * de_dbw / (e * e);
        }
      }
      double ds, dbw = 0;
      if (liquids == 2) {
        const double det = j11 * j22 - j12 * j21;
        if (det == 0 || !std::isfinite(det)) return kDiverged;
        ds = (-f1 * j22 + f2 * j12) / det;
        dbw = (-f2 * j11 + f1 * j21) / det;
      } else {
        if (j11 == 0 || !std::isfinite(j11)) return kDiverged;
        ds = -f1 / j11;
      }
      ds = std::clamp(ds, -1.0, 1.0);  // at most a factor e in pressure per step
      s += ds;
      beta_w += dbw;
      if (std::abs(ds) < 1e-14 && std::abs(dbw) < 1e-15) break;
    }
    // The K-values are linear in s only near the start: keep an outer step within a
    // factor e in pressure.
    s = std::clamp(s, -1.0, 1.0);
    P_kPa *= std::exp(s);
    if (!std::isfinite(P_kPa) || P_kPa < kMinPressure_kPa || P_kPa > kMaxPressure_kPa) return kDiverged;
    // New compositions from the updated K-values.
    for (Eigen::Index i : active_) {
      const double ln_kv = ln_k_(i) = theta_(i, 0) + theta_(i, 1) * s;
      const double kv = std::exp(ln_kv);
      double kw = 1.0;
      if (liquids == 2) kw = std::exp(start_ln_k_(i) = theta_(i, 2) + work_(i) * s);
      const double e = (1.0 - beta - beta_w) + beta * kv + beta_w * kw;
      ref.x(i) = z_(i) / e;
      vap.x(i) = kv * ref.x(i);
      if (liquids == 2) aq.x(i) = kw * ref.x(i);
    }
    if (liquids == 2 && beta_w < 0) return kSecondLiquidVanished;
    if (liquids == 2 && 1.0 - beta - beta_w < 0) return kFirstLiquidVanished;
    s_ref = ref.x.sum();
    s_vap = vap.x.sum();
    ref.x /= s_ref;
    vap.x /= s_vap;
    if (liquids == 2) {
      s_aq = aq.x.sum();
      aq.x /= s_aq;
    }
  }
  if (!converged) {
    // Out of iterations: the last compositions and pressure, evaluated.
    evaluate(ref, P_kPa);
    evaluate(vap, P_kPa);
    if (liquids == 2) evaluate(aq, P_kPa);
  }
  aq.beta = beta_w;
  ref.beta = 1.0 - beta - beta_w;
  vap.beta = beta;
  return kSolved;
}

FlashResult Flasher::flash_t_beta(double T_K, double beta, std::span<const double> z) {
  FlashResult out;
  flash_t_beta(T_K, beta, z, out);
  return out;
}

void Flasher::flash_t_beta(double T_K, double beta, std::span<const double> z, FlashResult& out) {
  if (!load_inputs(T_K, 1.0, z, out)) return;
  out.P_kPa = 0;
  if (!std::isfinite(beta) || beta < 0 || beta > 1) {
    out.status = FlashStatus::InvalidInput;
    out.message = "vapour fraction must lie in [0, 1]";
    return;
  }
  const int w = fluid_.water_index();
  auto fail = [&](const char* why) {
    out.status = FlashStatus::NoSolution;
    out.message = why;
    out.P_kPa = 0;
  };

  if (active_.size() == 1) {
    const auto i = static_cast<std::size_t>(active_[0]);
    const PureSaturation sat = pure_saturation(mixture_, i, T_K);
    out.flash_iterations = sat.iterations;
    if (!sat.converged) return fail("no saturation pressure: at or above the critical temperature");
    out.P_kPa = sat.P_kPa;
    phases_[0].x = z_;
    phases_[1].x = z_;
    evaluate(phases_[0], sat.P_kPa);
    mixture_.ln_phi(phases_[1].x, sat.P_kPa, RootChoice::Vapour, phases_[1].ln_phi);
    phases_[0].props = mixture_.ln_phi(phases_[0].x, sat.P_kPa, RootChoice::Liquid, phases_[0].ln_phi);
    phases_[1].props = mixture_.ln_phi(phases_[1].x, sat.P_kPa, RootChoice::Vapour, phases_[1].ln_phi);
  } else {
    double P = 0;
    if (!saturation_start(beta, P)) return fail("no starting pressure for the saturation search");
    int liquids = 1;
    // Start: liquid and vapour from Wilson's K-values; with water, a nearly pure aqueous
    // liquid beside a water-poor reference liquid.
    double P_start = P;
    const bool water_and_more = w >= 0 && z_(w) > 0;
    // Water that holds the other components in traces dissolves them: there is no free
    // water beside a hydrocarbon liquid, only one aqueous liquid. When the search with
    // water apart finds nothing, it starts once more from that one liquid.
    bool water_kept_in = false;
    auto start_two_phases = [&] {
      wilson_ln_k(P_start, wilson_);
      phases_[0].x.setZero();
      phases_[1].x.setZero();
      for (Eigen::Index i : active_) {
        const double k = std::exp(wilson_(i));
        phases_[0].x(i) = z_(i) / (1.0 + beta * (k - 1.0));
        phases_[1].x(i) = k * phases_[0].x(i);
      }
      phases_[0].x /= phases_[0].x.sum();
      phases_[1].x /= phases_[1].x.sum();
    };
    start_two_phases();
    // The vapour keeps the vapour root and the liquids the liquid root throughout.
    phases_[0].root = RootChoice::Liquid;
    phases_[1].root = RootChoice::Vapour;
    phases_[2].root = RootChoice::Liquid;
    if (water_and_more && beta < 1) {
      liquids = 2;
      phases_[2].x.setZero();
      for (Eigen::Index i : active_) phases_[2].x(i) = 1e-6 * z_(i);
      phases_[2].x(w) = 1.0;
      phases_[2].x /= phases_[2].x.sum();
      phases_[0].x(w) *= 1e-3;
      phases_[0].x /= phases_[0].x.sum();
      phases_[2].beta = std::min(z_(w) * 0.9, 0.9 * (1.0 - beta));
    }
    bool converged = false;
    int iterations = 0;
    int outcome = kDiverged;
    // The phase set changes between solves (an aqueous liquid added or dropped); the
    // result stands only if the last thing done was a solve that settled with no phase
    // missing, never a change of the set that no solve followed.
    bool settled = false;
    bool phase_missing = false;
    constexpr int kAttempts = 6;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
      const bool last = attempt == kAttempts - 1;
      outcome = saturation_solve(beta, liquids, P, iterations, converged);
      if (outcome == kSecondLiquidVanished) {
        if (last) break;
        // Water dissolves or evaporates: start afresh with one liquid.
        liquids = 1;
        P = P_start;
        start_two_phases();
        continue;
      }
      if (outcome == kFirstLiquidVanished) {
        if (last) break;
        std::swap(phases_[0], phases_[2]);  // the aqueous liquid becomes the only liquid
        liquids = 1;
        continue;
      }
      if ((outcome == kTrivial || outcome == kDiverged) && water_and_more && beta < 1 && !water_kept_in && !last) {
        water_kept_in = true;
        if (!saturation_start(beta, P, false)) break;
        P_start = P;
        start_two_phases();
        liquids = 1;
        continue;
      }
      if (outcome != kSolved || !converged) break;
      if (liquids == 1 && water_and_more && beta < 1) {
        // A second liquid beside the one found: free water beside a hydrocarbon liquid,
        // or a hydrocarbon liquid beside an aqueous one. The trials start from the
        // vapour, which shares the liquid's tangent plane and holds the hydrocarbons
        // that water all but excludes.
        int stab = 0;
        const bool more = unstable(phases_[1], P, true, true, stab, phases_[0].x(w) <= 0.5);
        out.stability_iterations += stab;
        if (more) {
          phases_[2].x = trial_ / trial_.sum();
          evaluate(phases_[2], P);
          if (last || root_like(phases_[2].props) != RootChoice::Liquid) {
            // No solve follows, or the trial is a vapour the search cannot place.
            phase_missing = true;
            settled = true;
            break;
          }
          phases_[2].root = RootChoice::Liquid;
          phases_[2].beta = 1e-3 * (1.0 - beta);
          liquids = 2;
          continue;
        }
      }
      if (liquids == 1 && !water_and_more && beta > 0 && beta < 1 && phases_[1].props.Z < kDenseVapourZ) {
        // A split at a vapour fraction between is a PT equilibrium at the pressure found:
        // a vapour-like phase proven missing there (near a three-phase region of methane
        // and hydrogen sulfide, where the split found holds a dense liquid in the
        // vapour's place) leaves it unconverged. A second hydrocarbon liquid beside the
        // vapour is not sought, and a vapour near the ideal gas (whose Gibbs energy of
        // mixing is convex) is not tested: the test would cost more than the search.
        int stab = 0;
        if (unstable(phases_[1], P, true, false, stab)) {
          phases_[2].x = trial_ / trial_.sum();
          phases_[2].root = RootChoice::MinimumGibbs;
          evaluate(phases_[2], P);
          phase_missing = root_like(phases_[2].props) == RootChoice::Vapour;
        }
        out.stability_iterations += stab;
      }
      if (liquids == 1 && water_and_more && beta == 1 && !last) {
        // A dew point is where the first liquid appears: if the vapour is unstable here
        // towards a liquid of the other kind (water beside a hydrocarbon dew point, or
        // the reverse), that liquid appears at a lower pressure; tested again there, as
        // a third kind (a hydrocarbon liquid holding an alcohol) may appear lower still.
        bool solved = true;
        for (int round = 0; solved; ++round) {
          int stab = 0;
          const bool other = unstable(phases_[1], P, true, true, stab, phases_[0].x(w) <= 0.5);
          out.stability_iterations += stab;
          if (!other) break;
          Eigen::VectorXd& x = phases_[0].x;
          x = trial_ / trial_.sum();
          evaluate(phases_[0], P);
          if (round == kDewRounds || root_like(phases_[0].props) != RootChoice::Liquid) {
            phase_missing = true;
            break;
          }
          phases_[0].root = RootChoice::Liquid;
          phases_[1].x = z_;
          const double P_first = P;
          P *= 0.5;
          outcome = saturation_solve(beta, 1, P, iterations, converged);
          solved = outcome == kSolved && converged;
          if (solved && !(P < P_first)) {
            phase_missing = true;
            break;
          }
        }
        if (!solved) break;
        if (phase_missing) {
          settled = true;
          break;
        }
      }
      settled = true;
      break;
    }
    if (!settled && outcome != kTrivial && outcome != kDiverged && !(outcome == kSolved && !converged)) {
      out.flash_iterations = iterations;
      out.status = FlashStatus::NotConverged;
      out.message = "the search for the phases present did not settle";
      return;
    }
    out.flash_iterations = iterations;
    if (outcome == kTrivial) return fail("the search reached the trivial solution (no such pressure)");
    if (outcome != kSolved) return fail("no pressure gives this vapour fraction");
    out.P_kPa = P;
    // Each phase must be stable on its own root: a liquid evaluated on a liquid root that
    // is not its minimum-Gibbs root (or a vapour likewise) is a metastable artefact.
    for (int p = 0; p < count_of_phases(liquids); ++p) {
      const PhaseProperties best = mixture_.ln_phi(phases_[p].x, P, RootChoice::MinimumGibbs, work_);
      if (best.Z != phases_[p].props.Z) return fail("the search converged on a metastable root (no such pressure)");
    }
    if (phases_[1].props.v_eos_m3_per_kmol <= phases_[0].props.v_eos_m3_per_kmol) {
      // The split found has its denser phase in the vapour's place: not the state asked for.
      return fail("the search found a split whose vapour is the denser phase (near-critical)");
    }
    if (!converged) {
      out.status = FlashStatus::NotConverged;
      out.message = "saturation pressure did not converge";
    } else if (phase_missing) {
      out.status = FlashStatus::NotConverged;
      out.message = "a phase is missing that the search could not add";
    } else {
      accept_equilibrium(count_of_phases(liquids), out);
    }
    // Labels: the vapour by construction; liquids by their water content.
    const int count = 1 + liquids;
    int slots[3] = {kHydrocarbonLiquid, kVapour, kAqueousLiquid};
    if (w >= 0) {
      if (liquids == 1 && phases_[0].x(w) > 0.5) slots[0] = kAqueousLiquid;
      if (liquids == 2 && phases_[0].x(w) > phases_[2].x(w)) std::swap(slots[0], slots[2]);
    }
    for (int p = 0; p < count; ++p) {
      PhaseResult& r = out.phases[static_cast<std::size_t>(slots[p])];
      r.present = true;
      r.fraction = std::max(phases_[p].beta, 0.0);
      for (Eigen::Index i = 0; i < n_; ++i) r.composition[static_cast<std::size_t>(i)] = phases_[p].x(i);
      r.v_m3_per_kmol = mixture_.translated_volume(phases_[p].x, phases_[p].props);
      r.Z = phases_[p].props.Z;
    }
    out.phase_count = count;
    guard_finite(out);
    return;
  }
  // Pure component: liquid and vapour of one composition.
  phases_[0].beta = 1.0 - beta;
  phases_[1].beta = beta;
  accept_equilibrium(2, out);
  const int liquid_slot = w >= 0 && z_(w) > 0 ? kAqueousLiquid : kHydrocarbonLiquid;
  const int slots[2] = {liquid_slot, kVapour};
  for (int p = 0; p < 2; ++p) {
    PhaseResult& r = out.phases[static_cast<std::size_t>(slots[p])];
    r.present = true;
    r.fraction = phases_[p].beta;
    for (Eigen::Index i = 0; i < n_; ++i) r.composition[static_cast<std::size_t>(i)] = phases_[p].x(i);
    r.v_m3_per_kmol = mixture_.translated_volume(phases_[p].x, phases_[p].props);
    r.Z = phases_[p].props.Z;
  }
  out.phase_count = 2;
  guard_finite(out);
}

}  // namespace thermo
