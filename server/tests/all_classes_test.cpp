// All nine classes as a host runs them: libvolacor.so loaded by name, each object made by
// its class object, a client attached whose material is a model-fluid stream, Calculate,
// and "Phase_Values" read back from the client's own set. Every result is held against
// the method run directly on the same fluid and against bounds taken from the fluid's
// own bubble and dew points; afterwards nothing may be left: no object or lock, no host
// reference, no task-memory block, no variable-server object.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <climits>
#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "comrt/com_ptr.h"
#include "comrt/library.h"
#include "comrt/memory.h"
#include "correlations/bstr_text.h"
#include "correlations/class_descriptions.h"
#include "host/correlation.h"
#include "methods/methods.h"
#include "testsupport/fluid_installation.h"
#include "testsupport/model_fluid/model_fluid.h"
#include "testsupport/varhost/correlation_fakes.h"
#include "testsupport/varhost/varhost_control.h"

namespace volacor {
namespace {

using comrt::ComPtr;
using model::ModelStream;
using testsupport::ScriptedFluid;
using GetClassObjectFn = HRESULT (*)(const GUID&, const GUID&, void**);
using NoArgumentFn = HRESULT (*)();

constexpr double KPA_PER_PSI = 6.8943;  // the API methods' conversion
// Written to element 4 before each calculation; the driver never writes that element.
constexpr double kElement4Marker = 4444.25;
// "Phase_Values" element of each phase index (VAP, LIQ1, LIQ2, SOLID, FEED).
constexpr int32_t kElementOf[PHASE_COUNT] = {1, 2, 3, 5, 0};

enum class Family {
    TvpCorrelation,  // an RVP from the TVP by a correlation, in °R: below the TVP
    VolumeSplit,     // a pressure at which the fluid splits: between dew and bubble point
    AirChamber,      // a chamber test with air: a gauge pressure (D5191-91 made equivalent to one)
};

struct ClassCase {
    const ClassDescription* description;
    PhaseProcedure procedure;
    Family family;
    bool feedOnly = false;  // the other elements are emptied
};

const std::vector<ClassCase>& Classes() {
    static const std::vector<ClassCase> classes{
        {&kOrvan_API, &orvan_api::CalculatePhase, Family::TvpCorrelation},
        {&kAPI_5B1_2, &api_5b1_2::CalculatePhase, Family::TvpCorrelation},
        {&kAPI_5B1_1, &api_5b1_1::CalculatePhase, Family::TvpCorrelation},
        {&kASTM_D323_73_79, &astm_d323_73_79::CalculatePhase, Family::VolumeSplit},
        {&kASTM_D6377_16, &astm_d6377_16::CalculatePhase, Family::VolumeSplit},
        {&kModifiedASTM, &modified_astm::CalculatePhase, Family::VolumeSplit, true},
        {&kASTM_D323_82, &astm_d323_82::CalculatePhase, Family::AirChamber},
        {&kASTM_D4953_91, &astm_d4953_91::CalculatePhase, Family::AirChamber},
        {&kASTM_D5191_91, &astm_d5191_91::CalculatePhase, Family::AirChamber},
    };
    return classes;
}

// Bubble and dew point of a stream's hydrocarbons at t_C on the model (ideal solution,
// ideal gas): sum of x·p°, and 1 / sum of x / p°. Water forms its own phase, so it is left out.
struct SaturationPressures {
    double bubble_kPa = 0, dew_kPa = 0;
};
SaturationPressures HydrocarbonSaturation(const ModelStream& stream, double t_C) {
    const auto components = model::StreamComponents(stream);
    const auto feed = model::StreamFeed(stream);
    double hydrocarbons = 0, bubble = 0, inverseDew = 0;
    for (size_t i = 0; i < components.size(); ++i) {
        if (components[i]->isWater || feed[i] == 0.0) continue;
        const double p = model::VapourPressure_kPa(*components[i], t_C + model::KelvinOffset);
        hydrocarbons += feed[i];
        bubble += feed[i] * p;
        inverseDew += feed[i] / p;
    }
    return {bubble / hydrocarbons, hydrocarbons / inverseDew};
}

double WaterVapourPressure_kPa(double t_C) {
    return model::VapourPressure_kPa(*model::FindComponent("water"), t_C + model::KelvinOffset);
}

// The refined-stock relation the companion solves, for a slope root of 0:
// ln TVP = (2416/Tr - 2.013)·log10 RVP - 8742/Tr + 15.64,
// Tr = T/°F + 459.6, solved for RVP in psi.
double RefinedStockRvp_psi(double tvp_psia, double t_F) {
    const double tr = t_F + 459.6;
    return std::pow(10.0, (std::log(tvp_psia) + 8742.0 / tr - 15.64) / (2416.0 / tr - 2.013));
}

std::string ExecutableDirectory() {
    char path[PATH_MAX];
    if (GetModuleFileNameA(nullptr, path, sizeof path) == 0) return {};
    const std::string text(path);
    return text.substr(0, text.rfind('/'));
}

bool HasLineStarting(const std::vector<std::string>& lines, const std::string& start) {
    for (const std::string& line : lines)
        if (line.rfind(start, 0) == 0) return true;
    return false;
}

bool CompanionBesideTheExecutable() {
    struct stat info {};
    return stat((ExecutableDirectory() + "/libapi5b11companion.so").c_str(), &info) == 0;
}

double ReadParameter(ICorrelation& object, const char* name) {
    ComPtr<IVariableSet> parameters;
    ComPtr<IUnknown> found;
    ComPtr<IRealVariable> variable;
    double value = EMPTY_VALUE;
    EXPECT_EQ(object.get_Parameters(parameters.put()), S_OK);
    if (!parameters || FAILED(parameters->FindVariable(AnsiToBstr(name).get(), found.put())) || !found ||
        FAILED(found->QueryInterface(IID_IRealVariable, variable.put_void())))
        return EMPTY_VALUE;  // absent: the procedure is handed EMPTY_VALUE
    EXPECT_EQ(variable->GetValue(&value), S_OK);
    return value;
}

void WriteParameter(ICorrelation& object, const char* name, double value) {
    ComPtr<IVariableSet> parameters;
    ComPtr<IUnknown> found;
    ComPtr<IRealVariable> variable;
    ASSERT_EQ(object.get_Parameters(parameters.put()), S_OK);
    ASSERT_EQ(parameters->FindVariable(AnsiToBstr(name).get(), found.put()), S_OK);
    ASSERT_EQ(found->QueryInterface(IID_IRealVariable, variable.put_void()), S_OK);
    ASSERT_EQ(variable->SetValue(value), S_OK);
}

// What one calculation left in the client's "Phase_Values" and the fluid's messages.
struct Outcome {
    HRESULT status = E_UNEXPECTED;
    double element[6] = {EMPTY_VALUE, EMPTY_VALUE, EMPTY_VALUE, EMPTY_VALUE, EMPTY_VALUE, EMPTY_VALUE};
    std::vector<std::string> messages;
    double Phase(int32_t phase) const { return element[kElementOf[phase]]; }
};

// A model-fluid stream behind a client and context of the host's; each counts its
// references from the test's own.
struct AttachedStream {
    explicit AttachedStream(const ModelStream& stream) : fluid(model::MakeModelFluid(stream)) {
        context.material = fluid ? static_cast<IHostFluid*>(fluid.get()) : nullptr;
        client.context = &context;
    }
    std::unique_ptr<ScriptedFluid> fluid;
    testsupport::FakeContext context;
    testsupport::FakeClient client;
};

class AllClassesTest : public ::testing::Test {
public:
    void SetUp() override {
        blocksAtStart = comrt_TaskMemOutstanding();
        library = CoLoadLibrary(u"volacor.dll", 1);
        ASSERT_NE(library, nullptr);
        getClassObject = reinterpret_cast<GetClassObjectFn>(GetProcAddress(library, "DllGetClassObject"));
        canUnloadNow = reinterpret_cast<NoArgumentFn>(GetProcAddress(library, "DllCanUnloadNow"));
        ASSERT_TRUE(getClassObject && canUnloadNow);
        varhost = testsupport::VarhostControl::Load();
        ASSERT_TRUE(varhost.Loaded());
        varhost.Reset();
        liveAtStart = varhost.LiveObjects();
    }
    void TearDown() override {
        if (!canUnloadNow || !varhost.Loaded()) return;
        EXPECT_EQ(canUnloadNow(), S_OK) << "an object, lock or class-object reference remains";
        EXPECT_EQ(varhost.LiveObjects(), liveAtStart) << "a variable-server object outlived its owner";
        // The library's calculator keeps the last snapshot and analysis until the next
        // calculation or the library's unloading: unloaded, every block must be back.
        CoFreeUnusedLibraries();
        EXPECT_EQ(comrt_TaskMemOutstanding(), blocksAtStart) << "task memory was left behind";
        for (const auto& stream : streams) {
            EXPECT_EQ(stream->fluid->liveReferences(), 1u) << "the library kept a reference to the fluid";
            EXPECT_EQ(stream->client.references, 1u);
            EXPECT_EQ(stream->context.references, 1u);
            EXPECT_FALSE(stream->client.overReleased || stream->context.overReleased);
        }
    }

protected:
    AttachedStream& Stream(const ModelStream& stream) {
        streams.push_back(std::make_unique<AttachedStream>(stream));
        EXPECT_NE(streams.back()->fluid, nullptr);
        return *streams.back();
    }

