// The calculation driver as a host drives it: a client attached to a correlation object,
// a context and a scripted fluid behind it, and a phase procedure that records what it
// was handed. Every test ends (fixture) with the fakes back at the test's own reference,
// no host variable alive, and a calculator that holds nothing.
#include <gtest/gtest.h>

#include <functional>

#include "correlation_fixture.h"
#include "correlations/host_object.h"
#include "testsupport/scripted_fluid.h"
#include "testsupport/varhost/correlation_fakes.h"

namespace volacor::testing {
namespace {

using testsupport::FakeClient;
using testsupport::FakeContext;
using testsupport::FilteringMaterial;
using testsupport::ScriptedFluid;

constexpr int32_t kClientKey = 77;
constexpr double kUntouched = 7.5;  // preset in every element before a calculation

class DriverTest : public CorrelationTest {
public:
    void SetUp() override {
        CorrelationTest::SetUp();
        fluid = ScriptedFluid::Make({testsupport::NPentane, testsupport::NHexane});
        context.material = static_cast<IHostFluid*>(fluid.get());
        client.context = &context;
    }
    void TearDown() override {
        object.reset();
        CorrelationTest::TearDown();
        for (const testsupport::CountedFake* fake : {static_cast<testsupport::CountedFake*>(&client),
                                                      static_cast<testsupport::CountedFake*>(&context)}) {
            EXPECT_EQ(fake->references, 1u) << "a reference to a client or context was kept";
            EXPECT_FALSE(fake->overReleased);
        }
    }

    // Creates the class and attaches the fake client; elements 0 to 5 hold kUntouched.
    void Make(const ClassUnderTest& cls) {
        object = Create(cls);
        ASSERT_TRUE(object);
        clientSet = nullptr;  // a null location asks Clone for a new set
        ASSERT_EQ(object->Attach(static_cast<ICorrelationClient*>(&client), kClientKey, &cookie, &clientSet), S_OK);
        ASSERT_EQ(cookie, 1);
        ASSERT_NE(clientSet, nullptr);
        auto phaseValues = FindIn<IRealVectorVariable>(clientSet, "Phase_Values", IID_IRealVectorVariable);
        ASSERT_TRUE(phaseValues);
        for (int32_t element = 0; element <= 5; ++element) phaseValues->SetElement(element, kUntouched);
    }

    ComPtr<IRealVariable> Parameter(const char* name) {
        ComPtr<IVariableSet> parameters;
        EXPECT_EQ(object->get_Parameters(parameters.put()), S_OK);
        return FindIn<IRealVariable>(parameters.get(), name, IID_IRealVariable);
    }
    void SetParameter(const char* name, double value) {
        auto variable = Parameter(name);
        ASSERT_TRUE(variable) << name;
        variable->SetValue(value);
    }
    double ParameterValue(const char* name) {
        double value = -1;
        auto variable = Parameter(name);
        if (variable) variable->GetValue(&value);
        return value;
    }
    double Element(int32_t index) {
        double value = -1;
        auto phaseValues = FindIn<IRealVectorVariable>(clientSet, "Phase_Values", IID_IRealVectorVariable);
        if (phaseValues) phaseValues->GetElement(index, &value);
        return value;
    }

