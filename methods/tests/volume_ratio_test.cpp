// The volume-ratio search of ASTM D323-73/79 and D6377-16: the liquid search, the
// safeguarded secant with its large-step probe, the bisection fall-back, their message
// lines byte for byte, and the release of every reference and block on each path.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "comrt/memory.h"
#include "methods/methods.h"
#include "methods/tests/flash_answers.h"
#include "methods/volume_ratio.h"
#include "testsupport/fluid_installation.h"
#include "testsupport/model_fluid/model_fluid.h"

namespace volacor {
namespace {

using testsupport::CalculatorTest;
using testsupport::ClearCalculator;
using testsupport::NHexane;
using testsupport::NPentane;
using testsupport::ScriptedFluid;
using method_tests::BoilingFluid;
using method_tests::IsVapourFractionRequest;
using method_tests::PressuresTried;
using method_tests::SetTwoPhase;

constexpr double kTestTemperature_C = 37.778;

const std::string kSingleComponentLine = "Fluid has only one active component - returning TVP as RVP";
std::string Line(const char* format, const char* phase) {
    char text[256];
    std::snprintf(text, sizeof text, format, phase, 50);
    return text;
}

// Answers the n-th pressure flash with the volume ratio ratios[n] (the last repeated),
// the first vapour-fraction request with a bubble point of 1000 kPa, and the later ones
// (the bisection's) with a failure, so a fall-back ends in EMPTY_VALUE.
ScriptedFluid::FlashHandler RatioScript(std::vector<double> ratios) {
    auto pressureFlashes = std::make_shared<size_t>(0);
    auto bubbleFlashes = std::make_shared<size_t>(0);
    return [ratios = std::move(ratios), pressureFlashes, bubbleFlashes](FluidSnapshot& r) -> HRESULT {
        if (IsVapourFractionRequest(r)) {
            if ((*bubbleFlashes)++ > 0) return E_FAIL;
            r.pressure = 1000.0;
            SetTwoPhase(r, 0.0, 1.0, 0.1);
            return S_OK;
        }
        const double ratio = ratios[std::min(*pressureFlashes, ratios.size() - 1)];
        ++*pressureFlashes;
        SetTwoPhase(r, 0.5, 0.1 * ratio, 0.1);
        return S_OK;
    };
}

class VolumeRatioTest : public CalculatorTest {
protected:
    // A two-component fluid with every phase present, answered by handler.
    ScriptedFluid& MakeMixture(ScriptedFluid::FlashHandler handler) {
        ScriptedFluid& fluid = MakeFluid({NPentane, NHexane});
        fluid.Feed({0.5, 0.5});
        for (int32_t p = 0; p < PHASE_COUNT_NO_FEED; ++p) fluid.Present(p, true);
        fluid.OnFlash(std::move(handler));
        return fluid;
    }

    // Runs one per-phase call and proves it gave back the services reference and freed
    // both working records (the calculator's own loaded data is cleared first).
    double RunBalanced(ScriptedFluid& fluid, const std::function<double()>& call) {
        const ULONG held = fluid.liveReferences();
        const double result = call();
        EXPECT_EQ(fluid.liveReferences(), held) << "the services reference was not released";
        ClearCalculator(*calc);
        EXPECT_EQ(comrt_TaskMemOutstanding(), blocksAtStart) << "a working record's arrays were not freed";
        return result;
    }

