#pragma once
// Random fluids of the kinds the methods meet, random states, both cubics, PT flashes and
// saturation flashes at vapour fractions 0, 1 and between; every Converged result is
// checked afresh (flash_checks.h): material balance, equal fugacities, fractions that
// are fractions, and no phase missing that the flashes seek (a second hydrocarbon liquid
// beside a vapour, or a fourth phase, is beyond them). Shared by the suite's test (a few
// hundred cases, fixed seeds) and the long run for local use (any seed, any count).
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "flash_checks.h"
#include "thermo/flasher.h"
#include "thermo/petroleum_fraction.h"

namespace thermo::testing_support {

// Acceptance of a Converged result, as the engine documents it (flash_result.h), and
// the depth below which a tangent-plane trial proves a phase missing.
inline constexpr double kSweepLnFugacity = 1e-9;
inline constexpr double kSweepBalance = 1e-10;
inline constexpr double kSweepMissedTm = -1e-7;

enum FlashKind { kPtFlash = 0, kBubble = 1, kDew = 2, kBetween = 3, kFlashKinds = 4 };
inline const char* const kFlashKindNames[kFlashKinds] = {"PT", "beta 0", "beta 1", "beta between"};
inline constexpr int kStatusCount = 4;  // FlashStatus values
inline const char* const kStatusNames[kStatusCount] = {"Converged", "NotConverged", "InvalidInput", "NoSolution"};

struct SweepCounts {
  long cases = 0;
  long statuses[kFlashKinds][kStatusCount] = {};
  long wrong = 0;         // Converged results that fail a check
  long beyond_limit = 0;  // Converged results missing a phase the flashes do not seek
  std::vector<std::string> reports;  // the first few wrong results, as reproducers
};

class PropertySweep {
 public:
  explicit PropertySweep(std::uint64_t seed) : rng_(seed) {}

  // Runs `cases` base cases, each a random fluid with a PT flash and three saturation
  // flashes; adds to `counts`.
  void run(long cases, SweepCounts& counts) {
    for (long c = 0; c < cases; ++c) one_case(counts);
  }

 private:
  double uniform(double lo, double hi) { return lo + (hi - lo) * std::uniform_real_distribution<double>(0, 1)(rng_); }
  std::size_t pick(std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng_); }
  template <class T>
  const T& pick_from(const std::vector<T>& v) {
    return v[pick(v.size())];
  }

  struct Draw {
    std::string kind;
    std::vector<Component> components;
    std::vector<double> z;
    double T_K = 300;
    bool near_saturation = false;
    std::vector<PetroleumCut> cuts;  // the pseudo-components' definitions, for reports
  };

  void add(Draw& d, const std::string& key, double amount) {
    const Component& c = ComponentDatabase::builtin().find(key);
    for (std::size_t i = 0; i < d.components.size(); ++i) {
      if (d.components[i].name == c.name) {
        d.z[i] += amount;
        return;
      }
    }
    d.components.push_back(c);
    d.z.push_back(amount);
  }

