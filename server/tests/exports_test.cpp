// libvolacor.so as a host loads it: by name through the runtime, its four exports, its
// class objects and objects, and the variable-definition document it carries.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "comrt/codepage.h"
#include "comrt/com_ptr.h"
#include "comrt/guid.h"
#include "comrt/library.h"
#include "comrt/owners.h"
#include "comrt/resource.h"
#include "correlations/bstr_text.h"
#include "correlations/class_descriptions.h"
#include "host/correlation.h"
#include "methods/methods.h"
#include "testsupport/fluid_installation.h"
#include "testsupport/scripted_fluid.h"
#include "testsupport/varhost/correlation_fakes.h"
#include "testsupport/varhost/varhost_control.h"

namespace volacor {
namespace {

using comrt::ComPtr;
using GetClassObjectFn = HRESULT (*)(const GUID&, const GUID&, void**);
using NoArgumentFn = HRESULT (*)();

class ExportsTest : public ::testing::Test {
public:
    void SetUp() override {
        library = CoLoadLibrary(u"volacor.dll", 0);
        ASSERT_NE(library, nullptr);
        getClassObject = reinterpret_cast<GetClassObjectFn>(GetProcAddress(library, "DllGetClassObject"));
        canUnloadNow = reinterpret_cast<NoArgumentFn>(GetProcAddress(library, "DllCanUnloadNow"));
        registerServer = reinterpret_cast<NoArgumentFn>(GetProcAddress(library, "DllRegisterServer"));
        unregisterServer = reinterpret_cast<NoArgumentFn>(GetProcAddress(library, "DllUnregisterServer"));
        ASSERT_TRUE(getClassObject && canUnloadNow && registerServer && unregisterServer);
        varhost = testsupport::VarhostControl::Load();
        ASSERT_TRUE(varhost.Loaded());
        varhost.Reset();
        liveAtStart = varhost.LiveObjects();
    }
    void TearDown() override {
        if (!varhost.Loaded()) return;
        varhost.Reset();
        EXPECT_EQ(canUnloadNow(), S_OK) << "an object, lock or class-object reference remains";
        EXPECT_EQ(varhost.LiveObjects(), liveAtStart);
    }

