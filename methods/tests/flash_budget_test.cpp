// Every method stays within the host flashes per phase call that the README promises,
// whatever the host answers. A host is scripted to answer at random (seeded, so every
// run is the same): failures, all-liquid and all-vapour flashes, vapour fractions and
// molar volumes anywhere, bubble points anywhere. No answer may make a method flash
// more than its worst case, return a value that is not a number, or keep a reference or
// a block (the fixture).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <ostream>
#include <string>

#include "methods/methods.h"
#include "methods/tests/flash_answers.h"
#include "testsupport/fluid_installation.h"

namespace volacor {
namespace {

using method_tests::IsVapourFractionRequest;
using method_tests::SetTwoPhase;
using testsupport::CalculatorTest;
using testsupport::ScriptedFluid;
using namespace testsupport;  // components

struct MethodBudget {
    const char* name;
    double (*calculate)(CPropertyCalculator*, int32_t, double);  // phase, reference temperature
    double referenceTemperature;                                 // °R for the API methods, else °C
    int flashesPerPhaseCall;                                     // the README's worst case
};
void PrintTo(const MethodBudget& m, std::ostream* os) { *os << m.name; }


constexpr double T_R = 559.694;  // 37.78 °C as the driver hands it to the API methods
constexpr double T_C = 37.78;

const MethodBudget kBudgets[] = {
    {"Orvan", [](CPropertyCalculator* c, int32_t p, double t) { return orvan_api::CalculatePhase(c, p, t, 0.0); }, T_R,
     1},
    {"API_5B1_2", [](CPropertyCalculator* c, int32_t p, double t) { return api_5b1_2::CalculatePhase(c, p, t, 0.0); },
     T_R, 1},
    {"API_5B1_1", [](CPropertyCalculator* c, int32_t p, double t) { return api_5b1_1::CalculatePhase(c, p, t, 0.0); },
     T_R, 1},
    {"D323_73_79",
     [](CPropertyCalculator* c, int32_t p, double t) { return astm_d323_73_79::CalculatePhase(c, p, t, 0.0); }, T_C,
     201},
    {"D6377_16",
     [](CPropertyCalculator* c, int32_t p, double t) { return astm_d6377_16::CalculatePhase(c, p, t, 0.0, 4.0); }, T_C,
     201},
    {"D323_82", [](CPropertyCalculator* c, int32_t p, double t) { return astm_d323_82::CalculatePhase(c, p, t, 0.0); },
     T_C, 159},
    {"D4953_91",
     [](CPropertyCalculator* c, int32_t p, double t) { return astm_d4953_91::CalculatePhase(c, p, t, 0.0); }, T_C, 106},
    {"D5191_91",
     [](CPropertyCalculator* c, int32_t p, double t) { return astm_d5191_91::CalculatePhase(c, p, t, 0.0); }, T_C, 106},
    {"ModifiedASTM",
     [](CPropertyCalculator* c, int32_t p, double t) { return modified_astm::CalculatePhase(c, p, t, 0.0); }, T_C,
     2607},
};

// A small deterministic generator (64-bit LCG, Knuth's MMIX constants): uniform in [0, 1).
class Dice {
public:
    explicit Dice(uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 1) {}
    double Roll() {
        state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<double>(state_ >> 11) * 0x1.0p-53;
    }

private:
    uint64_t state_;
};

// Hosts that never let a search settle: everything vapour, everything liquid, or the
// same half-and-half split at every pressure.
ScriptedFluid::FlashHandler StubbornHost(double beta) {
    return [beta](FluidSnapshot& r) -> HRESULT {
        if (IsVapourFractionRequest(r)) r.pressure = 300.0;
        SetTwoPhase(r, beta, 10.0, 0.1);
        return S_OK;
    };
}

// A host that answers every flash at random.
ScriptedFluid::FlashHandler RandomHost(uint64_t seed) {
    auto dice = std::make_shared<Dice>(seed);
    return [dice](FluidSnapshot& r) -> HRESULT {
        if (dice->Roll() < 0.02) return E_FAIL;
        if (IsVapourFractionRequest(r)) r.pressure = 1.0 + 2000.0 * dice->Roll();
        const double shape = dice->Roll();
        const double beta = shape < 0.25 ? 0.0 : shape < 0.4 ? 1.0 : dice->Roll();
        SetTwoPhase(r, beta, 0.1 + 100.0 * dice->Roll(), 0.05 + 0.1 * dice->Roll());
        return S_OK;
    };
}

class FlashBudgetTest : public CalculatorTest, public testing::WithParamInterface<MethodBudget> {};

TEST_P(FlashBudgetTest, NoHostAnswerMakesAPhaseCallFlashMoreThanTheWorstCase) {
    const MethodBudget& m = GetParam();
    int mostFlashes = 0;
    for (uint64_t seed = 0; seed <= 152; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        ScriptedFluid& fluid = MakeFluid({Nitrogen, Oxygen, Water, NButane, NPentane, NHexane});
        fluid.Feed({0.0, 0.0, 0.0, 0.2, 0.4, 0.4}).OnFlash(seed < 3 ? StubbornHost(0.5 * static_cast<double>(seed))
                                                                    : RandomHost(seed));
        if (seed % 2 == 0) fluid.BpCurveRvp(FEED, 20.0 + 100.0 * Dice(seed).Roll());
        const double rvp = m.calculate(calc, FEED, m.referenceTemperature);
        EXPECT_FALSE(std::isnan(rvp));
        EXPECT_LE(fluid.calls.flash, m.flashesPerPhaseCall);
        mostFlashes = std::max(mostFlashes, fluid.calls.flash);
        ClearCalculator(*calc);
    }
    RecordProperty("most_flashes", mostFlashes);
}

INSTANTIATE_TEST_SUITE_P(NineMethods, FlashBudgetTest, testing::ValuesIn(kBudgets),
                         [](const testing::TestParamInfo<MethodBudget>& param) {
                             return std::string(param.param.name);
                         });

}  // namespace
}  // namespace volacor
