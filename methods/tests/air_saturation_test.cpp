// The three air-saturation methods: results on the model fluid against the chamber
// pressure found independently, the messages, the host calls, and that every path frees
// what it took.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "comrt/memory.h"
#include "methods/methods.h"
#include "testsupport/fluid_installation.h"
#include "testsupport/model_fluid/model_fluid.h"

namespace volacor {
namespace {

using model::ModelStream;
using testsupport::CalculatorTest;
using testsupport::ScriptedFluid;

constexpr double TestTemperature_C = 37.78;
constexpr double Saturation_C = 0.5555555555555556;

struct MethodCase {
    const char* name;
    CalculatePhaseFn calculate;
    bool wetAir;
    double airPressure_kPa;
    std::function<double(double)> result;  // from the absolute chamber pressure
};

const std::vector<MethodCase>& Methods() {
    static const std::vector<MethodCase> methods{
        {"ASTM D323-82", &astm_d323_82::CalculatePhase, true, 101.325, [](double p) { return p - 101.325; }},
        {"ASTM D4953-91", &astm_d4953_91::CalculatePhase, false, 101.325, [](double p) { return p - 101.325; }},
        {"ASTM D5191-91", &astm_d5191_91::CalculatePhase, false, 1.01325, [](double p) { return 0.965 * p - 3.78; }},
    };
    return methods;
}

// --- The chamber test done directly on the model, by bisection ---------------------------

class DirectModel {
public:
    explicit DirectModel(const ModelStream& stream)
        : components_(model::StreamComponents(stream)), feed_(model::StreamFeed(stream)) {}

    std::vector<double> Pure(std::string_view name) const {
        std::vector<double> x(components_.size(), 0.0);
        for (size_t i = 0; i < components_.size(); ++i)
            if (components_[i]->name == name) x[i] = 1.0;
        return x;
    }
    std::vector<double> Air() const { return Mix(0.785, Pure("nitrogen"), 0.215, Pure("oxygen")); }
    const std::vector<double>& Feed() const { return feed_; }

