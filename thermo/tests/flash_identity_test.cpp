// Identities every flash result must satisfy, over a table of fluids and states: equal
// fugacities across phases, material balance, and agreement between the saturation flash
// and the PT flash at the pressure it finds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "flash_checks.h"
#include "sample_fluids.h"
#include "thermo/flasher.h"

namespace thermo {
namespace {

using testing_support::expect_equilibrium;

struct PtCase {
  const char* label;
  samples::SampleFluid (*sample)();
  double T_K;
  double P_kPa;
  int phases;
};

samples::SampleFluid wet_air() {
  return {{"nitrogen", "oxygen", "argon", "water"}, {0.78, 0.21, 0.0093, 0.007}};
}

const PtCase kPtCases[] = {
    {"condensate 101 kPa", samples::condensate12, 310.93, 101.325, 2},
    {"condensate 500 kPa", samples::condensate12, 310.93, 500.0, 1},
    {"condensate 10 kPa", samples::condensate12, 310.93, 10.0, 2},
    {"wet condensate 101 kPa", samples::wet_condensate13, 310.93, 101.325, 3},
    {"wet condensate 500 kPa", samples::wet_condensate13, 310.93, 500.0, 2},
    {"wet condensate 3 kPa", samples::wet_condensate13, 310.93, 3.0, 2},
    {"gasoline 101 kPa", samples::gasoline40, 310.93, 101.325, 2},
    {"gasoline 0.5556 C", samples::gasoline40, 273.7056, 30.0, 2},
    {"wet air", wet_air, 273.7056, 101.325, 2},
};

TEST(PtFlash, FugacitiesEqualAndPhasesAddUpToTheFeed) {
  // Both cubics go through the same code; each must satisfy the identities.
  for (EquationOfState eos : {EquationOfState::PengRobinson, EquationOfState::SoaveRedlichKwong}) {
    for (const PtCase& c : kPtCases) {
      const std::string where = std::string(c.label) + (eos == EquationOfState::PengRobinson ? " PR" : " SRK");
      const samples::SampleFluid s = c.sample();
      const Fluid fluid = samples::make_fluid(s, eos);
      Flasher flasher(fluid);
      const FlashResult r = flasher.flash_pt(c.T_K, c.P_kPa, s.z);
      ASSERT_EQ(r.status, FlashStatus::Converged) << where << ": " << r.message;
      EXPECT_EQ(r.phase_count, c.phases) << where;
      expect_equilibrium(fluid, r, s.z, 1e-9, where);
    }
  }
}

TEST(SpeedUps, LeaveEveryResultWithin1e_10OfThePlainPath) {
  FlashOptions plain;
  plain.end_proven_unstable_trials = false;
  for (const PtCase& c : kPtCases) {
    const samples::SampleFluid s = c.sample();
    const Fluid fluid = samples::make_fluid(s);
    Flasher fast(fluid), slow(fluid, plain);
    const FlashResult a = fast.flash_pt(c.T_K, c.P_kPa, s.z);
    const FlashResult b = slow.flash_pt(c.T_K, c.P_kPa, s.z);
    ASSERT_EQ(a.status, FlashStatus::Converged) << c.label;
    ASSERT_EQ(b.status, FlashStatus::Converged) << c.label;
    EXPECT_LE(a.stability_iterations, b.stability_iterations) << c.label;
    for (int p = 0; p < kPhaseSlots; ++p) {
      ASSERT_EQ(a.phases[p].present, b.phases[p].present) << c.label;
      EXPECT_NEAR(a.phases[p].fraction, b.phases[p].fraction, 1e-10) << c.label;
      for (std::size_t i = 0; i < s.z.size(); ++i) {
        EXPECT_NEAR(a.phases[p].composition[i], b.phases[p].composition[i], 1e-10) << c.label << " " << i;
      }
    }
  }
}

TEST(SpeedUps, WarmStartLeavesEveryResultWithin1e_10OfTheColdFlash) {
  // One warm Flasher walks through every case twice in a row (the second call starts
  // from the first's K-values; the first from another fluid state's or from none, and
  // single-phase states must still come out single-phase), against a fresh cold flash.
  FlashOptions warm_options;
  warm_options.warm_start = true;
  for (EquationOfState eos : {EquationOfState::PengRobinson, EquationOfState::SoaveRedlichKwong}) {
    for (samples::SampleFluid (*sample)() : {samples::condensate12, samples::wet_condensate13, samples::gasoline40}) {
      const samples::SampleFluid s = sample();
      const Fluid fluid = samples::make_fluid(s, eos);
      Flasher warm(fluid, warm_options);
      int warm_two_phase = 0;
      for (const PtCase& c : kPtCases) {
        if (c.sample != sample) continue;
        for (double P_kPa : {c.P_kPa, c.P_kPa, 0.7 * c.P_kPa, 1.3 * c.P_kPa, c.P_kPa}) {
          const std::string where = std::string(c.label) + " at " + std::to_string(P_kPa) + " kPa";
          Flasher cold(fluid);
          const FlashResult b = cold.flash_pt(c.T_K, P_kPa, s.z);
          const FlashResult a = warm.flash_pt(c.T_K, P_kPa, s.z);
          ASSERT_EQ(b.status, FlashStatus::Converged) << where;
          ASSERT_EQ(a.status, FlashStatus::Converged) << where;
          ASSERT_EQ(a.phase_count, b.phase_count) << where;
          if (a.phase_count == 2 && a.stability_iterations == 0) ++warm_two_phase;
          for (int p = 0; p < kPhaseSlots; ++p) {
            ASSERT_EQ(a.phases[p].present, b.phases[p].present) << where;
            EXPECT_NEAR(a.phases[p].fraction, b.phases[p].fraction, 1e-10) << where;
            for (std::size_t i = 0; i < s.z.size(); ++i) {
              EXPECT_NEAR(a.phases[p].composition[i], b.phases[p].composition[i], 1e-10) << where << " " << i;
            }
          }
        }
      }
      // The water-free fluids took the shortcut (no stability test) at least once.
      if (sample != samples::wet_condensate13) {
        EXPECT_GT(warm_two_phase, 0);
      }
    }
  }
}

TEST(SaturationFlash, FugacitiesEqualAndPtFlashAgreesAtTheFoundPressure) {
  for (auto sample : {samples::condensate12, samples::wet_condensate13, samples::gasoline40}) {
    const samples::SampleFluid s = sample();
    const Fluid fluid = samples::make_fluid(s);
    Flasher flasher(fluid);
    for (double beta : {0.0, 0.8, 0.95, 0.99}) {
      const std::string where = std::to_string(s.names.size()) + " components, beta " + std::to_string(beta);
      const FlashResult sat = flasher.flash_t_beta(310.93, beta, s.z);
      ASSERT_EQ(sat.status, FlashStatus::Converged) << where << ": " << sat.message;
      EXPECT_TRUE(sat.vapour().present) << where;
      EXPECT_NEAR(sat.vapour().fraction, beta, 1e-15) << where;
      expect_equilibrium(fluid, sat, s.z, 1e-9, where);
      if (beta > 0) {
        const FlashResult pt = flasher.flash_pt(310.93, sat.P_kPa, s.z);
        ASSERT_EQ(pt.status, FlashStatus::Converged) << where;
        EXPECT_NEAR(pt.vapour_fraction(), beta, 1e-8) << where;
        EXPECT_EQ(pt.phase_count, sat.phase_count) << where;
      } else {
        // The bubble point is where the PT flash's vapour appears.
        const FlashResult below = flasher.flash_pt(310.93, sat.P_kPa * (1 - 1e-6), s.z);
        const FlashResult above = flasher.flash_pt(310.93, sat.P_kPa * (1 + 1e-6), s.z);
        ASSERT_EQ(below.status, FlashStatus::Converged) << where;
        ASSERT_EQ(above.status, FlashStatus::Converged) << where;
        EXPECT_TRUE(below.vapour().present) << where;
        EXPECT_GT(below.vapour_fraction(), 0.0) << where;
        EXPECT_LT(below.vapour_fraction(), 1e-4) << where;
        EXPECT_FALSE(above.vapour().present) << where;
        // The incipient vapour is the bubble point's vapour.
        for (std::size_t i = 0; i < s.z.size(); ++i) {
          EXPECT_NEAR(below.vapour().composition[i], sat.vapour().composition[i], 1e-4) << where << " " << i;
        }
      }
    }
  }
}

}  // namespace
}  // namespace thermo
