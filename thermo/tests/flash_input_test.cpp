// The flash's contract at its edges: bad input gives InvalidInput with a message, zero
// fractions change nothing, the whole pressure range works, results repeat bit for bit,
// impossible saturations fail cleanly, and single phases are labelled by the stated rule.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "flash_checks.h"
#include "sample_fluids.h"
#include "thermo/flasher.h"

namespace thermo {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(BadInput, EveryFlashRejectsItWithAMessage) {
  const Fluid fluid = Fluid::from_keys({"propane", "n-butane", "water"});
  Flasher flasher(fluid);
  struct Case { const char* what; double T, P, beta; std::vector<double> z; };
  const Case cases[] = {
      {"negative fraction", 300, 100, 0, {0.5, -0.1, 0.6}},
      {"NaN fraction", 300, 100, 0, {0.5, kNaN, 0.5}},
      {"infinite fraction", 300, 100, 0, {0.5, kInf, 0.5}},
      {"all zero", 300, 100, 0, {0, 0, 0}},
      {"too few fractions", 300, 100, 0, {0.5, 0.5}},
      {"no fractions", 300, 100, 0, {}},
      {"zero temperature", 0, 100, 0, {0.5, 0.5, 0}},
      {"negative temperature", -5, 100, 0, {0.5, 0.5, 0}},
      {"NaN temperature", kNaN, 100, 0, {0.5, 0.5, 0}},
      {"infinite temperature", kInf, 100, 0, {0.5, 0.5, 0}},
      {"zero pressure", 300, 0, 0, {0.5, 0.5, 0}},
      {"infinite pressure", 300, kInf, 0, {0.5, 0.5, 0}},
      {"NaN pressure", 300, kNaN, 0, {0.5, 0.5, 0}},
  };
  for (const Case& c : cases) {
    const FlashResult pt = flasher.flash_pt(c.T, c.P, c.z);
    EXPECT_EQ(pt.status, FlashStatus::InvalidInput) << c.what;
    EXPECT_FALSE(pt.message.empty()) << c.what;
    EXPECT_EQ(pt.phase_count, 0) << c.what;
    for (const auto& p : pt.phases) EXPECT_FALSE(p.present) << c.what;
    // Not even the echo of the input is non-finite.
    EXPECT_TRUE(std::isfinite(pt.T_K) && std::isfinite(pt.P_kPa)) << c.what;
    if (std::string(c.what).find("pressure") == std::string::npos) {
      const FlashResult sat = flasher.flash_t_beta(c.T, c.beta, c.z);
      EXPECT_EQ(sat.status, FlashStatus::InvalidInput) << c.what;
      EXPECT_FALSE(sat.message.empty()) << c.what;
      EXPECT_TRUE(std::isfinite(sat.T_K) && std::isfinite(sat.P_kPa)) << c.what;
    }
  }
  for (double beta : {-0.1, 1.1, kNaN}) {
    const FlashResult sat = flasher.flash_t_beta(300, beta, std::vector<double>{0.5, 0.5, 0});
    EXPECT_EQ(sat.status, FlashStatus::InvalidInput) << beta;
  }
  EXPECT_THROW(Fluid(std::vector<Component>{}), std::invalid_argument);
  EXPECT_THROW(Fluid::from_keys({"propane", "unobtainium"}), std::invalid_argument);
}

TEST(OddInput, ScaleFreeFractionsAndFiniteResultsEverywhere) {
  const samples::SampleFluid s = samples::wet_condensate13();
  const Fluid fluid = samples::make_fluid(s);
  Flasher flasher(fluid);
  const FlashResult reference = flasher.flash_pt(310.93, 101.325, s.z);
  // Amounts instead of fractions, at both ends of the double range: the same answer.
  for (double scale : {1e-300, 1e300}) {
    std::vector<double> z = s.z;
    for (double& v : z) v *= scale;
    const FlashResult r = flasher.flash_pt(310.93, 101.325, z);
    ASSERT_EQ(r.status, FlashStatus::Converged) << scale;
    EXPECT_NEAR(r.vapour_fraction(), reference.vapour_fraction(), 1e-12) << scale;
  }
  // Far outside the working range the flash may fail, but only with finite numbers.
  for (double T : {20.0, 150.0, 1500.0, 5000.0}) {
    for (double P : {1e-8, 1.0, 1e6}) {
      const FlashResult r = flasher.flash_pt(T, P, s.z);
      EXPECT_NE(r.status, FlashStatus::InvalidInput) << T << " K " << P << " kPa";
      for (const auto& p : r.phases) {
        EXPECT_TRUE(std::isfinite(p.fraction) && std::isfinite(p.v_m3_per_kmol)) << T << " K " << P << " kPa";
        for (double x : p.composition) EXPECT_TRUE(std::isfinite(x)) << T << " K " << P << " kPa";
      }
    }
  }
  // The last guard: a result holding a NaN is emptied and marked not converged.
  FlashResult poisoned = reference;
  poisoned.phases[kVapour].composition[0] = kNaN;
  guard_finite(poisoned);
  EXPECT_EQ(poisoned.status, FlashStatus::NotConverged);
  EXPECT_EQ(poisoned.phase_count, 0);
  EXPECT_FALSE(poisoned.vapour().present);
  EXPECT_EQ(poisoned.vapour().composition[0], 0.0);
}

TEST(ZeroFractions, ComponentsAtZeroChangeNothing) {
  // The same feed with and without nitrogen, oxygen and water listed at zero (first, in
  // the middle and last), through a two- and a three-phase region and the saturation flash.
  const samples::SampleFluid plain = samples::wet_condensate13();
  samples::SampleFluid padded;
  padded.names = {"nitrogen"};
  padded.z = {0.0};
  for (std::size_t i = 0; i < plain.names.size(); ++i) {
    padded.names.push_back(plain.names[i]);
    padded.z.push_back(plain.z[i]);
    if (i == 5) {
      padded.names.push_back("oxygen");
      padded.z.push_back(0.0);
    }
  }
  padded.names.push_back("argon");
  padded.z.push_back(0.0);
  const Fluid plain_fluid = samples::make_fluid(plain), padded_fluid = samples::make_fluid(padded);
  Flasher a(plain_fluid), b(padded_fluid);
  for (double P : {3.0, 101.325, 500.0}) {
    const FlashResult ra = a.flash_pt(310.93, P, plain.z);
    const FlashResult rb = b.flash_pt(310.93, P, padded.z);
    ASSERT_EQ(rb.status, FlashStatus::Converged) << P;
    EXPECT_EQ(ra.phase_count, rb.phase_count) << P;
    for (int p = 0; p < kPhaseSlots; ++p) {
      EXPECT_NEAR(ra.phases[p].fraction, rb.phases[p].fraction, 1e-11) << P;
      EXPECT_NEAR(ra.phases[p].v_m3_per_kmol, rb.phases[p].v_m3_per_kmol, 1e-9) << P;
    }
    testing_support::expect_equilibrium(padded_fluid, rb, padded.z, 1e-9, "padded at " + std::to_string(P));
  }
  const FlashResult bubble_a = a.flash_t_beta(310.93, 0.0, plain.z);
  const FlashResult bubble_b = b.flash_t_beta(310.93, 0.0, padded.z);
  ASSERT_EQ(bubble_b.status, FlashStatus::Converged);
  EXPECT_NEAR(bubble_a.P_kPa, bubble_b.P_kPa, 1e-8 * bubble_a.P_kPa);

  // A "pure" record inside a long list: water alone, everything else at zero.
  std::vector<double> only_water(padded.z.size(), 0.0);
  only_water[padded.z.size() - 2] = 1.0;
  const FlashResult water = b.flash_pt(273.7056, 101.325, only_water);
  ASSERT_EQ(water.status, FlashStatus::Converged);
  EXPECT_TRUE(water.aqueous_liquid().present);
  EXPECT_EQ(water.phase_count, 1);
  const FlashResult water_sat = b.flash_t_beta(273.7056, 0.0, only_water);
  ASSERT_EQ(water_sat.status, FlashStatus::Converged);
  EXPECT_NEAR(water_sat.P_kPa / 0.6363, 1.0, 0.02);  // IAPWS at 0.5556 C
}

TEST(PressureRange, FlashesSucceedFrom1e_4To3e5kPa) {
  for (auto sample : {samples::condensate12, samples::wet_condensate13, samples::gasoline40}) {
    const samples::SampleFluid s = sample();
    const Fluid fluid = samples::make_fluid(s);
    Flasher flasher(fluid);
    for (double P : {1e-4, 1e-2, 1.0, 1e3, 1e4, 1e5, 3e5}) {
      for (double T : {273.7056, 310.93}) {
        const std::string where = std::to_string(s.z.size()) + " components at " + std::to_string(P) + " kPa";
        const FlashResult r = flasher.flash_pt(T, P, s.z);
        ASSERT_EQ(r.status, FlashStatus::Converged) << where << ": " << r.message;
        ASSERT_GE(r.phase_count, 1) << where;
        testing_support::expect_equilibrium(fluid, r, s.z, 1e-8, where);
        for (const auto& p : r.phases) {
          if (p.present) {
            EXPECT_GT(p.v_m3_per_kmol, 0.0) << where;
          }
        }
      }
    }
  }
}

TEST(Determinism, RepeatedAndInterleavedCallsGiveTheSameBits) {
  const samples::SampleFluid s = samples::wet_condensate13();
  const Fluid fluid = samples::make_fluid(s);
  Flasher first(fluid), second(fluid);
  const FlashResult a = first.flash_pt(310.93, 150.0, s.z);
  first.flash_pt(273.15, 5000.0, s.z);  // a different state in between
  first.flash_t_beta(310.93, 0.9, s.z);
  const FlashResult b = first.flash_pt(310.93, 150.0, s.z);
  const FlashResult c = second.flash_pt(310.93, 150.0, s.z);
  for (const FlashResult* r : {&b, &c}) {
    for (int p = 0; p < kPhaseSlots; ++p) {
      EXPECT_EQ(a.phases[p].fraction, r->phases[p].fraction);
      EXPECT_EQ(a.phases[p].composition, r->phases[p].composition);
      EXPECT_EQ(a.phases[p].v_m3_per_kmol, r->phases[p].v_m3_per_kmol);
    }
  }
}

TEST(NoSolution, SaturationsThatDoNotExistFailCleanly) {
  // A lean gas far above its cricondentherm, and a pure gas above its critical point.
  const Fluid gas = Fluid::from_keys({"methane", "propane"});
  Flasher flasher(gas);
  for (double beta : {0.0, 0.5, 1.0}) {
    const FlashResult r = flasher.flash_t_beta(300.0, beta, std::vector<double>{0.95, 0.05});
    EXPECT_EQ(r.status, FlashStatus::NoSolution) << beta;
    EXPECT_FALSE(r.message.empty());
    EXPECT_EQ(r.phase_count, 0);
  }
  const FlashResult methane = flasher.flash_t_beta(200.0, 0.0, std::vector<double>{1.0, 0.0});
  EXPECT_EQ(methane.status, FlashStatus::NoSolution);
  // Below Tc the pure-component saturation flash is its vapour pressure.
  const FlashResult propane = flasher.flash_t_beta(310.93, 0.3, std::vector<double>{0.0, 1.0});
  ASSERT_EQ(propane.status, FlashStatus::Converged);
  EXPECT_NEAR(propane.P_kPa / 1300.4, 1.0, 0.02);
  EXPECT_DOUBLE_EQ(propane.vapour().fraction, 0.3);
}

TEST(Labels, SinglePhasesFollowTheStatedRule) {
  struct Case { const char* what; std::vector<std::string> names; std::vector<double> z; double T, P; int slot; };
  const Case cases[] = {
      {"condensate above its bubble point", samples::condensate12().names, samples::condensate12().z, 310.93, 500.0,
       kHydrocarbonLiquid},
      {"condensate below its dew point", samples::condensate12().names, samples::condensate12().z, 310.93, 1.0,
       kVapour},
      {"liquid water", {"water"}, {1.0}, 293.15, 101.325, kAqueousLiquid},
      {"steam", {"water"}, {1.0}, 293.15, 1.0, kVapour},
      // PR with the table's propane-water kij (0.53) dissolves only about 1e-13 propane.
      {"water with dissolved propane", {"propane", "water"}, {1e-14, 1.0}, 293.15, 101.325, kAqueousLiquid},
      {"methane at ambient", {"methane"}, {1.0}, 300.0, 101.325, kVapour},
      {"propane liquid", {"propane"}, {1.0}, 300.0, 2000.0, kHydrocarbonLiquid},
  };
  for (const Case& c : cases) {
    const Fluid fluid = Fluid::from_keys(c.names);
    Flasher flasher(fluid);
    const FlashResult r = flasher.flash_pt(c.T, c.P, c.z);
    ASSERT_EQ(r.status, FlashStatus::Converged) << c.what;
    ASSERT_EQ(r.phase_count, 1) << c.what;
    EXPECT_TRUE(r.phases[c.slot].present) << c.what;
    EXPECT_EQ(r.phases[c.slot].fraction, 1.0) << c.what;
  }
}

TEST(TinyPhases, AVapourOfAMillionthIsFoundNotRoundedAway) {
  // Propane beyond its (model) solubility in water, 1e-6 of the fluid: a vapour of about
  // that fraction appears, mostly propane.
  const Fluid fluid = Fluid::from_keys({"propane", "water"});
  Flasher flasher(fluid);
  const FlashResult r = flasher.flash_pt(293.15, 101.325, std::vector<double>{1e-6, 1.0});
  ASSERT_EQ(r.status, FlashStatus::Converged);
  ASSERT_TRUE(r.vapour().present);
  EXPECT_GT(r.vapour().fraction, 5e-7);
  EXPECT_LT(r.vapour().fraction, 1.1e-6);
  EXPECT_GT(r.vapour().composition[0], 0.9);
  testing_support::expect_equilibrium(fluid, r, std::vector<double>{1e-6, 1.0}, 1e-9, "propane in water");
}

TEST(Labels, TwoLiquidsWithoutWaterTakeTheLightAndHeavyLiquidSlots) {
  // Methanol and n-decane separate into two liquids at 290 K (PR with kij 0): the lighter,
  // decane-rich liquid is the hydrocarbon liquid, the methanol-rich one the heavy liquid;
  // neither is called vapour.
  const Fluid fluid = Fluid::from_keys({"methanol", "n-decane"});
  Flasher flasher(fluid);
  const FlashResult r = flasher.flash_pt(290.0, 1000.0, std::vector<double>{0.5, 0.5});
  ASSERT_EQ(r.status, FlashStatus::Converged);
  ASSERT_EQ(r.phase_count, 2);
  EXPECT_FALSE(r.vapour().present);
  ASSERT_TRUE(r.hydrocarbon_liquid().present && r.aqueous_liquid().present);
  EXPECT_GT(r.hydrocarbon_liquid().v_m3_per_kmol, r.aqueous_liquid().v_m3_per_kmol);
  EXPECT_GT(r.hydrocarbon_liquid().composition[1], 0.5);
  EXPECT_GT(r.aqueous_liquid().composition[0], 0.9);
  testing_support::expect_equilibrium(fluid, r, std::vector<double>{0.5, 0.5}, 1e-9, "methanol + n-decane");
}

}  // namespace
}  // namespace thermo
