// The property sweep of property_sweep.h at fixed seeds, a few hundred base cases: no
// result that says Converged is anything but a checked equilibrium with no phase
// missing that the flashes seek. thermo_flash_property_long runs the same for longer.
#include <gtest/gtest.h>

#include <cstdio>

#include "property_sweep.h"

namespace thermo {
namespace {

TEST(FlashProperties, EveryConvergedResultIsACheckedEquilibrium) {
  testing_support::SweepCounts counts;
  for (std::uint64_t seed : {20261210u, 16u}) {
    testing_support::PropertySweep sweep(seed);
    sweep.run(120, counts);
  }
  testing_support::print_counts(counts, stdout);
  EXPECT_EQ(counts.wrong, 0);
  // The sweep is not vacuous: most flashes of every kind converge.
  for (int k = 0; k < testing_support::kFlashKinds; ++k) {
    EXPECT_GT(counts.statuses[k][static_cast<int>(FlashStatus::Converged)], counts.cases / 2)
        << testing_support::kFlashKindNames[k];
  }
}

}  // namespace
}  // namespace thermo