    ComPtr<ICorrelation> Create(const ClassDescription& description) {
        ComPtr<IClassFactory> factory;
        ComPtr<ICorrelation> object;
        EXPECT_EQ(getClassObject(description.classId, IID_IClassFactory, factory.put_void()), S_OK);
        if (factory) {
            EXPECT_EQ(factory->CreateInstance(nullptr, IID_ICorrelation, object.put_void()), S_OK);
        }
        return object;
    }

    // Attaches the stream's client, marks element 4, calculates and reads every element back.
    Outcome Calculate(ICorrelation& object, AttachedStream& stream, int32_t clientKey = 7) {
        Outcome outcome;
        // The client's own set: its connection record holds the one reference, until Detach.
        IVariableSet* set = nullptr;
        int32_t cookie = 0;
        EXPECT_EQ(object.Attach(static_cast<ICorrelationClient*>(&stream.client), clientKey, &cookie, &set), S_OK);
        ComPtr<IUnknown> found;
        ComPtr<IRealVectorVariable> phaseValues;
        if (!set || FAILED(set->FindVariable(AnsiToBstr("Phase_Values").get(), found.put())) || !found ||
            FAILED(found->QueryInterface(IID_IRealVectorVariable, phaseValues.put_void()))) {
            ADD_FAILURE() << "the client's set has no vector \"Phase_Values\"";
            return outcome;
        }
        EXPECT_EQ(phaseValues->SetElement(4, kElement4Marker), S_OK);
        const size_t messagesBefore = stream.fluid->messages.size();
        outcome.status = object.Calculate(cookie);
        for (int32_t i = 0; i < 6; ++i) EXPECT_EQ(phaseValues->GetElement(i, &outcome.element[i]), S_OK);
        outcome.messages.assign(stream.fluid->messages.begin() + static_cast<ptrdiff_t>(messagesBefore),
                                stream.fluid->messages.end());
        EXPECT_EQ(object.Detach(cookie), S_OK);
        return outcome;
    }