  Draw draw() {
    static const std::vector<std::string> light = {"methane", "ethane", "propane", "isobutane", "n-butane",
                                                   "nitrogen", "carbon dioxide", "hydrogen sulfide", "hydrogen"};
    static const std::vector<std::string> middle = {"isopentane", "n-pentane", "neopentane", "n-hexane",
                                                    "2-methylpentane", "2,2-dimethylbutane", "cyclopentane",
                                                    "cyclohexane", "benzene", "1-pentene", "MTBE", "isooctane"};
    static const std::vector<std::string> heavy = {"n-heptane", "n-octane", "n-decane", "n-dodecane",
                                                   "n-hexadecane", "n-eicosane", "toluene", "p-xylene",
                                                   "ethylbenzene", "methylcyclohexane"};
    static const std::vector<std::string> alcohols = {"methanol", "ethanol"};
    Draw d;
    const std::size_t kind = pick(6);
    switch (kind) {
      case 0: {  // a hydrocarbon binary near its saturation
        d.kind = "binary near saturation";
        const std::vector<std::string>* groups[] = {&light, &middle, &heavy};
        const std::string a = pick_from(*groups[pick(3)]);
        std::string b = pick_from(*groups[pick(3)]);
        while (b == a) b = pick_from(*groups[pick(3)]);
        add(d, a, uniform(0.02, 1));
        add(d, b, uniform(0.02, 1));
        d.T_K = uniform(180, 520);
        d.near_saturation = true;
        break;
      }
      case 1: {  // mostly water with heavy hydrocarbons
        d.kind = "water-rich with heavy hydrocarbons";
        add(d, "water", uniform(0.5, 0.995));
        const std::size_t n = 1 + pick(3);
        for (std::size_t k = 0; k < n; ++k) add(d, pick_from(heavy), uniform(0.001, 0.2));
        if (pick(2) == 0) add(d, pick_from(light), uniform(0.001, 0.05));
        d.T_K = uniform(275, 480);
        break;
      }
      case 2: {  // gas-rich
        d.kind = "gas-rich";
        add(d, "methane", uniform(0.5, 0.95));
        const std::size_t n = 1 + pick(4);
        for (std::size_t k = 0; k < n; ++k) add(d, pick_from(light), uniform(0.005, 0.1));
        const std::size_t m = 1 + pick(2);
        for (std::size_t k = 0; k < m; ++k) add(d, pick_from(pick(2) ? middle : heavy), uniform(0.001, 0.05));
        if (pick(3) == 0) add(d, "water", uniform(0.001, 0.05));
        d.T_K = uniform(200, 450);
        break;
      }
      case 3: {  // traces of 1e-12 in a mixture
        d.kind = "traces of 1e-12";
        const std::size_t n = 2 + pick(3), traces = 1 + pick(3);
        for (std::size_t k = 0; k < n; ++k) add(d, pick_from(pick(2) ? middle : heavy), uniform(0.05, 1));
        for (std::size_t k = 0; k < traces; ++k) {
          const std::vector<std::string>* from[] = {&light, &middle, &heavy, &alcohols};
          add(d, pick(4) == 0 ? std::string("water") : pick_from(*from[pick(4)]), 1e-12);
        }
        d.T_K = uniform(220, 480);
        break;
      }
      case 4: {  // petroleum cuts with light ends
        d.kind = "petroleum cuts";
        const std::size_t cuts = 2 + pick(4);
        for (std::size_t k = 0; k < cuts; ++k) {
          PetroleumCut cut;
          cut.name = "cut" + std::to_string(k);
          cut.tb_K = uniform(320, 650);
          cut.sg_60F = uniform(0.66, 0.92);
          d.components.push_back(make_pseudo_component(cut, kFirstPseudoHostId + static_cast<int>(k)));
          d.cuts.push_back(cut);
          d.z.push_back(uniform(0.02, 0.3));
        }
        const std::size_t ends = 1 + pick(3);
        for (std::size_t k = 0; k < ends; ++k) add(d, pick_from(pick(2) ? light : middle), uniform(0.005, 0.2));
        if (pick(4) == 0) add(d, "water", uniform(0.01, 0.3));
        d.T_K = uniform(250, 500);
        break;
      }
      default: {  // alcohols in gasoline, sometimes with water
        d.kind = "alcohols";
        add(d, pick_from(alcohols), uniform(0.01, 0.3));
        const std::size_t n = 1 + pick(3);
        for (std::size_t k = 0; k < n; ++k) add(d, pick_from(pick(2) ? middle : heavy), uniform(0.05, 0.5));
        if (pick(2) == 0) add(d, pick_from(light), uniform(0.005, 0.1));
        if (pick(3) == 0) add(d, "water", uniform(0.005, 0.2));
        d.T_K = uniform(250, 420);
        break;
      }
    }
    return d;
  }

  static std::string describe(const Draw& d, EquationOfState eos, const char* flash, double T_K, double value) {
    char text[256];
    std::snprintf(text, sizeof text, "%s, %s: %s T %.17g K, %s %.17g, z", d.kind.c_str(),
                  eos == EquationOfState::PengRobinson ? "PR" : "SRK", flash, T_K,
                  std::string(flash) == "PT" ? "P" : "beta", value);
    std::string s = text;
    for (std::size_t i = 0; i < d.components.size(); ++i) {
      std::snprintf(text, sizeof text, " %s=%.17g", d.components[i].name.c_str(), d.z[i]);
      s += text;
    }
    for (const PetroleumCut& cut : d.cuts) {
      std::snprintf(text, sizeof text, "; %s: tb %.17g K, sg %.17g", cut.name.c_str(), cut.tb_K, cut.sg_60F);
      s += text;
    }
    return s;
  }

