// The saturation of water that holds hydrocarbons in traces, as the aqueous phase of a
// wet stream does: one aqueous liquid, whose bubble point lies above water's vapour
// pressure by what the traces add.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "flash_checks.h"
#include "thermo/flasher.h"

namespace thermo {
namespace {

TEST(AqueousSaturation, WaterWithTracesBubblesJustAboveWatersVapourPressure) {
  struct Case {
    const char* what;
    std::vector<std::string> keys;
    std::vector<double> z;
  };
  // The aqueous phase of the wet-condensate example at 15 °C and 1 atm, and its two
  // leading traces alone.
  const Case cases[] = {
      {"methane trace", {"water", "methane"}, {1.0 - 2e-10, 2e-10}},
      {"methane and ethane traces", {"water", "methane", "ethane"}, {1.0 - 2.006e-10, 2e-10, 6e-13}},
  };
  for (const EquationOfState eos : {EquationOfState::PengRobinson, EquationOfState::SoaveRedlichKwong}) {
    for (const Case& c : cases) {
      const std::string where = std::string(c.what) + (eos == EquationOfState::PengRobinson ? " (PR)" : " (SRK)");
      const Fluid fluid = Fluid::from_keys(c.keys, eos);
      Flasher flasher(fluid);
      const double T_K = 310.93;
      const FlashResult water = Flasher(Fluid::from_keys({"water"}, eos)).flash_t_beta(T_K, 0, std::vector<double>{1.0});
      ASSERT_EQ(water.status, FlashStatus::Converged) << where;
      const FlashResult r = flasher.flash_t_beta(T_K, 0, c.z);
      ASSERT_EQ(r.status, FlashStatus::Converged) << where << ": " << r.message;
      testing_support::expect_equilibrium(fluid, r, c.z, 1e-9, where);
      EXPECT_GE(r.P_kPa, water.P_kPa) << where;
      EXPECT_GE(testing_support::missed_phase(fluid, r).tm, -1e-8) << where << ": a phase is missing";
      EXPECT_TRUE(r.phases[kAqueousLiquid].present) << where;
    }
  }
}

}  // namespace
}  // namespace thermo