    // The class's own method run in this program on a fresh copy of the stream, with the
    // parameters the object holds, in the unit its driver hands on.
    double Direct(const ClassCase& c, ICorrelation& object, const ModelStream& stream, int32_t phase) {
        const double t_C = ReadParameter(object, "RVPRefTempValue");
        const double t = c.family == Family::TvpCorrelation ? t_C * 1.8 + 32.0 + 459.69 : t_C;
        const double removeNc = ReadParameter(object, "RemoveNCmolPercent");
        const double ratio = ReadParameter(object, "VLRatioValue");  // D6377-16's alone
        auto fluid = model::MakeModelFluid(stream);
        testsupport::FluidInstallation installed(*GetPropertyCalculator(), *fluid);
        CPropertyCalculator* calc = GetPropertyCalculator();
        const double feed = c.procedure(calc, FEED, t, removeNc, ratio);
        if (phase == FEED) return feed;
        calc->reuseLoadedData = 1;
        const double result = c.procedure(calc, phase, t, removeNc, ratio);
        calc->reuseLoadedData = 0;
        return result;
    }

    HMODULE library = nullptr;
    GetClassObjectFn getClassObject = nullptr;
    NoArgumentFn canUnloadNow = nullptr;
    testsupport::VarhostControl varhost;
    int32_t liveAtStart = 0;
    int64_t blocksAtStart = 0;
    std::vector<std::unique_ptr<AttachedStream>> streams;
};

TEST_F(AllClassesTest, EveryClassCalculatesALightNaphthaThroughTheExports) {
    const ModelStream naphtha = model::LightNaphtha();
    // Which phases the stream has at its own conditions.
    model::Equilibrium atStream;
    ASSERT_TRUE(model::Equilibrate(model::StreamComponents(naphtha), model::StreamFeed(naphtha),
                                   naphtha.temperature_C + model::KelvinOffset, naphtha.pressure_kPa, atStream));
    const bool present[PHASE_COUNT_NO_FEED] = {atStream.vapourFraction > 0.0, atStream.liquidFraction > 0.0,
                                               atStream.waterFraction > 0.0, false};
    const bool companion = CompanionBesideTheExecutable();

    std::map<const ClassDescription*, double> feed;
    for (const ClassCase& c : Classes()) {
        const ClassDescription& d = *c.description;
        SCOPED_TRACE(d.className);
        ComPtr<ICorrelation> object = Create(d);
        ASSERT_TRUE(object);
        AttachedStream& stream = Stream(naphtha);
        const Outcome out = Calculate(*object.get(), stream);
        ASSERT_EQ(out.status, S_OK);
        const double rvp = out.Phase(FEED);
        feed[&d] = rvp;

        ASSERT_TRUE(std::isfinite(rvp) && rvp != EMPTY_VALUE) << "no FEED result";
        EXPECT_DOUBLE_EQ(rvp, Direct(c, *object.get(), naphtha, FEED)) << "the class runs its own method as given";

        const double t_C = ReadParameter(*object.get(), "RVPRefTempValue");
        const SaturationPressures sat = HydrocarbonSaturation(naphtha, t_C);
        switch (c.family) {
            case Family::TvpCorrelation:
                EXPECT_GT(rvp, 0.0);
                EXPECT_LT(rvp, sat.bubble_kPa) << "an RVP below the TVP";
                break;
            case Family::VolumeSplit:
                EXPECT_GT(rvp, sat.dew_kPa);
                EXPECT_LT(rvp, sat.bubble_kPa);
                break;
            case Family::AirChamber:
                // The hydrocarbons' share of the chamber pressure, which is what the
                // result keeps once the air's share is taken off.
                EXPECT_GT(rvp, sat.dew_kPa);
                EXPECT_LT(rvp, sat.bubble_kPa);
                break;
        }

        if (&d == &kAPI_5B1_1) {
            // The model fluid has no distillation curves: a slope root of 0.
            const double tvp_psia = sat.bubble_kPa / KPA_PER_PSI;
            const double t_F = t_C * 1.8 + 32.0;
            if (companion) {
                EXPECT_NEAR(rvp, RefinedStockRvp_psi(tvp_psia, t_F) * KPA_PER_PSI, 1e-6 * rvp)
                    << "the companion's relation, solved for RVP";
                EXPECT_TRUE(HasLineStarting(out.messages, "Phase: FEED - API 5B1.1 RVP "))
                    << "the companion's own line";
            } else {
                EXPECT_NEAR(rvp, 0.9 * sat.bubble_kPa, 1e-6 * rvp) << "the start estimate";
                EXPECT_TRUE(HasLineStarting(
                    out.messages, "Phase: FEED - API 5B1.1 Companion library not found - returning the start estimate."));
            }
        }

        EXPECT_EQ(out.element[4], kElement4Marker) << "element 4 is not the driver's";
        for (int32_t phase : {VAP, LIQ1, LIQ2, SOLID}) {
            SCOPED_TRACE(PhaseName(phase));
            const double value = out.Phase(phase);
            if (c.feedOnly || !present[phase]) {
                EXPECT_EQ(value, EMPTY_VALUE);
            } else {
                EXPECT_TRUE(std::isfinite(value) && value != EMPTY_VALUE);
                EXPECT_DOUBLE_EQ(value, Direct(c, *object.get(), naphtha, phase));
            }
        }
    }

    // D6377-16 at its ratio of 4 is D323-73/79, which starts from 37.778 °C rather than
    // 37.78 °C: a little lower, and the same once both run at 37.78 °C.
    EXPECT_LT(feed[&kASTM_D323_73_79], feed[&kASTM_D6377_16]);
    {
        ComPtr<ICorrelation> object = Create(kASTM_D323_73_79);
        ASSERT_TRUE(object);
        WriteParameter(*object.get(), "RVPRefTempValue", kReferenceTemperatureAtCreation_C);
        EXPECT_EQ(Calculate(*object.get(), Stream(naphtha)).Phase(FEED), feed[&kASTM_D6377_16]);
    }
    // The chamber test with air at 1 atm (D4953-91) and evacuated (D5191-91): the
    // latter's relation, 0.965·P - 3.78 kPa, is made to give the former's reading, and
    // on this fluid does so to within its own offset.
    EXPECT_NEAR(feed[&kASTM_D5191_91], feed[&kASTM_D4953_91], 3.78);
    // D323-82 is D4953-91 with the sample saturated by wet air: the little water that
    // brings can move the reading by less than water's own vapour pressure.
    EXPECT_NEAR(feed[&kASTM_D323_82], feed[&kASTM_D4953_91],
                WaterVapourPressure_kPa(kReferenceTemperatureAtCreation_C));
}

// Condensate with 5 % water: LIQ2 is water alone and gets its own value; D323-82, which
// needs water, nitrogen and oxygen in the fluid, calculates.
TEST_F(AllClassesTest, AWetCondensateGivesTheAqueousPhaseItsOwnValue) {
    const ModelStream wet = model::CondensateWithWater(0.05);
    model::Equilibrium atStream;
    ASSERT_TRUE(model::Equilibrate(model::StreamComponents(wet), model::StreamFeed(wet),
                                   wet.temperature_C + model::KelvinOffset, wet.pressure_kPa, atStream));
    ASSERT_GT(atStream.waterFraction, 0.0);
    ASSERT_GT(atStream.liquidFraction, 0.0);

    for (const ClassCase& c : Classes()) {
        const ClassDescription& d = *c.description;
        SCOPED_TRACE(d.className);
        ComPtr<ICorrelation> object = Create(d);
        ASSERT_TRUE(object);
        const Outcome out = Calculate(*object.get(), Stream(wet));
        ASSERT_EQ(out.status, S_OK);
        EXPECT_TRUE(std::isfinite(out.Phase(FEED)) && out.Phase(FEED) != EMPTY_VALUE);
        EXPECT_DOUBLE_EQ(out.Phase(FEED), Direct(c, *object.get(), wet, FEED));
        EXPECT_EQ(out.element[4], kElement4Marker);
        if (c.feedOnly) {
            for (int32_t phase : {VAP, LIQ1, LIQ2, SOLID}) EXPECT_EQ(out.Phase(phase), EMPTY_VALUE);
            continue;
        }
        EXPECT_EQ(out.Phase(VAP) != EMPTY_VALUE, atStream.vapourFraction > 0.0);
        EXPECT_EQ(out.Phase(SOLID), EMPTY_VALUE);
        EXPECT_DOUBLE_EQ(out.Phase(LIQ1), Direct(c, *object.get(), wet, LIQ1));
        EXPECT_DOUBLE_EQ(out.Phase(LIQ2), Direct(c, *object.get(), wet, LIQ2));
        EXPECT_NE(out.Phase(LIQ2), out.Phase(LIQ1));
        if (c.family != Family::TvpCorrelation) {
            // One component: the laboratory methods give its vapour pressure.
            const double water = WaterVapourPressure_kPa(ReadParameter(*object.get(), "RVPRefTempValue"));
            EXPECT_NEAR(out.Phase(LIQ2), water, 1e-9 * water);
        }
    }
}

}  // namespace
}  // namespace volacor
