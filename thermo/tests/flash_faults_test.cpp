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
#include "thermo/petroleum_fraction.h"

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
      {"a split at a vapour fraction between held a dense liquid in the vapour's place",
       {"methane", "ethane", "hydrogen sulfide", "MTBE"}, SRK, Kind::TBeta, 207.03135977703903, 0.82986962764797223,
       {0.83490340904007843, 0.035788132967896492, 0.096377915422265148, 0.0087590666482746694}, false, nullptr},
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

// Phases that the stability trials once missed, from the long property sweep: a second
// liquid of unlike hydrocarbons (a heavy paraffinic cut or eicosane beside aromatics or
// a dense cut, hydrogen sulfide beside methane), free water after a three-phase split
// fell back onto the two phases it had, a dense near-critical split whose trial passed
// through negative distances and fell back, and a dew point below a water dew point.
// Each is now found.
struct MissedPhaseCase {
  const char* what;
  std::vector<PetroleumCut> cuts;  // pseudo-components first, then the named ones
  std::vector<std::string> keys;
  EquationOfState eos;
  Kind kind;
  double T_K;
  double P_kPa_or_beta;
  std::vector<double> z;
  std::vector<PhaseSlot> slots;  // the phases present
};

TEST(FlashFaults, PhasesTheTrialsOnceMissedAreFound) {
  const MissedPhaseCase cases[] = {
      {"a light heavy cut beside a dense one, with hydrogen", {{"cut0", 560.26165435966561, 0.66581010892429826}, {"cut1", 412.77638700639727, 0.90248266468571725}},
       {"hydrogen", "methane", "neopentane"}, PR, Kind::PT, 291.21355798238534, 11060.257177186084,
       {0.19225620221895171, 0.24927645863694348, 0.070197702187056635, 0.032178599396029232, 0.049490316335753619},
       {kHydrocarbonLiquid, kAqueousLiquid}},
      {"eicosane beside toluene and cyclopentane", {}, {"toluene", "n-eicosane", "cyclopentane", "hydrogen sulfide"}, SRK,
       Kind::PT, 235.44583360233037, 0.85761972201007564, {0.75375422980805806, 0.65218077623924953, 0.82653103642073822, 1e-12},
       {kHydrocarbonLiquid, kAqueousLiquid}},
      {"eicosane beside benzene and p-xylene", {}, {"n-eicosane", "p-xylene", "benzene", "n-decane"}, PR, Kind::PT,
       283.12060660313455, 4.7865667828237921, {0.42730622294996079, 0.34523308878662295, 0.72088399955095828, 1e-12},
       {kHydrocarbonLiquid, kAqueousLiquid}},
      {"three cuts with carbon dioxide (a vapour beside the liquids is beyond the flashes)",
       {{"cut0", 330.24389858209088, 0.91820220424770604}, {"cut1", 567.662917562301, 0.67714573300296299}, {"cut2", 339.36524358268008, 0.75647897955291776}},
       {"carbon dioxide", "cyclohexane"}, PR, Kind::PT, 260.4312127389569, 275.30904370154707,
       {0.22750469685186972, 0.22784347359172874, 0.29998107687192094, 0.13370962446069029, 0.20552107416018456},
       {kHydrocarbonLiquid, kAqueousLiquid}},
      {"two cuts with carbon dioxide", {{"cut0", 329.74563974118189, 0.90561142266739214}, {"cut1", 528.11305741664194, 0.70190190767880001}},
       {"carbon dioxide", "cyclohexane"}, PR, Kind::PT, 272.82919185394366, 1696.2103959172889,
       {0.14447091599396703, 0.1782831785454142, 0.060602576364776853, 0.014824225403255942}, {kHydrocarbonLiquid, kAqueousLiquid}},
      {"three cuts with isobutane", {{"cut0", 634.12702883181464, 0.69716531270063231}, {"cut1", 446.31570521640413, 0.89470152182740326}, {"cut2", 331.66868225243229, 0.82280997484947904}},
       {"isobutane", "cyclohexane"}, SRK, Kind::PT, 265.47796188858325, 25.919268658253237,
       {0.17584052669454017, 0.099680002778889998, 0.16554835904752219, 0.12418013215209917, 0.073664388119015572},
       {kHydrocarbonLiquid, kAqueousLiquid}},
      {"two light heavy cuts: not the largest molecule alone", {{"cut0", 644.19485196356572, 0.74353843172324063}, {"cut1", 334.9791711012719, 0.91993286579627931},
        {"cut2", 568.19041121546161, 0.69557677177415222}, {"cut3", 328.00465182889673, 0.80637355708452541}},
       {"propane"}, PR, Kind::PT, 269.98130625791879, 6878.9911775721366,
       {0.041321895836131772, 0.061484505592496227, 0.10089959128133148, 0.27936039895701276, 0.18671127477868954},
       {kHydrocarbonLiquid, kAqueousLiquid}},
      {"four cuts with benzene", {{"cut0", 477.14749420101714, 0.67045791901310858}, {"cut1", 613.12829115046088, 0.69766405818163801},
        {"cut2", 391.50453052641041, 0.72964959219890346}, {"cut3", 343.566315020503, 0.8564584915694573}},
       {"benzene"}, PR, Kind::PT, 256.56224392289539, 2.0949901038406384,
       {0.20367546959862773, 0.1464667370886191, 0.18444849068164312, 0.29225369489216824, 0.16115728368422416},
       {kHydrocarbonLiquid, kAqueousLiquid}},
      {"free water beside a water-rich oil: the vapour goes", {}, {"water", "n-octane", "n-hexadecane", "n-eicosane"}, PR, Kind::PT,
       468.07775404039648, 1748.7274722584038, {0.92658359887520847, 0.17849310578756816, 0.065544016610230182, 0.10101308922846934},
       {kHydrocarbonLiquid, kAqueousLiquid}},
      {"a dense near-critical split of a methane-rich gas", {}, {"methane", "propane", "n-butane", "n-hexadecane"}, SRK, Kind::PT,
       203.16628480065214, 5702.2582031736156, {0.93951465016511437, 0.18726232964367726, 0.023914519668777716, 0.019723514044484136},
       {kHydrocarbonLiquid, kAqueousLiquid}},
      {"a liquid of hydrogen sulfide beside a dense methane-rich one", {}, {"methane", "hydrogen sulfide", "hydrogen", "isopentane"}, SRK,
       Kind::PT, 202.2376963609988, 8326.8831402044398,
       {0.7894099654348683, 0.094853547189241647, 0.056964167324067581, 0.0089302262757861919}, {kHydrocarbonLiquid, kAqueousLiquid}},
      {"a dew point of ethanol and heptane below the water dew point", {}, {"ethanol", "n-heptane", "water"}, PR, Kind::TBeta,
       273.98353400877704, 1.0, {0.26736468781516554, 0.25419138771975258, 0.13126446170591066}, {kVapour, kHydrocarbonLiquid}},
  };
  for (const MissedPhaseCase& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<Component> components = make_pseudo_components(c.cuts);
    for (const std::string& key : c.keys) components.push_back(ComponentDatabase::builtin().find(key));
    const Fluid fluid(components, c.eos);
    Flasher flasher(fluid);
    const FlashResult r = c.kind == Kind::PT ? flasher.flash_pt(c.T_K, c.P_kPa_or_beta, c.z)
                                             : flasher.flash_t_beta(c.T_K, c.P_kPa_or_beta, c.z);
    // Every case runs to its end (no ASSERT): each reports its own fault.
    EXPECT_EQ(r.status, FlashStatus::Converged) << r.message;
    expect_checked_or_honest(fluid, r, c.z, c.what);
    EXPECT_EQ(r.phase_count, static_cast<int>(c.slots.size()));
    if (r.status != FlashStatus::Converged || r.phase_count != static_cast<int>(c.slots.size())) continue;
    for (PhaseSlot slot : c.slots) EXPECT_TRUE(r.phases[slot].present) << "slot " << slot;
    if (c.kind == Kind::PT) {
      // Two phases of real amount and unlike composition, not one phase split in name.
      const PhaseResult& a = r.phases[c.slots[0]];
      const PhaseResult& b = r.phases[c.slots[1]];
      EXPECT_GT(std::min(a.fraction, b.fraction), 1e-5);
      double apart = 0;
      for (std::size_t i = 0; i < a.composition.size(); ++i) apart = std::max(apart, std::abs(a.composition[i] - b.composition[i]));
      EXPECT_GT(apart, 0.05);
    } else {
      // The dew point: all vapour just below it, a liquid just above.
      EXPECT_EQ(flasher.flash_pt(c.T_K, 0.995 * r.P_kPa, c.z).phase_count, 1);
      EXPECT_GE(flasher.flash_pt(c.T_K, 1.005 * r.P_kPa, c.z).phase_count, 2);
    }
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