  void check(const Draw& d, const Fluid& fluid, EquationOfState eos, FlashKind kind, double value,
             const FlashResult& r, SweepCounts& counts) {
    ++counts.statuses[kind][static_cast<int>(r.status)];
    std::string fault;
    // Every result, whatever its status, is finite.
    bool finite = std::isfinite(r.P_kPa) && std::isfinite(r.T_K);
    for (const PhaseResult& p : r.phases) {
      finite = finite && std::isfinite(p.fraction) && std::isfinite(p.v_m3_per_kmol);
      for (double x : p.composition) finite = finite && std::isfinite(x);
    }
    if (!finite) fault = "a number that is not finite";
    if (fault.empty() && r.status == FlashStatus::Converged) {
      const EquilibriumErrors e = equilibrium_errors(fluid, r, d.z);
      char text[128];
      if (!e.fractions_in_range) {
        fault = "a fraction outside [0, 1]";
      } else if (!e.zeros_stay_zero) {
        fault = "an absent component in a phase";
      } else if (e.fraction_sum > 1e-12 || e.composition_sum > 1e-12) {
        std::snprintf(text, sizeof text, "fractions sum off by %.3g / %.3g", e.fraction_sum, e.composition_sum);
        fault = text;
      } else if (e.balance > kSweepBalance) {
        std::snprintf(text, sizeof text, "material balance off by %.3g", e.balance);
        fault = text;
      } else if (e.ln_fugacity > kSweepLnFugacity) {
        std::snprintf(text, sizeof text, "ln fugacities differ by %.3g", e.ln_fugacity);
        fault = text;
      } else {
        const MissedPhase m = missed_phase(fluid, r);
        if (m.tm < kSweepMissedTm) {
          if (beyond_sought_phases(fluid, r, m)) {
            ++counts.beyond_limit;
          } else {
            std::snprintf(text, sizeof text, "a %s phase is missing (tm %.3g)",
                          m.aqueous ? "aqueous" : m.liquid_like ? "liquid" : "vapour", m.tm);
            fault = text;
          }
        }
      }
    }
    if (fault.empty()) return;
    ++counts.wrong;
    if (counts.reports.size() < 20) {
      counts.reports.push_back(std::string(kStatusNames[static_cast<int>(r.status)]) + " with " + fault + ": " +
                               describe(d, eos, kFlashKindNames[kind], r.T_K, value));
    }
  }

  void one_case(SweepCounts& counts) {
    ++counts.cases;
    const Draw d = draw();
    const EquationOfState eos = pick(2) ? EquationOfState::PengRobinson : EquationOfState::SoaveRedlichKwong;
    const Fluid fluid(d.components, eos);
    Flasher flasher(fluid);
    const double between = uniform(0.01, 0.99);
    const double betas[3] = {0.0, 1.0, between};
    const FlashKind kinds[3] = {kBubble, kDew, kBetween};
    double saturation_P = 0;
    for (int b = 0; b < 3; ++b) {
      const FlashResult s = flasher.flash_t_beta(d.T_K, betas[b], d.z);
      check(d, fluid, eos, kinds[b], betas[b], s, counts);
      if (s.status == FlashStatus::Converged && saturation_P == 0) saturation_P = s.P_kPa;
    }
    // The PT flash: near a saturation pressure for the near-saturation kind (and half
    // the time for the others), else anywhere in the working range.
    double P = std::exp(uniform(std::log(1e-3), std::log(2e4)));
    if (saturation_P > 0 && (d.near_saturation || pick(2) == 0)) P = saturation_P * (1.0 + uniform(-0.05, 0.05));
    const FlashResult r = flasher.flash_pt(d.T_K, P, d.z);
    check(d, fluid, eos, kPtFlash, P, r, counts);
  }

  std::mt19937_64 rng_;
};

inline void print_counts(const SweepCounts& counts, std::FILE* out) {
  std::fprintf(out, "%ld base cases (%ld flashes)\n", counts.cases, counts.cases * 4);
  for (int k = 0; k < kFlashKinds; ++k) {
    std::fprintf(out, "  %-13s", kFlashKindNames[k]);
    for (int s = 0; s < kStatusCount; ++s) std::fprintf(out, " %s %ld", kStatusNames[s], counts.statuses[k][s]);
    std::fprintf(out, "\n");
  }
  std::fprintf(out, "  wrong results %ld; missing a phase beyond those sought %ld\n", counts.wrong, counts.beyond_limit);
  for (const std::string& r : counts.reports) std::fprintf(out, "  %s\n", r.c_str());
}

}  // namespace thermo::testing_support