    double D323(int32_t phase = FEED) {
        return astm_d323_73_79::CalculatePhase(calc, phase, kTestTemperature_C, 0.0);
    }
    double D6377(double ratio, int32_t phase = FEED) {
        return astm_d6377_16::CalculatePhase(calc, phase, kTestTemperature_C, 0.0, ratio);
    }
};

TEST_F(VolumeRatioTest, PureComponentReturnsItsBubblePointWithTheOneLineOnly) {
    struct Case {
        const char* name;
        std::function<double()> call;
    };
    const Case cases[] = {
        {"D323-73/79", [this] { return D323(); }},
        {"D6377-16 at 0.2", [this] { return D6377(0.2); }},
        {"D6377-16 with an empty ratio", [this] { return D6377(EMPTY_VALUE); }},
        {"bisection alone",
         [this] { return BisectToVolumeRatio(calc, FEED, kTestTemperature_C, 0.0, 4.0); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedFluid& fluid = MakeMixture(ScriptedFluid::BubblePoint(321.5));
        fluid.Feed({1.0, 0.0}).BpCurveRvp(FEED, 100.0);
        EXPECT_EQ(RunBalanced(fluid, [&] { return c.call(); }), 321.5);
        EXPECT_EQ(fluid.messages, std::vector<std::string>{kSingleComponentLine});
        EXPECT_EQ(fluid.flashRequests.size(), 1u);
    }
}

TEST_F(VolumeRatioTest, SecantFindsThePressureOfTheTargetRatio) {
    const double ratios[] = {4.0, 1.0, 0.2, 25.0};
    for (double r : ratios) {
        SCOPED_TRACE(r);
        ScriptedFluid& fluid = MakeMixture(BoilingFluid{});
        fluid.BpCurveRvp(FEED, 300.0);
        const double p = RunBalanced(fluid, [&] { return D6377(r); });
        EXPECT_NEAR(BoilingFluid{}.Ratio(kTestTemperature_C, p), r, 1.0001 * IterationTolerance);
        EXPECT_NEAR(p, BoilingFluid{}.PressureAtRatio(kTestTemperature_C, r), 1e-3);
        EXPECT_TRUE(fluid.messages.empty());
        // The secant alone did it: the bisection's near-dew request never came.
        EXPECT_EQ(fluid.flashRequests.size(), PressuresTried(fluid).size() + 1);
    }
}

TEST_F(VolumeRatioTest, D6377AtRatioFourGivesExactlyWhatD323Gives) {
    struct Case {
        const char* name;
        std::function<void(ScriptedFluid&)> setUp;
    };
    const Case cases[] = {
        {"converging secant", [](ScriptedFluid& f) { f.BpCurveRvp(FEED, 300.0); }},
        {"start from the TVP", [](ScriptedFluid&) {}},
        {"failed pressure flash, bisection",
         [](ScriptedFluid& f) {
             f.QueueFlash(BoilingFluid{}).QueueFlash(ScriptedFluid::Fail());
             f.BpCurveRvp(FEED, 300.0);
         }},
        {"no liquid at any pressure",
         [](ScriptedFluid& f) {
             f.OnFlash([](FluidSnapshot& r) {
                 SetTwoPhase(r, 1.0, 10.0, 0.1);
                 if (IsVapourFractionRequest(r)) r.pressure = 200.0;
                 return S_OK;
             });
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedFluid& first = MakeMixture(BoilingFluid{});
        c.setUp(first);
        const double d323 = RunBalanced(first, [&] { return D323(); });
        ScriptedFluid& second = MakeMixture(BoilingFluid{});
        c.setUp(second);
        const double d6377 = RunBalanced(second, [&] { return D6377(4.0); });
        EXPECT_EQ(d6377, d323);
        EXPECT_EQ(second.messages, first.messages);
        EXPECT_EQ(PressuresTried(second), PressuresTried(first));
        EXPECT_EQ(second.flashRequests.size(), first.flashRequests.size());
    }
}

TEST_F(VolumeRatioTest, EmptyRatioIsTheTargetItselfNotADefault) {
    // No pressure splits a fluid at a ratio of -32767: the search ends without an
    // answer, where a ratio of 4 would have found one.
    ScriptedFluid& fluid = MakeMixture(BoilingFluid{});
    fluid.BpCurveRvp(FEED, 300.0);
    EXPECT_EQ(RunBalanced(fluid, [&] { return D6377(EMPTY_VALUE); }), EMPTY_VALUE);
    EXPECT_EQ(fluid.messages, std::vector<std::string>{Line(VOLUME_RATIO_NOT_CONVERGED, "FEED")});
}

TEST_F(VolumeRatioTest, LiquidSearchRaisesThePressureBy5000kPaPerFlash) {
    // No liquid below 15000 kPa; above it, a ratio of exactly 4, so the search ends
    // with the liquid-search pressure and no secant step.
    ScriptedFluid& fluid = MakeMixture([](FluidSnapshot& r) {
        if (IsVapourFractionRequest(r)) {
            r.pressure = 1000.0;
            SetTwoPhase(r, 0.0, 1.0, 0.1);
        } else if (r.pressure < 15000.0) {
            SetTwoPhase(r, 1.0, 1.0, 0.1);
        } else {
            SetTwoPhase(r, 0.5, 0.4, 0.1);
        }
        return S_OK;
    });
    fluid.BpCurveRvp(FEED, 100.0);
    EXPECT_EQ(RunBalanced(fluid, [&] { return D323(); }), 15090.0);
    EXPECT_EQ(PressuresTried(fluid), (std::vector<double>{90.0, 5090.0, 10090.0, 15090.0}));
    EXPECT_TRUE(fluid.messages.empty());
}

TEST_F(VolumeRatioTest, FiftyFlashesWithoutLiquidEndInTheBisection) {
    ScriptedFluid& fluid = MakeMixture([](FluidSnapshot& r) {
        const bool bubblePoint = IsVapourFractionRequest(r) && r.phaseFraction[VAP] == 0.0;
        if (IsVapourFractionRequest(r)) r.pressure = bubblePoint ? 1000.0 : 200.0;
        SetTwoPhase(r, bubblePoint ? 0.0 : 1.0, 10.0, 0.1);
        return S_OK;
    });
    fluid.BpCurveRvp(LIQ2, 100.0);
    // The near-dew flash of the bisection forms no liquid either: no answer at all.
    EXPECT_EQ(RunBalanced(fluid, [&] { return D323(LIQ2); }), EMPTY_VALUE);
    const std::vector<double> tried = PressuresTried(fluid);
    ASSERT_EQ(tried.size(), 50u);
    for (size_t k = 0; k < tried.size(); ++k) EXPECT_EQ(tried[k], 90.0 + 5000.0 * static_cast<double>(k));
    EXPECT_EQ(fluid.messages, std::vector<std::string>{Line(VOLUME_RATIO_NOT_CONVERGED, "LIQ2")});
    EXPECT_EQ(fluid.messages[0], "Phase: LIQ2 - ASTM D323-73/79 not converged, when iterating to RVP, at 50 iterations.");
    EXPECT_EQ(fluid.flashRequests.size(), 1u + 50u + 2u);  // TVP, search, bubble and near-dew
}

TEST_F(VolumeRatioTest, SecantStepBeyond200PercentIsProbedFirst) {
    // Start at 90 kPa (0.9 x 100), second trial 99 kPa. The secant step from there is
    // far beyond 200 %: it is flashed as a probe, and a probe on the other side of the
    // target shrinks the step to 2 % of the trial pressure.
    struct Case {
        const char* name;
        std::vector<double> ratios;  // at 90, at 99, at the probe, at the next trial
        double probe_kPa;
        double next_kPa;
    };
    const Case cases[] = {
        {"crossing from above", {10.0, 9.9, 1.0, 4.0}, 630.0, 1.02 * 99.0},
        {"crossing from below", {1.0, 1.01, 6.0, 4.0}, 2790.0, 0.98 * 99.0},
        {"no crossing keeps the step", {10.0, 9.9, 5.0, 4.0}, 630.0, 630.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedFluid& fluid = MakeMixture(RatioScript(c.ratios));
        fluid.BpCurveRvp(FEED, 100.0);
        const double p = RunBalanced(fluid, [&] { return D323(); });
        const std::vector<double> tried = PressuresTried(fluid);
        ASSERT_EQ(tried.size(), 4u);
        EXPECT_DOUBLE_EQ(tried[0], 90.0);
        EXPECT_DOUBLE_EQ(tried[1], 99.0);
        EXPECT_NEAR(tried[2], c.probe_kPa, 1e-9);
        EXPECT_NEAR(tried[3], c.next_kPa, 1e-9);
        EXPECT_EQ(p, tried[3]);
        EXPECT_TRUE(fluid.messages.empty());
    }
}

TEST_F(VolumeRatioTest, AnOverflowingSecantStepStepsAsOnAFlatRatio) {
    // Two ratios 5e-308 apart (an absurd host molar volume): the secant step is infinite. Upwards it is
    // replaced by the flat-ratio step (below the target: a tenth lower); downwards it is a
    // non-positive step whose damped tries are infinite too, so the pressure is halved.
    struct Case {
        std::vector<double> ratios;  // at 90, at 99, at the next trial
        double next_kPa;
    };
    const Case cases[] = {{{1e-307, 1.5e-307, 4.0}, 0.9 * 99.0}, {{1.5e-307, 1e-307, 4.0}, 0.5 * 99.0}};
    for (const Case& c : cases) {
        ScriptedFluid& fluid = MakeMixture(RatioScript(c.ratios));
        fluid.BpCurveRvp(FEED, 100.0);
        const double p = RunBalanced(fluid, [&] { return D323(); });
        const std::vector<double> tried = PressuresTried(fluid);
        for (double each : tried) EXPECT_TRUE(std::isfinite(each)) << "the host was asked to flash at " << each;
        ASSERT_EQ(tried.size(), 3u);
        EXPECT_NEAR(tried[2], c.next_kPa, 1e-9);
        EXPECT_EQ(p, tried[2]);
    }
}

TEST_F(VolumeRatioTest, FiftiethIterationReportsNotConvergedEvenWhenItMetTheTolerance) {
    // Every trial sees ratio 5 (the step is then 10 % up) until the one that sees 4.
    struct Case {
        size_t matchingFlash;
        bool converged;
    };
    const Case cases[] = {{48, true}, {49, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.matchingFlash);
        std::vector<double> ratios(c.matchingFlash, 5.0);
        ratios.push_back(4.0);
        ScriptedFluid& fluid = MakeMixture(RatioScript(ratios));
        fluid.BpCurveRvp(FEED, 100.0);
        const double p = RunBalanced(fluid, [&] { return D323(); });
        const std::vector<double> tried = PressuresTried(fluid);
        ASSERT_EQ(tried.size(), c.matchingFlash + 1);
        if (c.converged) {
            EXPECT_EQ(p, tried.back());
            EXPECT_TRUE(fluid.messages.empty());
        } else {
            EXPECT_EQ(p, EMPTY_VALUE);  // the bisection's bubble-point flash fails
            EXPECT_EQ(fluid.messages,
                      std::vector<std::string>{
                          "Phase: FEED - ASTM D323-73/79 not converged, when iterating to RVP, at 50 iterations."});
        }
    }
}

TEST_F(VolumeRatioTest, FailuresWriteTheirLineAndFallBackOnTheBisection) {
    struct Case {
        const char* name;
        int32_t phase;
        std::function<void(ScriptedFluid&)> setUp;
        std::vector<std::string> messages;
        bool answered;  // a pressure with the ratio within 0.001 of 4, else EMPTY_VALUE
    };
    const Case cases[] = {
        {"TVP flash fails", FEED,
         [](ScriptedFluid& f) {
             f.BpCurveRvp(FEED, 300.0).OnFlash([](FluidSnapshot& r) {
                 return IsVapourFractionRequest(r) ? E_FAIL : BoilingFluid{}(r);
             });
         },
         {"Phase: FEED - ASTM D323-73/79 Requires TVP."}, false},
        {"no boiling-point-curve RVP", LIQ1, [](ScriptedFluid&) {},
         {"Phase: LIQ1 - ASTM D323-73/79 The BP Curves utility associated with the stream did not calculate an "
          "RVP value."},
         true},
        {"a pressure flash fails", VAP,
         [](ScriptedFluid& f) {
             f.BpCurveRvp(VAP, 300.0).QueueFlash(BoilingFluid{}).QueueFlash(ScriptedFluid::Fail());
         },
         {"Phase: VAP - ASTM D323-73/79 Flash to determine RVP has failed."}, true},
        {"no stream analysis", SOLID, [](ScriptedFluid& f) { f.FailAnalysis(); }, {}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedFluid& fluid = MakeMixture(BoilingFluid{});
        c.setUp(fluid);
        const double p = RunBalanced(fluid, [&] { return D323(c.phase); });
        EXPECT_EQ(fluid.messages, c.messages);
        if (c.answered) {
            EXPECT_NEAR(BoilingFluid{}.Ratio(kTestTemperature_C, p), 4.0, 1e-3);
        } else {
            EXPECT_EQ(p, EMPTY_VALUE);
        }
    }
}

TEST_F(VolumeRatioTest, WithoutABoilingPointCurveRvpTheSearchStartsAtNinetyPercentOfTheTvp) {
    ScriptedFluid& fluid = MakeMixture(BoilingFluid{});
    RunBalanced(fluid, [&] { return D323(); });
    ASSERT_FALSE(PressuresTried(fluid).empty());
    EXPECT_EQ(PressuresTried(fluid)[0], 0.9 * BoilingFluid{}.bubble_kPa);
}

TEST_F(VolumeRatioTest, BisectionAnswersOnlyWhenTheRatioMatches) {
    struct Case {
        const char* name;
        double ratio;
        std::function<void(ScriptedFluid&)> setUp;
        bool answered;
        size_t flashes;  // 0: not checked
    };
    const auto failNearDew = [](int failures) {
        auto left = std::make_shared<int>(failures);
        return [left](FluidSnapshot& r) -> HRESULT {
            if (IsVapourFractionRequest(r) && r.phaseFraction[VAP] > 0.0 && (*left)-- > 0) return E_FAIL;
            return BoilingFluid{}(r);
        };
    };
    const Case cases[] = {
        {"target inside the bracket", 4.0, [](ScriptedFluid&) {}, true, 0},
        {"near-dew at 0.99 fails, 0.8 serves", 4.0, [&](ScriptedFluid& f) { f.OnFlash(failNearDew(1)); }, true, 0},
        // The bracket closes on the near-dew pressure without the ratio matching.
        {"target beyond the near-dew ratio", 1e6, [](ScriptedFluid&) {}, false, 52},
        // The bracket closes on the bubble point, which is no answer either.
        {"empty target ratio", EMPTY_VALUE, [](ScriptedFluid&) {}, false, 52},
        {"every halving flash fails", 4.0,
         [](ScriptedFluid& f) {
             f.OnFlash([](FluidSnapshot& r) { return IsVapourFractionRequest(r) ? BoilingFluid{}(r) : E_FAIL; });
         },
         false, 52},
        {"target ratio within 0.001 of 0", 0.0005, [](ScriptedFluid&) {}, false, 2},
        {"both near-dew flashes fail", 4.0, [&](ScriptedFluid& f) { f.OnFlash(failNearDew(2)); }, false, 3},
        {"no vapour at the near-dew point", 4.0,
         [](ScriptedFluid& f) {
             f.OnFlash([](FluidSnapshot& r) {
                 const HRESULT hr = BoilingFluid{}(r);
                 SetTwoPhase(r, 0.0, 1.0, 0.1);
                 return hr;
             });
         },
         false, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedFluid& fluid = MakeMixture(BoilingFluid{});
        c.setUp(fluid);
        const double p =
            RunBalanced(fluid, [&] { return BisectToVolumeRatio(calc, FEED, kTestTemperature_C, 0.0, c.ratio); });
        if (c.answered) {
            EXPECT_NEAR(BoilingFluid{}.Ratio(kTestTemperature_C, p), c.ratio, 1e-3);
        } else {
            EXPECT_EQ(p, EMPTY_VALUE);
        }
        if (c.flashes != 0) {
            EXPECT_EQ(fluid.flashRequests.size(), c.flashes);
        }
        EXPECT_TRUE(fluid.messages.empty());
    }
}

TEST_F(VolumeRatioTest, NearDewFallbackRequestsVapourFraction0Point8) {
    ScriptedFluid& fluid = MakeMixture([](FluidSnapshot& r) -> HRESULT {
        if (IsVapourFractionRequest(r) && r.phaseFraction[VAP] == 0.99) return E_FAIL;
        return BoilingFluid{}(r);
    });
    RunBalanced(fluid, [&] { return BisectToVolumeRatio(calc, FEED, kTestTemperature_C, 0.0, 4.0); });
    ASSERT_GE(fluid.flashRequests.size(), 4u);
    EXPECT_EQ(fluid.flashRequests[1].vapourFraction, 0.99);
    EXPECT_EQ(fluid.flashRequests[2].vapourFraction, 0.8);
    // The first halving lies midway between the bubble point and the 0.8 pressure.
    EXPECT_DOUBLE_EQ(fluid.flashRequests[3].pressure_kPa, (500.0 + 180.0) / 2.0);
}

TEST_F(VolumeRatioTest, LiquidVolumeIsEmptyWhenEitherLiquidVolumeIs) {
    struct Case {
        const char* name;
        double liq2Fraction;
        double liq2MolarVolume;
        double liquid;
    };
    const Case cases[] = {
        {"both liquids count", 0.2, 0.05, 0.3 * 0.1 + 0.2 * 0.05},
        {"a liquid of no molar volume has no volume", 0.2, 0.0, EMPTY_VALUE},
        {"a liquid of 1e-6 of the fluid counts as none", 1e-6, 0.05, 0.3 * 0.1},
    };
    calc->molarFlow = 0.0;  // below 1e-10: volumes of one mole
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FluidSnapshot r{};
        r.phaseFraction[VAP] = 0.5;
        r.molarVolume[VAP] = 20.0;
        r.phaseFraction[LIQ1] = 0.3;
        r.molarVolume[LIQ1] = 0.1;
        r.phaseFraction[LIQ2] = c.liq2Fraction;
        r.molarVolume[LIQ2] = c.liq2MolarVolume;
        for (int p = 0; p < 3; ++p) r.phasePresent[p] = 1;
        const LiquidVapourVolumes v = MeasureLiquidVapourVolumes(calc, r);
        EXPECT_DOUBLE_EQ(v.liquid, c.liquid);
        EXPECT_DOUBLE_EQ(v.vapour, 10.0);
    }
}

// The model fluid's own vapour/liquid volume ratio at a pressure, flashed here.
double ModelRatio(const model::ModelStream& stream, double t_C, double p_kPa) {
    const std::vector<const model::ModelComponent*> components = model::StreamComponents(stream);
    std::vector<double> feed = model::StreamFeed(stream);
    std::vector<std::vector<double>> arrays(5, std::vector<double>(feed.size(), 0.0));
    FluidSnapshot r{};
    r.componentCount = static_cast<int32_t>(feed.size());
    for (int p = 0; p < PHASE_COUNT; ++p) r.composition[p] = arrays[p].data();
    std::copy(feed.begin(), feed.end(), arrays[FEED].begin());
    r.temperature = t_C;
    r.pressure = p_kPa;
    r.phaseFraction[VAP] = EMPTY_VALUE;
    if (!model::ModelFlash(components, r)) return EMPTY_VALUE;
    auto volume = [&](int p) { return r.phasePresent[p] ? r.phaseFraction[p] * r.molarVolume[p] : 0.0; };
    return volume(VAP) / (volume(LIQ1) + volume(LIQ2));
}

// The pressure of a ratio on the model fluid, by plain bisection between a pressure
// that is all liquid and one that is nearly all vapour.
double ModelPressureAtRatio(const model::ModelStream& stream, double t_C, double ratio) {
    double lo = 1.0, hi = 20000.0;
    for (int i = 0; i < 200; ++i) {
        const double mid = 0.5 * (lo + hi);
        const double r = ModelRatio(stream, t_C, mid);
        (r > ratio || r == EMPTY_VALUE ? lo : hi) = mid;
    }
    return 0.5 * (lo + hi);
}

TEST_F(VolumeRatioTest, ModelFluidSplitsAtTheTargetRatio) {
    const model::ModelStream stream = model::LightNaphtha();
    struct Case {
        const char* name;
        double ratio;
        std::function<double()> call;
    };
    const Case cases[] = {
        {"D323-73/79", 4.0, [this] { return D323(); }},
        {"D6377-16 at 1", 1.0, [this] { return D6377(1.0); }},
        {"D6377-16 at 0.2", 0.2, [this] { return D6377(0.2); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fluids.push_back(model::MakeModelFluid(stream));
        ASSERT_NE(fluids.back(), nullptr);
        ScriptedFluid& fluid = *fluids.back();
        testsupport::InstallFluid(*calc, fluid);
        const double p = RunBalanced(fluid, [&] { return c.call(); });
        EXPECT_NEAR(ModelRatio(stream, kTestTemperature_C, p), c.ratio, 1.0001 * IterationTolerance);
        const double expected = ModelPressureAtRatio(stream, kTestTemperature_C, c.ratio);
        EXPECT_NEAR(p, expected, 1e-3 * expected);
        // Only the start from the TVP is reported: the model has no boiling-point curves.
        EXPECT_EQ(fluid.messages, std::vector<std::string>{Line(VOLUME_RATIO_NO_BP_CURVE_RVP, "FEED")});
    }
}

}  // namespace
}  // namespace volacor
