// Flash results against published data, the three-phase split of a wet condensate, and
// the saturation searches the air-saturation methods run on the flash.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "flash_checks.h"
#include "sample_fluids.h"
#include "thermo/flasher.h"
#include "thermo/pure_saturation.h"

namespace thermo {
namespace {

TEST(BubblePoint, PropaneNButaneAgainstMeasuredVle) {
  // Isothermal propane (1) + n-butane (2) VLE at 323.15 K: liquid x1, bubble pressure and
  // vapour y1, as tabulated for a public bubble-point exercise (its points follow the
  // published measurements for this pair: n-butane 495 kPa and propane 1713 kPa at the
  // ends, agreeing with the Wagner equations).
  struct Point { double x1, P_kPa, y1; };
  const Point points[] = {{0.112, 618.0, 0.254}, {0.334, 878.0, 0.563}, {0.535, 1101.0, 0.732},
                          {0.714, 1324.0, 0.853}, {0.895, 1564.0, 0.950}};
  const Fluid fluid = Fluid::from_keys({"propane", "n-butane"});
  Flasher flasher(fluid);
  for (const Point& p : points) {
    const std::vector<double> z = {p.x1, 1.0 - p.x1};
    const FlashResult r = flasher.flash_t_beta(323.15, 0.0, z);
    ASSERT_EQ(r.status, FlashStatus::Converged) << p.x1;
    EXPECT_NEAR(r.P_kPa / p.P_kPa, 1.0, 0.03) << "x1 " << p.x1 << ": " << r.P_kPa;
    EXPECT_NEAR(r.vapour().composition[0], p.y1, 0.02) << "x1 " << p.x1;
  }
}

TEST(WaterContent, AirSaturatedAt0_5556CMatchesWatersVapourPressure) {
  // Saturated air holds water at its partial pressure: y_w = P_sat / P (Raoult, with the
  // engine's own pure-water vapour pressure; the enhancement factor at 1 atm is ~1.004).
  const Fluid fluid = Fluid::from_keys({"nitrogen", "oxygen", "argon", "water"});
  Flasher flasher(fluid);
  CubicMixture mixture(fluid);
  const double T = 273.7056, P = 101.325;
  const PureSaturation water = pure_saturation(mixture, 3, T);
  ASSERT_TRUE(water.converged);
  // Dry air (N2, O2, Ar by volume) with water beyond saturation.
  const FlashResult r = flasher.flash_pt(T, P, std::vector<double>{0.7808, 0.2095, 0.0093, 0.01});
  ASSERT_EQ(r.status, FlashStatus::Converged);
  ASSERT_TRUE(r.vapour().present);
  ASSERT_TRUE(r.aqueous_liquid().present);
  EXPECT_FALSE(r.hydrocarbon_liquid().present);
  EXPECT_NEAR(r.vapour().composition[3] / (water.P_kPa / P), 1.0, 0.02);
  // And against IAPWS directly: 0.6363 kPa at 0.5556 C.
  EXPECT_NEAR(r.vapour().composition[3] / (0.6363 / P), 1.0, 0.02);
}

TEST(ThreePhase, WetCondensateSplitsBelowItsBubblePointDryOneInTwo) {
  const samples::SampleFluid wet = samples::wet_condensate13();
  const samples::SampleFluid dry = samples::condensate12();
  const Fluid wet_fluid = samples::make_fluid(wet);
  const Fluid dry_fluid = samples::make_fluid(dry);
  Flasher wet_flasher(wet_fluid), dry_flasher(dry_fluid);
  const double T = 310.93;
  const FlashResult wet_bubble = wet_flasher.flash_t_beta(T, 0.0, wet.z);
  const FlashResult dry_bubble = dry_flasher.flash_t_beta(T, 0.0, dry.z);
  ASSERT_EQ(wet_bubble.status, FlashStatus::Converged);
  ASSERT_EQ(dry_bubble.status, FlashStatus::Converged);
  EXPECT_TRUE(wet_bubble.aqueous_liquid().present);
  // Free water adds roughly its own vapour pressure (6.55 kPa at 37.78 C) to the bubble point.
  EXPECT_NEAR(wet_bubble.P_kPa - dry_bubble.P_kPa, 6.55, 1.5);

  const FlashResult wet_split = wet_flasher.flash_pt(T, 0.98 * wet_bubble.P_kPa, wet.z);
  ASSERT_EQ(wet_split.status, FlashStatus::Converged);
  EXPECT_EQ(wet_split.phase_count, 3);
  EXPECT_GT(wet_split.vapour().fraction, 0.0);
  EXPECT_GT(wet_split.hydrocarbon_liquid().composition[11], 0.05);  // decane stays in the oil
  EXPECT_GT(wet_split.aqueous_liquid().composition[12], 0.999);     // the water is nearly pure

  const FlashResult dry_split = dry_flasher.flash_pt(T, 0.98 * dry_bubble.P_kPa, dry.z);
  ASSERT_EQ(dry_split.status, FlashStatus::Converged);
  EXPECT_EQ(dry_split.phase_count, 2);
  EXPECT_TRUE(dry_split.vapour().present && dry_split.hydrocarbon_liquid().present);

  const FlashResult wet_above = wet_flasher.flash_pt(T, 1.02 * wet_bubble.P_kPa, wet.z);
  ASSERT_EQ(wet_above.status, FlashStatus::Converged);
  EXPECT_FALSE(wet_above.vapour().present);
  EXPECT_TRUE(wet_above.hydrocarbon_liquid().present && wet_above.aqueous_liquid().present);
}

TEST(ThreePhase, AWaterRichVapourIsNotMistakenForTheAqueousLiquid) {
  // Hot heptane, undecane and water: the first split leaves a vapour of about 65 % water
  // beside the oil; that vapour is no aqueous liquid, so the search for free water must
  // still run and find it.
  const Fluid fluid = Fluid::from_keys({"n-undecane", "n-heptane", "water"});
  Flasher flasher(fluid);
  const std::vector<double> z = {0.258, 0.566, 0.472};
  const FlashResult r = flasher.flash_pt(384.59, 248.4, z);
  ASSERT_EQ(r.status, FlashStatus::Converged);
  EXPECT_EQ(r.phase_count, 3);
  EXPECT_GT(r.vapour().composition[2], 0.5);
  EXPECT_GT(r.aqueous_liquid().composition[2], 0.999);
  testing_support::expect_equilibrium(fluid, r, z, 1e-9, "hot wet oil");
}

// The secant search an air-saturation method runs: the amount added until the vapour
// fraction hits the target, checking on the way that the vapour fraction moves smoothly.
struct SecantOutcome {
  bool found = false;
  int iterations = 0;
  double amount = 0;
  double vapour_fraction = 0;
};

SecantOutcome secant(const std::function<double(double)>& vapour_fraction, double target, double a0, double a1) {
  SecantOutcome out;
  double f0 = vapour_fraction(a0) - target;
  double f1 = vapour_fraction(a1) - target;
  for (int it = 1; it <= 50; ++it) {
    out.iterations = it;
    if (std::abs(f1) < 1e-5 * 1e-3) break;  // well inside the methods' 1e-5
    const double a2 = a1 - f1 * (a1 - a0) / (f1 - f0);
    a0 = a1;
    f0 = f1;
    a1 = a2;
    f1 = vapour_fraction(a1) - target;
  }
  out.found = std::abs(f1) < 1e-5;
  out.amount = a1;
  out.vapour_fraction = f1 + target;
  return out;
}

TEST(SaturationSearch, SamplePlusAirReachesVapourFraction0_00015) {
  // A gasoline with nitrogen, oxygen and water listed at fraction 0, as a stream is.
  samples::SampleFluid s = samples::gasoline40();
  s.names.insert(s.names.end(), {"nitrogen", "oxygen", "water"});
  s.z.insert(s.z.end(), {0.0, 0.0, 0.0});
  const Fluid fluid = samples::make_fluid(s);
  Flasher flasher(fluid);
  const std::size_t n = s.z.size();
  auto vapour_fraction = [&](double air) {
    std::vector<double> z = s.z;
    z[n - 3] = 0.79 * air;
    z[n - 2] = 0.21 * air;
    const FlashResult r = flasher.flash_pt(273.7056, 101.325, z);
    EXPECT_EQ(r.status, FlashStatus::Converged) << air << " " << r.message;
    return r.vapour_fraction();
  };
  // The sample alone is liquid here; the water listed at zero stays out of every phase.
  const FlashResult sample = flasher.flash_pt(273.7056, 101.325, s.z);
  EXPECT_FALSE(sample.vapour().present);
  EXPECT_FALSE(sample.aqueous_liquid().present);

  // Air dissolves first (about 0.1 mol %); vapour appears a little beyond.
  const SecantOutcome o = secant(vapour_fraction, 0.00015, 1.5e-3, 2e-3);
  EXPECT_TRUE(o.found) << o.vapour_fraction;
  EXPECT_LE(o.iterations, 10);
  // Smooth and increasing around the answer: no jump from a relabelled phase.
  double previous = vapour_fraction(0.99 * o.amount);
  double previous_step = 0;
  for (int k = 1; k <= 8; ++k) {
    const double value = vapour_fraction(o.amount * (0.99 + 0.0025 * k));
    const double step = value - previous;
    EXPECT_GT(step, 0.0) << k;
    if (k > 1) {
      EXPECT_NEAR(step / previous_step, 1.0, 0.2) << k;
    }
    previous = value;
    previous_step = step;
  }
}

TEST(SaturationSearch, AirPlusWaterReachesVapourFraction0_9999) {
  const Fluid fluid = Fluid::from_keys({"nitrogen", "oxygen", "water"});
  Flasher flasher(fluid);
  auto vapour_fraction = [&](double water) {
    const FlashResult r = flasher.flash_pt(273.7056, 101.325, std::vector<double>{0.79, 0.21, water});
    EXPECT_EQ(r.status, FlashStatus::Converged) << water;
    return r.vapour_fraction();
  };
  // Below saturation (~0.64 %) the air is all vapour.
  EXPECT_EQ(vapour_fraction(0.004), 1.0);
  const SecantOutcome o = secant(vapour_fraction, 0.9999, 0.007, 0.008);
  EXPECT_TRUE(o.found) << o.vapour_fraction;
  EXPECT_LE(o.iterations, 10);
  // The answer is saturation plus the liquid: about 0.0064 + 0.0001 mol per mol of air.
  EXPECT_NEAR(o.amount, 0.0065, 0.0003);
}

}  // namespace
}  // namespace thermo