    std::unique_ptr<ScriptedFluid> fluid;
    FakeContext context;
    FakeClient client;
    ComPtr<ICorrelation> object;  // declared after the fakes: released first
    IVariableSet* clientSet = nullptr;
    int32_t cookie = 0;
};

// What each class's driver must do differently, written out independently of the code.
struct VariantCase {
    const ClassUnderTest* cls;
    int getMaterialCalls;    // 2: the stream analysis comes from a second GetMaterial
    bool rankine;            // temperature handed on in °R
    bool ratio;              // "VLRatioValue" is the fifth argument
    bool feedOnly;
};

const VariantCase kVariantCases[] = {
    {&kAllClasses[0], 2, true, false, false},   // CAPI_5B1_1
    {&kAllClasses[1], 1, true, false, false},   // CAPI_5B1_2
    {&kAllClasses[2], 1, false, false, false},  // CASTM_D323_73_79
    {&kAllClasses[3], 1, false, false, false},  // CASTM_D323_82
    {&kAllClasses[4], 1, false, false, false},  // CASTM_D4953_91
    {&kAllClasses[5], 1, false, false, false},  // CASTM_D5191_91
    {&kAllClasses[6], 1, false, true, false},   // CASTM_D6377_16
    {&kAllClasses[7], 2, true, false, false},   // COrvan_API
    {&kAllClasses[8], 1, false, false, true},   // CModifiedASTM
};

TEST_F(DriverTest, EachClassCalculatesItsPhasesWithTheDefaultReferenceTemperature) {
    for (const VariantCase& c : kVariantCases) {
        SCOPED_TRACE(c.cls->description->className);
        phaseCalls.clear();
        context.getMaterialCalls = 0;
        Make(*c.cls);
        SetParameter("RVPRefTempValue", EMPTY_VALUE);

        ASSERT_EQ(object->Calculate(cookie), S_OK);

        EXPECT_EQ(ParameterValue("RVPRefTempValue"), 37.78) << "the default is written back";
        EXPECT_EQ(context.getMaterialCalls, c.getMaterialCalls);
        const std::vector<int32_t> expectedPhases =
            c.feedOnly ? std::vector<int32_t>{FEED} : std::vector<int32_t>{FEED, VAP, LIQ1, LIQ2, SOLID};
        ASSERT_EQ(phaseCalls.size(), expectedPhases.size());
        for (size_t i = 0; i < phaseCalls.size(); ++i) {
            EXPECT_EQ(phaseCalls[i].phase, expectedPhases[i]);
            EXPECT_EQ(phaseCalls[i].reuseLoadedData, i == 0 ? 0 : 1) << "reuse is set after FEED only";
            EXPECT_TRUE(phaseCalls[i].hostHeld);
            if (c.rankine)
                EXPECT_NEAR(phaseCalls[i].referenceTemperature, 559.694, 1e-9);
            else
                EXPECT_EQ(phaseCalls[i].referenceTemperature, 37.78);
            EXPECT_EQ(phaseCalls[i].removeNcMolePercent, 0.0);
            EXPECT_EQ(phaseCalls[i].ratio, c.ratio ? 4.0 : EMPTY_VALUE);
        }
        EXPECT_EQ(Element(0), ResultOf(FEED));
        const double vap = c.feedOnly ? EMPTY_VALUE : ResultOf(VAP);
        EXPECT_EQ(Element(1), vap);
        EXPECT_EQ(Element(2), c.feedOnly ? EMPTY_VALUE : ResultOf(LIQ1));
        EXPECT_EQ(Element(3), c.feedOnly ? EMPTY_VALUE : ResultOf(LIQ2));
        EXPECT_EQ(Element(4), kUntouched) << "element 4 is never written";
        EXPECT_EQ(Element(5), c.feedOnly ? EMPTY_VALUE : ResultOf(SOLID));
        object.reset();
    }
}

TEST_F(DriverTest, ParametersReachTheProcedureAsReadWithoutDefaults) {
    struct Case {
        const ClassUnderTest* cls;
        double referenceTemperature_C;
        double expectedTemperature;
    };
    const Case cases[] = {
        {&kAllClasses[1], 25.0, 536.69},  // CAPI_5B1_2: 25 × 1.8 + 32 + 459.69
        {&kAllClasses[4], 25.0, 25.0},    // CASTM_D4953_91: °C as read
        {&kAllClasses[6], 25.0, 25.0},    // CASTM_D6377_16
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cls->description->className);
        phaseCalls.clear();
        Make(*c.cls);
        SetParameter("RVPRefTempValue", c.referenceTemperature_C);
        SetParameter("RemoveNCmolPercent", EMPTY_VALUE);
        if (c.cls->description->hasVlRatioVariable) SetParameter("VLRatioValue", EMPTY_VALUE);

        ASSERT_EQ(object->Calculate(cookie), S_OK);
        ASSERT_FALSE(phaseCalls.empty());
        EXPECT_NEAR(phaseCalls[0].referenceTemperature, c.expectedTemperature, 1e-9);
        EXPECT_EQ(phaseCalls[0].removeNcMolePercent, EMPTY_VALUE);
        EXPECT_EQ(phaseCalls[0].ratio, EMPTY_VALUE);
        EXPECT_EQ(ParameterValue("RVPRefTempValue"), c.referenceTemperature_C) << "a set value is not replaced";
        object.reset();
    }
}

TEST_F(DriverTest, ContextGetsTheClientKeyAndZeroBasedPosition) {
    FakeClient first;
    first.context = &context;
    Make(kAllClasses[0]);
    // A second client behind the first: cookie 2, position 1.
    IVariableSet* secondSet = nullptr;
    int32_t secondCookie = 0;
    ASSERT_EQ(object->Attach(static_cast<ICorrelationClient*>(&first), 5, &secondCookie, &secondSet), S_OK);
    ASSERT_EQ(secondCookie, 2);

    ASSERT_EQ(object->Calculate(1), S_OK);
    ASSERT_EQ(object->Calculate(2), S_OK);
    ASSERT_EQ(client.contextRequests.size(), 1u);
    EXPECT_EQ(client.contextRequests[0], std::make_pair(kClientKey, 0));
    ASSERT_EQ(first.contextRequests.size(), 1u);
    EXPECT_EQ(first.contextRequests[0], std::make_pair(5, 1));
    object.reset();
    EXPECT_EQ(first.references, 1u);
}

// A procedure that does what every method's phase preparation does first.
double LoadingPhase(CPropertyCalculator* calc, int32_t phase, double, double) {
    phaseCalls.push_back({phase, 0, 0, EMPTY_VALUE, calc->reuseLoadedData, true});
    return calc->LoadFluidState() && calc->LoadStreamAnalysis() ? 1.0 : EMPTY_VALUE;
}

TEST_F(DriverTest, SnapshotAndAnalysisAreFetchedOncePerCalculation) {
    object.reset();
    ASSERT_EQ(CAPI_5B1_2::CreateInstance(&LoadingPhase, nullptr, IID_ICorrelation, object.put_void()), S_OK);
    ASSERT_EQ(object->Attach(static_cast<ICorrelationClient*>(&client), kClientKey, &cookie, &clientSet), S_OK);

    ASSERT_EQ(object->Calculate(cookie), S_OK);
    EXPECT_EQ(phaseCalls.size(), 5u);
    EXPECT_EQ(fluid->calls.fluidSnapshot, 1);
    EXPECT_EQ(fluid->calls.analysis, 1);
    EXPECT_EQ(Element(5), 1.0) << "the SOLID call still found the loaded data";

    ASSERT_EQ(object->Calculate(cookie), S_OK);
    EXPECT_EQ(fluid->calls.fluidSnapshot, 2);
    EXPECT_EQ(fluid->calls.analysis, 2);
}

// Ways a calculation ends early, each with its status. Nothing is written to
// "Phase_Values" in any of them, and no procedure runs.
class DriverEarlyEndTest : public DriverTest {
public:
    std::unique_ptr<FilteringMaterial> filtered;
};

struct EarlyEnd {
    const char* what;
    const ClassUnderTest* cls;
    std::function<void(DriverEarlyEndTest&)> arrange;
    HRESULT expected;
};

constexpr HRESULT kAccessDenied = static_cast<HRESULT>(0x80070005u);

TEST_F(DriverEarlyEndTest, EachEarlyEndGivesItsStatusAndReleasesEverything) {
    const auto fail = [](const char* operation, int32_t successesFirst) {
        return [=](DriverEarlyEndTest& t) { t.varhost.FailOperation(operation, successesFirst, E_FAIL); };
    };
    const auto material = [](bool answersFluid, bool answersAnalysis) {
        return [=](DriverEarlyEndTest& t) {
            t.filtered = std::make_unique<FilteringMaterial>(static_cast<IHostFluid*>(t.fluid.get()), answersFluid,
                                                             answersAnalysis);
            t.context.material = t.filtered.get();
        };
    };
    const EarlyEnd cases[] = {
        {"unknown cookie", &kAllClasses[0], [](DriverEarlyEndTest& t) { t.cookie = 2; },
         CONNECT_E_CANNOTCONNECT},
        {"GetContext fails", &kAllClasses[0],
         [](DriverEarlyEndTest& t) { t.client.contextStatus = kAccessDenied; }, kAccessDenied},
        {"first GetMaterial fails", &kAllClasses[3],
         [](DriverEarlyEndTest& t) { t.context.materialStatuses = {kAccessDenied}; },
         kAccessDenied},
        {"second GetMaterial fails", &kAllClasses[0],
         [](DriverEarlyEndTest& t) { t.context.materialStatuses = {S_OK, E_UNEXPECTED}; },
         E_UNEXPECTED},
        {"no material", &kAllClasses[1],
         [](DriverEarlyEndTest& t) { t.context.material = nullptr; }, E_FAIL},
        {"material without a fluid", &kAllClasses[1], material(false, true), E_FAIL},
        {"material without a stream analysis", &kAllClasses[1], material(true, false), E_FAIL},
        {"second material without a stream analysis", &kAllClasses[7], material(true, false), E_FAIL},
        {"reference temperature unreadable", &kAllClasses[2], fail("GetValue", 0), E_FAIL},
        {"removal percentage unreadable", &kAllClasses[2], fail("GetValue", 1), E_FAIL},
        {"ratio unreadable", &kAllClasses[6], fail("GetValue", 2), E_FAIL},
        {"FindVariable fails", &kAllClasses[4], fail("FindVariable", 0), E_FAIL},
        {"no Phase_Values in the client's set", &kAllClasses[4],
         [](DriverEarlyEndTest& t) {
             const comrt::UniqueBstr name = AnsiToBstr("Phase_Values");
             t.clientSet->Remove(name.get());
         },
         E_FAIL},
    };
    for (const EarlyEnd& c : cases) {
        SCOPED_TRACE(c.what);
        phaseCalls.clear();
        varhost.Reset();
        context.material = static_cast<IHostFluid*>(fluid.get());
        context.materialStatuses.clear();
        client.contextStatus = S_OK;
        Make(*c.cls);
        c.arrange(*this);

        EXPECT_EQ(object->Calculate(cookie), c.expected);
        varhost.Reset();
        EXPECT_TRUE(phaseCalls.empty());
        const double element0 = Element(0);
        EXPECT_TRUE(element0 == kUntouched || element0 == -1) << "written: " << element0;  // -1: no vector
        EXPECT_EQ(GetPropertyCalculator()->fluid, nullptr);
        EXPECT_EQ(GetPropertyCalculator()->streamAnalysis, nullptr);
        object.reset();
        EXPECT_EQ(fluid->liveReferences(), 1u);
        if (filtered) {
            EXPECT_EQ(filtered->references, 1u);
            context.material = nullptr;
            filtered.reset();
        }
    }
}

TEST_F(DriverTest, InactiveContextReadsAndWritesNothing) {
    Make(kAllClasses[0]);
    SetParameter("RVPRefTempValue", EMPTY_VALUE);
    context.active = 0;

    EXPECT_EQ(object->Calculate(cookie), S_OK);
    EXPECT_EQ(context.getMaterialCalls, 0);
    EXPECT_TRUE(phaseCalls.empty());
    EXPECT_EQ(ParameterValue("RVPRefTempValue"), EMPTY_VALUE) << "not even the default is written";
    EXPECT_EQ(Element(0), kUntouched);
}

TEST_F(DriverTest, FailedActivityQueryCountsAsActive) {
    Make(kAllClasses[0]);
    context.active = 0;
    context.activeStatus = E_FAIL;

    EXPECT_EQ(object->Calculate(cookie), S_OK);
    EXPECT_EQ(phaseCalls.size(), 5u);
    EXPECT_EQ(Element(0), ResultOf(FEED));
}

TEST_F(DriverTest, ScalarPhaseValuesCalculatesNothingAndSucceeds) {
    Make(kAllClasses[3]);
    const comrt::UniqueBstr name = AnsiToBstr("Phase_Values");
    ASSERT_EQ(clientSet->Remove(name.get()), S_OK);
    ComPtr<IRealVariable> scalar;
    ASSERT_EQ(CreateHostObject(kVariableServerFile, CLSID_RealVariable, IID_IRealVariable, scalar.put_void()), S_OK);
    scalar->SetTaggedName(name.get());
    scalar->SetValue(kUntouched);
    ASSERT_EQ(clientSet->Add(scalar.get()), S_OK);

    EXPECT_EQ(object->Calculate(cookie), S_OK);
    EXPECT_TRUE(phaseCalls.empty());
    double value = 0;
    scalar->GetValue(&value);
    EXPECT_EQ(value, kUntouched);
}

TEST_F(DriverTest, EmptyResultsAreWrittenLikeAnyOther) {
    object.reset();
    const auto empty = [](CPropertyCalculator*, int32_t, double, double) { return EMPTY_VALUE; };
    ASSERT_EQ(CASTM_D323_82::CreateInstance(+empty, nullptr, IID_ICorrelation, object.put_void()), S_OK);
    ASSERT_EQ(object->Attach(static_cast<ICorrelationClient*>(&client), kClientKey, &cookie, &clientSet), S_OK);
    auto phaseValues = FindIn<IRealVectorVariable>(clientSet, "Phase_Values", IID_IRealVectorVariable);
    phaseValues->SetElement(0, kUntouched);

    EXPECT_EQ(object->Calculate(cookie), S_OK);
    EXPECT_EQ(Element(0), EMPTY_VALUE);
}

}  // namespace
}  // namespace volacor::testing