    static std::vector<double> Mix(double a, const std::vector<double>& x, double b, const std::vector<double>& y) {
        std::vector<double> m(x.size());
        double sum = 0.0;
        for (size_t i = 0; i < m.size(); ++i) sum += m[i] = a * x[i] + b * y[i];
        for (double& v : m) v /= sum;
        return m;
    }
    model::Equilibrium Flash(const std::vector<double>& z, double t_C, double p_kPa) const {
        model::Equilibrium eq;
        EXPECT_TRUE(model::Equilibrate(components_, z, t_C + model::KelvinOffset, p_kPa, eq));
        return eq;
    }
    double MolarVolume(const std::vector<double>& z, double t_C, double p_kPa) const {
        const model::Equilibrium eq = Flash(z, t_C, p_kPa);
        double liquid = 0.0, water = 0.0;
        for (size_t i = 0; i < components_.size(); ++i) {
            liquid += eq.liquid[i] * components_[i]->liquidMolarVolume_m3_per_kmol;
            if (components_[i]->isWater) water = components_[i]->liquidMolarVolume_m3_per_kmol;
        }
        return eq.vapourFraction * model::GasConstant_kPa_m3_per_kmol_K * (t_C + model::KelvinOffset) / p_kPa +
               eq.liquidFraction * liquid + eq.waterFraction * water;
    }
    // 100 moles of base plus the amount of added that gives vapour fraction target at 33 °F, 1 atm.
    std::vector<double> Saturate(const std::vector<double>& base, const std::vector<double>& added,
                                 double target) const {
        auto excess = [&](double t) { return Flash(Mix(100.0, base, t, added), Saturation_C, 101.325).vapourFraction - target; };
        const bool rising = excess(0.0) < 0.0;
        double lo = 0.0, hi = 50.0;
        for (int i = 0; i < 200; ++i) {
            const double mid = 0.5 * (lo + hi);
            ((excess(mid) < 0.0) == rising ? lo : hi) = mid;
        }
        return Mix(100.0, base, 0.5 * (lo + hi), added);
    }
    // The absolute pressure at which 20 volume units of saturated sample (at 33 °F, 1 atm)
    // and 80 units of dry air (at the test temperature and airPressure) fill 100 units.
    double ChamberPressure(bool wetAir, double airPressure_kPa) const {
        const std::vector<double> air = Air();
        const std::vector<double> sampleAir = wetAir ? Saturate(air, Pure("water"), 0.9999) : air;
        const std::vector<double> sample = Saturate(feed_, sampleAir, 0.00015);
        const double sampleMoles = 20.0 / MolarVolume(sample, Saturation_C, 101.325);
        const double airMoles = 80.0 / MolarVolume(air, TestTemperature_C, airPressure_kPa);
        const std::vector<double> chamber = Mix(airMoles, air, sampleMoles, sample);
        double lo = 1.0, hi = 2000.0;
        for (int i = 0; i < 200; ++i) {
            const double mid = 0.5 * (lo + hi);
            ((sampleMoles + airMoles) * MolarVolume(chamber, TestTemperature_C, mid) > 100.0 ? lo : hi) = mid;
        }
        return 0.5 * (lo + hi);
    }

private:
    std::vector<const model::ModelComponent*> components_;
    std::vector<double> feed_;
};

class AirSaturationTest : public CalculatorTest {
protected:
    ScriptedFluid& UseModel(const ModelStream& stream) {
        fluids.push_back(model::MakeModelFluid(stream));
        testsupport::InstallFluid(*calc, *fluids.back());
        return *fluids.back();
    }
};

TEST_F(AirSaturationTest, EachMethodFindsTheChamberPressureTheModelGivesDirectly) {
    for (const ModelStream& stream :
         {model::LightNaphtha(), model::StabilisedCondensate(), model::CondensateWithWater(0.05)}) {
        const DirectModel direct(stream);
        for (const MethodCase& m : Methods()) {
            ScriptedFluid& fluid = UseModel(stream);
            const double expected = m.result(direct.ChamberPressure(m.wetAir, m.airPressure_kPa));
            const double rvp = m.calculate(calc, FEED, TestTemperature_C, 0.0);
            EXPECT_NEAR(rvp, expected, 0.02) << m.name;
            EXPECT_GT(rvp, 0.0) << m.name;
            std::vector<std::string> expectedMessages;
            if (std::string(m.name) == "ASTM D5191-91")
                expectedMessages.push_back("Phase: FEED - ASTM D5191-91 The BP Curves utility associated with the stream "
                                           "did not calculate an RVP value.");
            EXPECT_EQ(fluid.messages, expectedMessages) << m.name;
            testsupport::ClearCalculator(*calc);
        }
    }
}


// Streams of the model with one component taken out or changed.
ModelStream Without(ModelStream stream, std::string_view name) {
    std::erase_if(stream.feed, [&](const auto& entry) { return entry.first == name; });
    return stream;
}

// A trace of methane below the removal threshold leaves the sample before the test; one
// at or above it stays and raises the vapour pressure. (The TVP record keeps the methane,
// so a boiling-point-curve RVP gives every run the same start.)
TEST_F(AirSaturationTest, NonCondensableTracesBelowTheThresholdLeaveTheSample) {
    ModelStream withMethane = model::LightNaphtha();
    withMethane.feed.push_back({"methane", 0.002});
    for (const MethodCase& m : Methods()) {
        auto run = [&](const ModelStream& stream, double removeNcMolePercent) {
            UseModel(stream).BpCurveRvp(FEED, 90.0);
            const double rvp = m.calculate(calc, FEED, TestTemperature_C, removeNcMolePercent);
            testsupport::ClearCalculator(*calc);
            return rvp;
        };
        const double clean = run(model::LightNaphtha(), 0.0);
        EXPECT_NEAR(run(withMethane, 1.0), clean, 0.02) << m.name << ": 0.2 % is below 1 %";
        EXPECT_GT(run(withMethane, 0.1), clean + 2.0) << m.name << ": 0.2 % is not below 0.1 %";
    }
}

TEST_F(AirSaturationTest, APureComponentReturnsItsVapourPressureAfterTheUnprefixedLine) {
    const ModelStream pentane{{{"nitrogen", 0.0}, {"oxygen", 0.0}, {"water", 0.0}, {"n-pentane", 1.0}}};
    const double tvp = model::VapourPressure_kPa(*model::FindComponent("n-pentane"),
                                                 TestTemperature_C + model::KelvinOffset);
    for (const MethodCase& m : Methods()) {
        ScriptedFluid& fluid = UseModel(pentane);
        fluid.BpCurveRvp(FEED, 50.0);
        EXPECT_NEAR(m.calculate(calc, FEED, TestTemperature_C, 0.0), tvp, 1e-9 * tvp) << m.name;
        EXPECT_EQ(fluid.messages, std::vector<std::string>{"Fluid has only one active component - returning TVP as RVP"});
        EXPECT_EQ(fluid.flashRequests.size(), 1u) << m.name;
        testsupport::ClearCalculator(*calc);
    }
}

TEST_F(AirSaturationTest, OnlyTheWetMethodNeedsWaterAndEveryMethodNeedsAir) {
    const char* missingWet = "Phase: FEED - ASTM D323-82 Missing Oxygen, Nitrogen or Water components - Cannot calculate RVP.";
    const struct {
        const char* stream;
        ModelStream fluid;
        const char* messages[3];  // per method; null: a result
    } cases[] = {
        {"no water", Without(model::LightNaphtha(), "water"), {missingWet, nullptr, nullptr}},
        {"no oxygen",
         Without(model::LightNaphtha(), "oxygen"),
         {missingWet, "Phase: FEED - ASTM D4953-91 Missing Oxygen or Nitrogen components - Cannot calculate RVP.",
          "Phase: FEED - ASTM D5191-91 Missing Oxygen or Nitrogen components - Cannot calculate RVP."}},
        {"no nitrogen",
         Without(model::LightNaphtha(), "nitrogen"),
         {missingWet, "Phase: FEED - ASTM D4953-91 Missing Oxygen or Nitrogen components - Cannot calculate RVP.",
          "Phase: FEED - ASTM D5191-91 Missing Oxygen or Nitrogen components - Cannot calculate RVP."}},
    };
    for (const auto& c : cases) {
        for (size_t i = 0; i < Methods().size(); ++i) {
            const MethodCase& m = Methods()[i];
            ScriptedFluid& fluid = UseModel(c.fluid);
            fluid.BpCurveRvp(FEED, 60.0);
            const double rvp = m.calculate(calc, FEED, TestTemperature_C, 0.0);
            if (c.messages[i]) {
                EXPECT_EQ(rvp, EMPTY_VALUE) << c.stream << ", " << m.name;
                EXPECT_EQ(fluid.messages, std::vector<std::string>{c.messages[i]}) << c.stream << ", " << m.name;
                EXPECT_EQ(fluid.flashRequests.size(), 2u) << "refused after the sample flash: " << m.name;
            } else {
                EXPECT_GT(rvp, 0.0) << c.stream << ", " << m.name;
                EXPECT_TRUE(fluid.messages.empty()) << c.stream << ", " << m.name;
            }
            testsupport::ClearCalculator(*calc);
        }
    }
}

TEST_F(AirSaturationTest, ComponentsAreFoundByIdOrCasNumberRoundedHalfDown) {
    // Light naphtha's ids: nitrogen 13, oxygen 28, water 19, then the hydrocarbons.
    const std::vector<double> cas{7727379, 7782447, 7732185, 74986, 75285, 106978, 109660, 110543, 142825, 111659};
    const struct {
        const char* why;
        std::vector<double> ids;
        std::vector<double> cas;
        bool found;
    } cases[] = {
        {"water by its CAS number alone", {13, 28, 999, 3, 4, 5, 7, 8, 9, 10}, cas, true},
        {"water by its id alone", {13, 28, 19, 3, 4, 5, 7, 8, 9, 10}, {7727379, 7782447, 0, 74986, 75285, 106978, 109660, 110543, 142825, 111659}, true},
        {"water id 18.5 rounds down, CAS 0", {13, 28, 18.5, 3, 4, 5, 7, 8, 9, 10}, {7727379, 7782447, 0, 74986, 75285, 106978, 109660, 110543, 142825, 111659}, false},
    };
    for (const auto& c : cases) {
        ScriptedFluid& fluid = UseModel(model::LightNaphtha());
        fluid.Array("ComponentIDs", c.ids).Array("CAS_Numbers", c.cas);
        const double rvp = astm_d323_82::CalculatePhase(calc, FEED, TestTemperature_C, 0.0);
        EXPECT_EQ(rvp != EMPTY_VALUE, c.found) << c.why;
        testsupport::ClearCalculator(*calc);
    }
}

TEST_F(AirSaturationTest, ComponentArraysTheHostCannotSupplyIdentifyNothing) {
    const struct {
        const char* why;
        std::function<void(ScriptedFluid&)> breakArrays;
    } cases[] = {
        {"no ComponentIDs", [](ScriptedFluid& f) { f.RemoveArray("ComponentIDs"); }},
        {"no CAS_Numbers", [](ScriptedFluid& f) { f.RemoveArray("CAS_Numbers"); }},
        {"ComponentIDs failing", [](ScriptedFluid& f) { f.FailArray("ComponentIDs"); }},
        {"CAS_Numbers one short", [](ScriptedFluid& f) { f.ShortenArray("CAS_Numbers", 9); }},
    };
    for (const auto& c : cases) {
        ScriptedFluid& fluid = UseModel(model::LightNaphtha());
        c.breakArrays(fluid);
        fluid.BpCurveRvp(FEED, 60.0);
        EXPECT_EQ(astm_d4953_91::CalculatePhase(calc, FEED, TestTemperature_C, 0.0), EMPTY_VALUE) << c.why;
        EXPECT_EQ(fluid.messages, std::vector<std::string>{"Phase: FEED - ASTM D4953-91 Missing Oxygen or Nitrogen "
                                                           "components - Cannot calculate RVP."})
            << c.why;
        testsupport::ClearCalculator(*calc);
    }
}

TEST_F(AirSaturationTest, WithoutServicesOrForAnAbsentPhaseNothingIsFlashedOrSaid) {
    for (const MethodCase& m : Methods()) {
        ScriptedFluid& refusing = UseModel(model::LightNaphtha());
        refusing.RefuseServices();
        EXPECT_EQ(m.calculate(calc, FEED, TestTemperature_C, 0.0), EMPTY_VALUE) << m.name;
        EXPECT_EQ(refusing.calls.componentValues["ComponentIDs"], 1) << m.name;
        EXPECT_EQ(refusing.calls.componentValues["CAS_Numbers"], 1) << m.name;
        testsupport::ClearCalculator(*calc);

        ScriptedFluid& allLiquid = UseModel(model::LightNaphtha());
        EXPECT_EQ(m.calculate(calc, VAP, TestTemperature_C, 0.0), EMPTY_VALUE) << m.name;
        for (const ScriptedFluid* f : {&refusing, &allLiquid}) {
            EXPECT_TRUE(f->flashRequests.empty()) << m.name;
            EXPECT_TRUE(f->messages.empty()) << m.name;
        }
        testsupport::ClearCalculator(*calc);
    }
}

// The driver's order: FEED loads, the other phases reuse what it loaded.
TEST_F(AirSaturationTest, PhasesAfterFeedAreCutFromTheLoadedSnapshotAndNamedInTheirOwnMessages) {
    ModelStream wet = model::CondensateWithWater(0.05);
    ScriptedFluid& fluid = UseModel(wet);
    std::vector<double> rvp;
    for (int32_t phase : {FEED, VAP, LIQ1, LIQ2, SOLID}) {
        rvp.push_back(astm_d5191_91::CalculatePhase(calc, phase, TestTemperature_C, 0.0));
        calc->reuseLoadedData = 1;
    }
    calc->reuseLoadedData = 0;
    const double waterTvp =
        model::VapourPressure_kPa(*model::FindComponent("water"), TestTemperature_C + model::KelvinOffset);
    EXPECT_GT(rvp[0], 0.0);
    EXPECT_EQ(rvp[1], EMPTY_VALUE);
    EXPECT_GT(rvp[2], 0.0);
    EXPECT_NEAR(rvp[3], waterTvp, 1e-9 * waterTvp);
    EXPECT_EQ(rvp[4], EMPTY_VALUE);
    EXPECT_EQ(fluid.calls.fluidSnapshot, 1);
    const std::string noBp = " - ASTM D5191-91 The BP Curves utility associated with the stream did not calculate an RVP value.";
    EXPECT_EQ(fluid.messages, (std::vector<std::string>{"Phase: FEED" + noBp, "Phase: LIQ1" + noBp,
                                                        "Fluid has only one active component - returning TVP as RVP"}));
}

// The shared flash procedures name the phase "FEED" whatever phase the method computes.
TEST_F(AirSaturationTest, SaturationMessagesNameFeedWhileTheMethodNamesItsPhase) {
    const ModelStream stream = model::LightNaphtha();
    ScriptedFluid& fluid = UseModel(stream);
    // The TVP, the sample and the air flash succeed; the first saturation flash fails.
    for (int i = 0; i < 3; ++i) fluid.QueueFlash(model::ModelFlashHandler(model::StreamComponents(stream)));
    fluid.OnFlash(ScriptedFluid::Fail());
    EXPECT_EQ(astm_d5191_91::CalculatePhase(calc, LIQ1, TestTemperature_C, 0.0), EMPTY_VALUE);
    EXPECT_EQ(fluid.messages,
              (std::vector<std::string>{"Phase: LIQ1 - ASTM D5191-91 The BP Curves utility associated with the stream "
                                        "did not calculate an RVP value.",
                                        "Phase: FEED - ASTM D5191-91 Flash failed when saturating at 33\xB0" "F and 1 atm."}));
}

// --- Failure at every flash --------------------------------------------------------------

struct FailureKind {
    const char* message;  // the whole line, or its start for the RVP search
    bool prefix = false;
    bool pair = false;  // a failure at the first of two flashes still makes the second
};

std::vector<FailureKind> ExpectedFailures(const std::string& method) {
    const std::string p = "Phase: FEED - " + method + " ";
    static std::vector<std::string> texts;  // keeps the strings the kinds point into
    auto line = [&](const std::string& text) { texts.push_back(p + text); return texts.back().c_str(); };
    texts.reserve(64);
    const char* tvp = line("Requires TVP.");
    const char* sample = line("Flash to 33\xB0" "F, 1 atm. has failed.");
    const char* air = line("Air flash to 33\xB0" "F, 1 atm. has failed.");
    const char* water = line("Water flash to 33\xB0" "F, 1 atm. has failed.");
    const char* saturating = line("Flash failed when saturating at 33\xB0" "F and 1 atm.");
    const char* saturatedAir = line("Saturated air flash to 33\xB0" "F, 1 atm. has failed.");
    const char* chamber =
        line(method == "ASTM D5191-91" ? "Air Flash to 37.78\xB0" "C, 0.01 atm. has failed." : "Air Flash to 37.78\xB0" "C, 1 atm. has failed.");
    const char* rvp = line("Flash to determine RVP at 100.004\xB0" "F and ");
    if (method == "ASTM D323-82")
        return {{tvp}, {sample}, {air}, {water}, {saturating}, {saturatedAir}, {saturating},
                {chamber, false, true}, {rvp, true}};
    return {{tvp}, {sample}, {air}, {saturating}, {chamber, false, true}, {rvp, true}};
}

TEST_F(AirSaturationTest, AFailureAtAnyFlashEndsThePhaseWithItsMessageAndFreesEverything) {
    const ModelStream stream = model::LightNaphtha();
    for (const MethodCase& m : Methods()) {
        ScriptedFluid& success = UseModel(stream);
        ASSERT_NE(m.calculate(calc, FEED, TestTemperature_C, 0.0), EMPTY_VALUE);
        const size_t flashes = success.flashRequests.size();
        testsupport::ClearCalculator(*calc);

        const std::vector<FailureKind> kinds = ExpectedFailures(m.name);
        size_t kind = 0;
        size_t seenOfKind = 0;
        for (size_t failing = 1; failing <= flashes; ++failing) {
            ScriptedFluid& fluid = UseModel(stream);
            for (size_t i = 1; i < failing; ++i) fluid.QueueFlash(model::ModelFlashHandler(model::StreamComponents(stream)));
            fluid.OnFlash(ScriptedFluid::Fail());
            const int64_t blocks = comrt_TaskMemOutstanding();
            EXPECT_EQ(m.calculate(calc, FEED, TestTemperature_C, 0.0), EMPTY_VALUE) << m.name << " flash " << failing;
            testsupport::ClearCalculator(*calc);
            EXPECT_EQ(comrt_TaskMemOutstanding(), blocks) << m.name << " flash " << failing;
            EXPECT_EQ(fluid.liveReferences(), 1u) << m.name << " flash " << failing;

            ASSERT_FALSE(fluid.messages.empty()) << m.name << " flash " << failing;
            const std::string& said = fluid.messages.back();
            // Each failing flash gives the message of its step, in the order of the steps.
            auto matches = [&](const FailureKind& k) {
                return k.prefix ? said.rfind(k.message, 0) == 0 : said == k.message;
            };
            if (!matches(kinds[kind]) && kind + 1 < kinds.size() && matches(kinds[kind + 1])) ++kind, seenOfKind = 0;
            ASSERT_TRUE(matches(kinds[kind])) << m.name << " flash " << failing << ": " << said;
            const bool firstOfPair = kinds[kind].pair && seenOfKind++ == 0;
            EXPECT_EQ(fluid.flashRequests.size(), failing + (firstOfPair ? 1 : 0))
                << m.name << " flash " << failing;
            const size_t expectedLines = std::string(m.name) == "ASTM D5191-91" && failing > 1 ? 2 : 1;
            EXPECT_EQ(fluid.messages.size(), expectedLines) << m.name << " flash " << failing;
        }
        EXPECT_EQ(kind, kinds.size() - 1) << m.name << ": every step's failure was seen";
    }
}

// --- Start values and result relations, on flashes scripted to fill the chamber at a
// chosen pressure ------------------------------------------------------------------------

// TVP 90 kPa; at 33 °F every record is one liquid of unit molar volume at the sample's
// saturation target; at the test temperature a gas whose volume per mole is c / P, with c
// chosen so that the chamber fills at fill_kPa.
ScriptedFluid::FlashHandler ChamberFilling(double fill_kPa, double airPressure_kPa) {
    // Sample: 20 moles (20 units); air: 80 P_air / c moles; 100 units at fill_kPa.
    const double c = (100.0 * fill_kPa - 80.0 * airPressure_kPa) / 20.0;
    return [=](FluidSnapshot& r) {
        for (int p = 0; p < 4; ++p) r.phaseFraction[p] = 0.0, r.phasePresent[p] = 0;
        if (r.pressure == EMPTY_VALUE) {
            r.pressure = 90.0;
            r.phaseFraction[1] = 1.0, r.phasePresent[1] = 1, r.molarVolume[1] = 1.0;
        } else if (r.temperature == Saturation_C) {
            r.phaseFraction[0] = 0.00015;
            r.phaseFraction[1] = 1.0, r.phasePresent[1] = 1, r.molarVolume[1] = 1.0;
        } else {
            r.phaseFraction[0] = 1.0, r.phasePresent[0] = 1, r.molarVolume[0] = c / r.pressure;
        }
        return S_OK;
    };
}

TEST_F(AirSaturationTest, StartPressuresAndResultRelationsOfTheDryMethods) {
    const struct {
        CalculatePhaseFn calculate;
        const char* name;
        double airPressure_kPa;
        double bpCurveRvp_kPa;
        double start_kPa;
        double result_kPa;  // of a chamber that fills at 100 kPa
        bool bpMessage;
    } cases[] = {
        {&astm_d4953_91::CalculatePhase, "ASTM D4953-91", 101.325, 10.0, 0.9 * 10.0 + 101.325, 100.0 - 101.325, false},
        {&astm_d4953_91::CalculatePhase, "ASTM D4953-91", 101.325, EMPTY_VALUE, 0.9 * 90.0 + 101.325, 100.0 - 101.325, false},
        {&astm_d5191_91::CalculatePhase, "ASTM D5191-91", 1.01325, 10.0, (10.0 + 3.78) / 0.965, 92.72, false},
        {&astm_d5191_91::CalculatePhase, "ASTM D5191-91", 1.01325, EMPTY_VALUE, 0.9 * 90.0, 92.72, true},
    };
    for (const auto& c : cases) {
        ScriptedFluid& fluid = MakeFluid({testsupport::Nitrogen, testsupport::Oxygen, testsupport::NPentane});
        // Not one component alone, or the TVP would be the answer.
        fluid.Feed({0.0, 0.1, 0.9}).BpCurveRvp(FEED, c.bpCurveRvp_kPa);
        fluid.OnFlash(ChamberFilling(100.0, c.airPressure_kPa));
        const double rvp = c.calculate(calc, FEED, TestTemperature_C, 0.0);
        EXPECT_NEAR(rvp, c.result_kPa, 1e-4) << c.name;
        // The first flash at the test temperature with a pressure given is the air's; the
        // search starts right after it.
        size_t air = 0;
        while (air < fluid.flashRequests.size() &&
               (fluid.flashRequests[air].temperature_C != TestTemperature_C ||
                fluid.flashRequests[air].pressure_kPa == EMPTY_VALUE))
            ++air;
        ASSERT_LT(air + 1, fluid.flashRequests.size()) << c.name;
        EXPECT_EQ(fluid.flashRequests[air].pressure_kPa, c.airPressure_kPa) << c.name;
        EXPECT_DOUBLE_EQ(fluid.flashRequests[air + 1].pressure_kPa, c.start_kPa) << c.name;
        const std::string noBp = std::string("Phase: FEED - ") + c.name +
                                 " The BP Curves utility associated with the stream did not calculate an RVP value.";
        // At 33 °F the scripted sample holds 0.00015 vapour: warned of, and calculated on.
        std::vector<std::string> expected{std::string("Phase: FEED - ") + c.name + " Sample has vapour at 33\xB0" "F and 1 atm."};
        if (c.bpMessage) expected.insert(expected.begin(), noBp);
        EXPECT_EQ(fluid.messages, expected) << c.name;
        testsupport::ClearCalculator(*calc);
    }
}

// The saturated records are flashed a second time at the saturation conditions, and the
// component arrays are fetched on every phase call.
TEST_F(AirSaturationTest, TheWetMethodFlashesItsSaturatedRecordsAgain) {
    ScriptedFluid& fluid = UseModel(model::LightNaphtha());
    ASSERT_NE(astm_d323_82::CalculatePhase(calc, FEED, TestTemperature_C, 0.0), EMPTY_VALUE);
    const auto& r = fluid.flashRequests;
    ASSERT_GT(r.size(), 8u);
    EXPECT_EQ(r[0].pressure_kPa, EMPTY_VALUE);
    EXPECT_EQ(r[0].vapourFraction, 0.0);
    const DirectModel direct(model::LightNaphtha());
    EXPECT_EQ(r[2].feed, direct.Air());
    EXPECT_EQ(r[3].feed, direct.Pure("water"));
    for (size_t i = 1; i < 4; ++i) {
        EXPECT_EQ(r[i].temperature_C, Saturation_C);
        EXPECT_EQ(r[i].pressure_kPa, 101.325);
    }
    // Find the chamber's air flash: the one at the test temperature and 1 atm of dry air.
    size_t air = 4;
    while (air < r.size() && !(r[air].temperature_C == TestTemperature_C && r[air].feed == direct.Air())) ++air;
    ASSERT_LT(air, r.size());
    // Before it: the saturated sample, flashed again exactly as its last saturation trial.
    EXPECT_EQ(r[air - 1].feed, r[air - 2].feed);
    EXPECT_EQ(r[air - 1].temperature_C, Saturation_C);
    // Somewhere before: the saturated air, flashed again as its last trial (water-laden air).
    size_t again = 0;
    for (size_t i = 5; i + 2 < air; ++i)
        if (r[i].feed == r[i - 1].feed && r[i].feed != r[i + 1].feed) again = i;
    EXPECT_GT(again, 4u);
    EXPECT_EQ(fluid.calls.componentValues["ComponentIDs"], 1);
    EXPECT_EQ(fluid.calls.componentValues["CAS_Numbers"], 1);
}

}  // namespace
}  // namespace volacor