    HMODULE library = nullptr;
    GetClassObjectFn getClassObject = nullptr;
    NoArgumentFn canUnloadNow = nullptr;
    NoArgumentFn registerServer = nullptr;
    NoArgumentFn unregisterServer = nullptr;
    testsupport::VarhostControl varhost;
    int32_t liveAtStart = 0;
};

TEST_F(ExportsTest, OnlyTheEntryPointsAreExported) {
    EXPECT_EQ(GetProcAddress(library, "_ZN7volacor21GetPropertyCalculatorEv"), nullptr);
    EXPECT_EQ(GetProcAddress(library, "_ZN7volacor12LockModuleEv"), nullptr);
}

TEST_F(ExportsTest, UnknownClassOrNullOut) {
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(getClassObject(IID_ICorrelation, IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(getClassObject(kModifiedASTM.classId, IID_IClassFactory, nullptr), E_POINTER);
}

TEST_F(ExportsTest, ServedClassesCreateObjectsNamedFromTheDocument) {
    const ClassDescription* all[] = {&kAPI_5B1_1,     &kAPI_5B1_2,     &kASTM_D323_73_79,
                                     &kASTM_D323_82,  &kASTM_D4953_91, &kASTM_D5191_91,
                                     &kASTM_D6377_16, &kOrvan_API,     &kModifiedASTM};
    int served = 0;
    for (const ClassDescription* description : all) {
        SCOPED_TRACE(description->className);
        ComPtr<IClassFactory> factory, again;
        const HRESULT hr = getClassObject(description->classId, IID_IClassFactory, factory.put_void());
        if (hr == CLASS_E_CLASSNOTAVAILABLE) continue;  // its method is not built yet
        ASSERT_EQ(hr, S_OK);
        ++served;
        ASSERT_EQ(getClassObject(description->classId, IID_IClassFactory, again.put_void()), S_OK);
        EXPECT_EQ(factory.get(), again.get()) << "one class object per class";
        EXPECT_EQ(canUnloadNow(), S_FALSE);

        ComPtr<ICorrelation> object;
        ASSERT_EQ(factory->CreateInstance(nullptr, IID_ICorrelation, object.put_void()), S_OK);
        BSTR name = nullptr;
        ASSERT_EQ(object->get_Name(&name), S_OK);
        const comrt::UniqueBstr owned(name);
        EXPECT_EQ(comrt::WideToAnsi(std::u16string_view(name, SysStringLen(name))), description->displayName);
        BSTR classId = nullptr;
        ASSERT_EQ(object->get_ClassId(&classId), S_OK);
        const comrt::UniqueBstr ownedClassId(classId);
        GUID reported{};
        EXPECT_EQ(CLSIDFromString(classId, &reported), S_OK);
        EXPECT_TRUE(reported == description->classId) << "the class object makes its own class";

        ComPtr<IVariableSet> parameters;
        ASSERT_EQ(object->get_Parameters(parameters.put()), S_OK);
        ComPtr<IUnknown> refTemp;
        ComPtr<IHostVariable> variable;
        ASSERT_EQ(parameters->FindVariable(AnsiToBstr("RVPRefTempValue").get(), refTemp.put()), S_OK);
        ASSERT_EQ(refTemp->QueryInterface(IID_IHostVariable, variable.put_void()), S_OK);
        BSTR display = nullptr;
        ASSERT_EQ(variable->GetDisplayName(&display), S_OK);
        const comrt::UniqueBstr ownedDisplay(display);
        EXPECT_EQ(comrt::WideToAnsi(std::u16string_view(display, SysStringLen(display))), "Ref.Temp.(C)");

        varhost.FailOperation("CreateInstance", 0, E_OUTOFMEMORY);
        void* failed = reinterpret_cast<void*>(1);
        EXPECT_EQ(factory->CreateInstance(nullptr, IID_ICorrelation, &failed), E_FAIL);
        EXPECT_EQ(failed, nullptr);
        varhost.Reset();
    }
    if (served == 0) GTEST_SKIP() << "no method is built yet";
}

TEST_F(ExportsTest, CarriesTheVariableDefinitionDocument) {
    const void* data = nullptr;
    uint32_t size = 0;
    ASSERT_EQ(comrt_FindResource(library, "#23", 201, 1033, &data, &size), S_OK);
    std::ifstream file(VOLACOR_SOURCE_DIR "/server/resources/variable_definitions.xml", std::ios::binary);
    const std::string expected(std::istreambuf_iterator<char>(file), {});
    ASSERT_EQ(size, 517u);
    EXPECT_EQ(std::string(static_cast<const char*>(data), size), expected);
    size_t closingTags = 0, lineEnds = 0;
    for (size_t at = expected.find("\r\n    </Variable>\r\n"); at != std::string::npos;
         at = expected.find("\r\n    </Variable>\r\n", at + 1))
        ++closingTags;
    for (size_t at = 0; at < expected.size(); ++at)
        if (expected[at] == '\n') {
            ++lineEnds;
            EXPECT_TRUE(at > 0 && expected[at - 1] == '\r') << "a bare line feed at " << at;
        }
    EXPECT_EQ(closingTags, 4u) << "each closing tag on its own indented line";
    EXPECT_EQ(lineEnds, 10u);
    EXPECT_EQ(expected.substr(0, 40), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n");
    EXPECT_EQ(expected.back(), '>') << "no line end after the root's closing tag";
}

// The whole path across the library's boundary with a real method: the library's own
// calculator and procedure, the host's fluid reached through the client and context.
TEST_F(ExportsTest, ServedClassCalculatesWithItsOwnMethod) {
    using testsupport::ScriptedFluid;
    const auto makeFluid = [] {
        auto fluid = ScriptedFluid::Make({testsupport::NPentane, testsupport::NHexane});
        fluid->OnFlash(ScriptedFluid::BubblePoint(68.943));
        return fluid;
    };
    // What the method answers for FEED at the default 37.78 °C (559.694 °R), asked directly.
    auto reference = makeFluid();
    double expectedFeed = EMPTY_VALUE;
    {
        testsupport::FluidInstallation installed(*GetPropertyCalculator(), *reference);
        expectedFeed = orvan_api::CalculatePhase(GetPropertyCalculator(), FEED, 37.78 * 1.8 + 32.0 + 459.69, 0.0);
    }
    ASSERT_NE(expectedFeed, EMPTY_VALUE);

    ComPtr<IClassFactory> factory;
    if (getClassObject(kOrvan_API.classId, IID_IClassFactory, factory.put_void()) != S_OK)
        GTEST_SKIP() << "the closed-form API method is not built yet";
    auto fluid = makeFluid();
    int64_t blocksAfterFirst = 0;
    testsupport::FakeContext context;
    context.material = static_cast<IHostFluid*>(fluid.get());
    testsupport::FakeClient client;
    client.context = &context;
    {
        ComPtr<ICorrelation> object;
        ASSERT_EQ(factory->CreateInstance(nullptr, IID_ICorrelation, object.put_void()), S_OK);
        IVariableSet* set = nullptr;
        int32_t cookie = 0;
        ASSERT_EQ(object->Attach(static_cast<ICorrelationClient*>(&client), 3, &cookie, &set), S_OK);

        ASSERT_EQ(object->Calculate(cookie), S_OK);
        ComPtr<IUnknown> found;
        ComPtr<IRealVectorVariable> phaseValues;
        ASSERT_EQ(set->FindVariable(AnsiToBstr("Phase_Values").get(), found.put()), S_OK);
        ASSERT_EQ(found->QueryInterface(IID_IRealVectorVariable, phaseValues.put_void()), S_OK);
        double feed = 0, vapour = 0;
        phaseValues->GetElement(0, &feed);
        phaseValues->GetElement(1, &vapour);
        EXPECT_EQ(feed, expectedFeed);
        EXPECT_EQ(vapour, EMPTY_VALUE) << "no vapour phase in the fluid";
        EXPECT_EQ(fluid->calls.fluidSnapshot, 1);

        // The library's calculator keeps the last snapshot until its next FEED call, so a
        // second calculation may hold as much task memory as the first, never more.
        blocksAfterFirst = comrt_TaskMemOutstanding();
        ASSERT_EQ(object->Calculate(cookie), S_OK);
        EXPECT_EQ(comrt_TaskMemOutstanding(), blocksAfterFirst);
    }
    EXPECT_EQ(fluid->liveReferences(), 1u) << "the library's calculator let go of the fluid";
    EXPECT_EQ(client.references, 1u);
    EXPECT_EQ(context.references, 1u);
}

}  // namespace
}  // namespace volacor
