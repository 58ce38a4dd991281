// States where flashes once called a wrong answer converged, each with what the right
// answer is: every one must now give a checked equilibrium, or say honestly that it has
// none. The checks are computed afresh from the result (flash_checks.h).
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "flash_checks.h"
#include "thermo/flasher.h"

namespace thermo {
namespace {

using testing_support::beyond_sought_phases;
using testing_support::equilibrium_errors;
using testing_support::missed_phase;

enum class Kind { PT, TBeta };

struct FaultCase {
  const char* fault;
  std::vector<std::string> keys;
  EquationOfState eos;
  Kind kind;
  double T_K;
  double P_kPa_or_beta;
  std::vector<double> z;
  bool must_converge;  // a checked equilibrium exists and is expected
  std::function<void(const Fluid&, const FlashResult&)> expect;
};

constexpr auto PR = EquationOfState::PengRobinson;
constexpr auto SRK = EquationOfState::SoaveRedlichKwong;

// A Converged result is an equilibrium with no phase missing; anything else is honest:
// finite, and fractions of the phases it shows summing to 1.
void expect_checked_or_honest(const Fluid& fluid, const FlashResult& r, const std::vector<double>& z,
                              const std::string& where) {
  EXPECT_TRUE(std::isfinite(r.P_kPa) && std::isfinite(r.T_K)) << where;
  if (r.status != FlashStatus::Converged) {
    EXPECT_FALSE(r.message.empty()) << where;
    double sum = 0;
    int present = 0;
    for (const PhaseResult& p : r.phases) {
      if (!p.present) continue;
      ++present;
      sum += p.fraction;
      EXPECT_TRUE(std::isfinite(p.fraction)) << where;
    }
    EXPECT_EQ(present, r.phase_count) << where;
    if (present > 0) {
      EXPECT_NEAR(sum, 1.0, 1e-12) << where;
    }
    return;
  }
  testing_support::expect_equilibrium(fluid, r, z, 1e-9, where);
  const testing_support::MissedPhase m = missed_phase(fluid, r);
  if (!beyond_sought_phases(fluid, r, m)) {
    EXPECT_GE(m.tm, -1e-8) << where << ": a phase is missing";
  }
}

TEST(FlashFaults, EachGivesACheckedEquilibriumOrSaysItHasNone) {
  const FaultCase cases[] = {
      {"Rachford-Rice at an exact zero residual kept the bisection midpoint",
       {"n-pentane", "n-heptane"}, PR, Kind::PT, 320, 48.1, {0.5, 0.5}, true,
       [](const Fluid&, const FlashResult& r) {
         EXPECT_EQ(r.phase_count, 2);
         const double held = r.vapour().fraction * r.vapour().composition[0] +
                             r.hydrocarbon_liquid().fraction * r.hydrocarbon_liquid().composition[0];
         EXPECT_NEAR(held, 0.5, 1e-14);
       }},
      {"an absolute stop on the vapour fraction lost the hydrocarbon liquid",
       {"water", "n-decane"}, PR, Kind::PT, 298.15, 101.325, {0.97, 1 - 0.97}, true,
       [](const Fluid& fluid, const FlashResult& r) {
         // The same as with the last bit of z written the other way.
         const FlashResult plain = Flasher(fluid).flash_pt(298.15, 101.325, std::vector<double>{0.97, 0.03});
         ASSERT_EQ(plain.status, FlashStatus::Converged);
         EXPECT_NEAR(r.hydrocarbon_liquid().fraction, 0.0300, 1e-4);
         EXPECT_NEAR(r.hydrocarbon_liquid().fraction, plain.hydrocarbon_liquid().fraction, 1e-12);
       }},
      {"a saturation search converged on its pressure step alone",
       {"ethane", "hydrogen"}, PR, Kind::TBeta, 260, 0.0, {3, 2.3}, false,
       [](const Fluid& fluid, const FlashResult& r) {
         if (r.status != FlashStatus::Converged) return;
         // A bubble point: the PT flash there finds (next to) no vapour.
         const FlashResult pt = Flasher(fluid).flash_pt(260, r.P_kPa, std::vector<double>{3, 2.3});
         EXPECT_LT(pt.vapour_fraction(), 1e-6);
       }},
      {"a retry added an aqueous liquid and exited unsolved",
       {"water", "neopentane", "p-xylene"}, SRK, Kind::TBeta, 186.59381084018148, 0.0,
       {0.96802045149990779, 0.0040043584168665113, 0.00073236540789331484}, false, nullptr},
      {"a dew point never sought an aqueous liquid",
       {"n-hexane", "water"}, PR, Kind::TBeta, 270, 1.0, {0.072, 0.015}, true,
       [](const Fluid& fluid, const FlashResult& r) {
         // Water condenses first, near 2.8 kPa; the hexane dew point (6.32 kPa) is beyond.
         EXPECT_LT(r.P_kPa, 3.0);
         EXPECT_TRUE(r.aqueous_liquid().present);
         const std::vector<double> z = {0.072, 0.015};
         Flasher flasher(fluid);
         EXPECT_EQ(flasher.flash_pt(270, 0.99 * r.P_kPa, z).phase_count, 1);
         EXPECT_TRUE(flasher.flash_pt(270, 1.01 * r.P_kPa, z).aqueous_liquid().present);
       }},
      {"a close-boiling mixture came back all vapour",
       {"cyclopentane", "2,2-dimethylbutane"}, SRK, Kind::PT, 262.49, 8.71, {0.25, 0.75}, true,
       [](const Fluid&, const FlashResult& r) {
         EXPECT_EQ(r.phase_count, 2);
         EXPECT_GT(r.vapour_fraction(), 0.1);
         EXPECT_LT(r.vapour_fraction(), 0.9);
       }},
      {"a liquid root lost at 1e-6 kPa: single phase where two are stable",
       {"n-hexane", "n-dodecane"}, PR, Kind::PT, 190.82636905973777, 9.583668489487053e-07,
       {0.20484909182414412, 1 - 0.20484909182414412}, true,
       [](const Fluid&, const FlashResult& r) {
         EXPECT_EQ(r.phase_count, 2);
         EXPECT_NEAR(r.vapour_fraction(), 0.2074, 1e-3);
       }},
  };
  for (const FaultCase& c : cases) {
    const Fluid fluid = Fluid::from_keys(c.keys, c.eos);
    Flasher flasher(fluid);
    const FlashResult r = c.kind == Kind::PT ? flasher.flash_pt(c.T_K, c.P_kPa_or_beta, c.z)
                                             : flasher.flash_t_beta(c.T_K, c.P_kPa_or_beta, c.z);
    SCOPED_TRACE(c.fault);
    if (c.must_converge) {
      ASSERT_EQ(r.status, FlashStatus::Converged) << r.message;
    }
    expect_checked_or_honest(fluid, r, c.z, c.fault);
    if (c.expect) c.expect(fluid, r);
  }
}

TEST(FlashFaults, WarmAndColdFlashersAgreeAtLowPressure) {
  // A warm flasher found the split that the cold one missed when the liquid root was
  // lost: walk both through states near 191 K and 1e-6 kPa.
  const Fluid fluid = Fluid::from_keys({"n-hexane", "n-dodecane"});
  FlashOptions warm_options;
  warm_options.warm_start = true;
  Flasher warm(fluid, warm_options);
  for (double z1 : {0.2, 0.5, 0.84, 0.97}) {
    for (double P_kPa : {1e-7, 6e-7, 1e-6, 1.3e-6}) {
      const std::vector<double> z = {z1, 1 - z1};
      const FlashResult a = warm.flash_pt(191, P_kPa, z);
      const FlashResult b = Flasher(fluid).flash_pt(191, P_kPa, z);
      const std::string where = "z1 " + std::to_string(z1) + " P " + std::to_string(P_kPa);
      ASSERT_EQ(a.status, FlashStatus::Converged) << where;
      ASSERT_EQ(b.status, FlashStatus::Converged) << where;
      EXPECT_EQ(a.phase_count, b.phase_count) << where;
      EXPECT_NEAR(a.vapour_fraction(), b.vapour_fraction(), 1e-10) << where;
      expect_checked_or_honest(fluid, b, z, where);
    }
  }
}

TEST(FlashFaults, AReusedFlashersUnconvergedResultsHoldOnlyTheirOwnPhases) {
  // Too few iterations to converge anything: every result is the last iterate of its
  // own call, never mixed with fractions an earlier call left in the flasher.
  const Fluid fluid = Fluid::from_keys({"n-heptane", "n-butane", "methane", "water"});
  FlashOptions options;
  options.max_iterations = 3;
  Flasher flasher(fluid, options);
  const std::vector<std::vector<double>> feeds = {{0.3, 0.2, 0.1, 0.4}, {0.5, 0.3, 0.15, 0.05}, {0.1, 0.1, 0.1, 0.7}};
  int unconverged = 0;
  for (int round = 0; round < 3; ++round) {
    for (const auto& z : feeds) {
      for (double P_kPa : {50.0, 300.0, 2000.0}) {
        for (const FlashResult& r : {flasher.flash_pt(330, P_kPa, z), flasher.flash_t_beta(330, 0.3, z)}) {
          if (r.status == FlashStatus::NotConverged) ++unconverged;
          expect_checked_or_honest(fluid, r, z, "P " + std::to_string(P_kPa));
        }
      }
    }
  }
  EXPECT_GT(unconverged, 0);
}

}  // namespace
}  // namespace thermo
