// The host variables a correlation object builds when it is created, the document that
// names them, and the variable server they come from.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "correlation_fixture.h"
#include "correlations/host_object.h"
#include "correlations/variable_definition.h"
#include "testsupport/varhost/correlation_fakes.h"

namespace volacor::testing {
namespace {

struct Parameter {
    std::string name;
    double value;
    int32_t flags;
};

std::vector<Parameter> ParametersOf(ICorrelation* object) {
    std::vector<Parameter> found;
    ComPtr<IVariableSet> set;
    int32_t count = 0;
    if (object->get_Parameters(set.put()) != S_OK || set->GetCount(&count) != S_OK) return found;
    for (int32_t i = 0; i < count; ++i) {
        ComPtr<IUnknown> item;
        ComPtr<IRealVariable> real;
        set->GetItem(i, item.put());
        if (!item || FAILED(item->QueryInterface(IID_IRealVariable, real.put_void()))) continue;
        Parameter p{TaggedName(item.get()), 0, 0};
        real->GetValue(&p.value);
        real->GetFlags(&p.flags);
        found.push_back(p);
    }
    return found;
}

class ParameterVariablesTest : public CorrelationTest {};

TEST_F(ParameterVariablesTest, EachClassBuildsItsParametersInOrder) {
    for (const ClassUnderTest& cls : kAllClasses) {
        SCOPED_TRACE(cls.description->className);
        ComPtr<ICorrelation> object = Create(cls);
        ASSERT_TRUE(object);
        const bool d323_73_79 = cls.description == &kASTM_D323_73_79;
        const bool d6377_16 = cls.description == &kASTM_D6377_16;
        std::vector<std::pair<std::string, std::pair<double, int32_t>>> expected = {
            {"RVPRefTempValue", {d323_73_79 ? 37.778 : 37.78, 1}},
            {"RemoveNCmolPercent", {0.0, 64}},
        };
        if (d6377_16) expected.push_back({"VLRatioValue", {4.0, 127}});

        const std::vector<Parameter> actual = ParametersOf(object.get());
        ASSERT_EQ(actual.size(), expected.size());
        for (size_t i = 0; i < actual.size(); ++i) {
            EXPECT_EQ(actual[i].name, expected[i].first);
            EXPECT_EQ(actual[i].value, expected[i].second.first);
            EXPECT_EQ(actual[i].flags, expected[i].second.second);
        }
    }
}

TEST_F(ParameterVariablesTest, PhaseValuesIsAnAllFlagsVectorAndWithoutTheDocumentNoNameIsShown) {
    // This test program carries no variable-definition resource: the variables keep
    // their tagged names and get no display name.
    ASSERT_TRUE(VariableDefinitionText().empty());
    testsupport::FakeClient client;  // outlives the object that holds it
    ComPtr<ICorrelation> object = Create(kAllClasses[0]);
    IVariableSet* set = nullptr;
    int32_t cookie = 0;
    ASSERT_EQ(object->Attach(static_cast<ICorrelationClient*>(&client), 1, &cookie, &set), S_OK);
    auto phaseValues = FindIn<IRealVectorVariable>(set, "Phase_Values", IID_IRealVectorVariable);
    ASSERT_TRUE(phaseValues);
    int32_t flags = 0;
    phaseValues->GetFlags(&flags);
    EXPECT_EQ(flags, -1);
    EXPECT_EQ(DisplayName(phaseValues.get()), "");

    ComPtr<IVariableSet> parameters;
    object->get_Parameters(parameters.put());
    auto refTemp = FindIn<IRealVariable>(parameters.get(), "RVPRefTempValue", IID_IRealVariable);
    ASSERT_TRUE(refTemp);
    EXPECT_EQ(DisplayName(refTemp.get()), "");
}

TEST_F(ParameterVariablesTest, AnyFailingStepFailsCreationAndLeavesNothing) {
    struct Case {
        const char* operation;
        int32_t successesFirst;
    };
    // Creation runs: two sets, the vector, then one real variable per parameter.
    const Case cases[] = {
        {"DllGetClassObject", 0}, {"CreateInstance", 0}, {"CreateInstance", 2}, {"CreateInstance", 5},
        {"SetTaggedName", 0},     {"SetTaggedName", 3},  {"SetFlags", 0},       {"SetFlags", 3},
        {"Add", 0},               {"Add", 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.operation) + " after " + std::to_string(c.successesFirst));
        varhost.Reset();
        varhost.FailOperation(c.operation, c.successesFirst, E_OUTOFMEMORY);
        void* out = reinterpret_cast<void*>(1);
        EXPECT_EQ(CASTM_D6377_16::CreateInstance(&RecordingPhaseWithRatio, nullptr, IID_ICorrelation, &out), E_FAIL);
        EXPECT_EQ(out, nullptr);
        EXPECT_EQ(varhost.LiveObjects(), liveAtStart) << "what was made so far is released";
        EXPECT_EQ(ModuleLockCount(), locksAtStart);
    }
    varhost.Reset();
    varhost.FailOperation("SetValue", 0, E_FAIL);
    ComPtr<ICorrelation> object;
    EXPECT_EQ(CAPI_5B1_2::CreateInstance(&RecordingPhase, nullptr, IID_ICorrelation, object.put_void()), S_OK)
        << "a failing SetValue is not noticed";
}

TEST(CreateHostObject, StatusesAndNothingLeftBehind) {
    const auto varhost = testsupport::VarhostControl::Load();
    ASSERT_TRUE(varhost.Loaded());
    const int32_t live = varhost.LiveObjects();
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(CreateHostObject("novarhost.dll", CLSID_VariableSet, IID_IVariableSet, &out), E_FAIL);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(CreateHostObject(kVariableServerFile, IID_ICorrelation, IID_IUnknown, &out), E_FAIL)
        << "a class the server does not make";
    EXPECT_EQ(CreateHostObject(kVariableServerFile, CLSID_VariableSet, IID_IRealVariable, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    varhost.FailOperation("CreateInstance", 0, E_OUTOFMEMORY);
    EXPECT_EQ(CreateHostObject(kVariableServerFile, CLSID_VariableSet, IID_IVariableSet, &out), E_OUTOFMEMORY);
    varhost.Reset();
    EXPECT_EQ(CreateHostObject(kVariableServerFile, CLSID_VariableSet, IID_IVariableSet, nullptr), E_POINTER);
    EXPECT_EQ(varhost.LiveObjects(), live) << "class objects and instances are released";

    ComPtr<IVariableSet> set;
    ASSERT_EQ(CreateHostObject(kVariableServerFile, CLSID_VariableSet, IID_IVariableSet, set.put_void()), S_OK);
    EXPECT_EQ(varhost.LiveObjects(), live + 1) << "only the set: its class object was released";
}

std::string ShippedDocument() {
    std::ifstream file(VOLACOR_SOURCE_DIR "/server/resources/variable_definitions.xml", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

class VariableDefinitionTest : public CorrelationTest {
public:
    template <class T = IRealVariable>
    ComPtr<T> Make(const CLSID& classId, const IID& iid, const char* taggedName) {
        ComPtr<T> variable;
        EXPECT_EQ(CreateHostObject(kVariableServerFile, classId, iid, variable.put_void()), S_OK);
        variable->SetTaggedName(AnsiToBstr(taggedName).get());
        return variable;
    }
    std::vector<std::string> EnumTexts(IEnumeratedVariable* variable) {
        std::vector<std::string> texts;
        int32_t count = 0;
        variable->GetEnumCount(&count);
        for (int32_t i = 0; i < count; ++i) {
            BSTR text = nullptr;
            variable->GetEnumText(i, &text);
            const comrt::UniqueBstr owned(text);
            texts.push_back(ToUtf8(text));
        }
        return texts;
    }
};

TEST_F(VariableDefinitionTest, ShippedDocumentNamesEachVariable) {
    const std::string document = ShippedDocument();
    ASSERT_EQ(document.size(), 517u);
    const std::pair<const char*, const char*> cases[] = {
        {"RVPRefTempValue", "Ref.Temp.(C)"},
        {"RemoveNCmolPercent", "Remove NC Gases (Mole%)"},
        {"VLRatioValue", "Vapour/Liquid Volume Ratio"},
        {"Phase_Values", ""},  // its DisplayName is empty: none is set
    };
    for (const auto& [tagged, display] : cases) {
        SCOPED_TRACE(tagged);
        varhost.Reset();
        auto variable = Make(CLSID_RealVariable, IID_IRealVariable, tagged);
        EXPECT_TRUE(LoadVariableDefinitionFromText(document, tagged, variable.get()));
        EXPECT_EQ(DisplayName(variable.get()), display);
        EXPECT_EQ(TaggedName(variable.get()), tagged);
        EXPECT_EQ(varhost.CallCount("SetDisplayName"), *display ? 1 : 0);
        EXPECT_EQ(varhost.CallCount("SetTaggedName"), 2) << "set again from the document";
    }
}

TEST_F(VariableDefinitionTest, EnumTypeFillsTheTextsOfAnEnumeratedVariable) {
    const char* document =
        "<?xml version=\"1.0\"?><VariableDefinitions>"
        "<Variable DisplayName=\"Mode\" TaggedName=\"Mode\" Type=\"Enum\">"
        "<EnumValue>Off</EnumValue><EnumValue>On \xB0" "C</EnumValue><EnumValue>Auto</EnumValue></Variable>"
        "<Variable DisplayName=\"Lower\" TaggedName=\"Lower\" Type=\"enum\"><EnumValue>x</EnumValue></Variable>"
        "<Variable DisplayName=\"Upper\" TaggedName=\"Upper\" Type=\"ENUM\"><EnumValue>x</EnumValue></Variable>"
        "</VariableDefinitions>";
    auto mode = Make<IEnumeratedVariable>(CLSID_EnumeratedVariable, IID_IEnumeratedVariable, "Mode");
    EXPECT_TRUE(LoadVariableDefinitionFromText(document, "Mode", mode.get()));
    EXPECT_EQ(EnumTexts(mode.get()), (std::vector<std::string>{"Off", "On \xB0" "C", "Auto"}));
    EXPECT_EQ(varhost.LastInt("SetEnumFlagA"), 1);
    EXPECT_EQ(varhost.LastInt("SetEnumFlagB"), 0);
    EXPECT_EQ(DisplayName(mode.get()), "Mode");

    for (const char* notAnEnum : {"Lower", "Upper"}) {
        SCOPED_TRACE(notAnEnum);
        varhost.Reset();
        auto variable = Make<IEnumeratedVariable>(CLSID_EnumeratedVariable, IID_IEnumeratedVariable, notAnEnum);
        EXPECT_TRUE(LoadVariableDefinitionFromText(document, notAnEnum, variable.get()));
        EXPECT_TRUE(EnumTexts(variable.get()).empty()) << "the type's case counts";
        EXPECT_EQ(varhost.CallCount("SetEnumFlagA"), 0);
        EXPECT_EQ(DisplayName(variable.get()), notAnEnum);
    }

    // A plain real variable named as an enumeration only gets its names.
    auto real = Make(CLSID_RealVariable, IID_IRealVariable, "Mode");
    EXPECT_TRUE(LoadVariableDefinitionFromText(document, "Mode", real.get()));
    EXPECT_EQ(DisplayName(real.get()), "Mode");
}

TEST_F(VariableDefinitionTest, AnythingWrongWithTheDocumentLeavesTheVariableAlone) {
    const std::string shipped = ShippedDocument();
    const std::string cut = shipped.substr(0, 100) + std::string(1, '\0') + shipped.substr(100);
    const std::pair<const char*, std::string> cases[] = {
        {"empty", ""},
        {"not well formed", "<VariableDefinitions><Variable DisplayName=\"x\" TaggedName=\"RVPRefTempValue\">"},
        {"no entry for the name", "<VariableDefinitions><Variable DisplayName=\"x\" TaggedName=\"Other\"/>"
                                  "</VariableDefinitions>"},
        {"other root", "<Definitions><Variable DisplayName=\"x\" TaggedName=\"RVPRefTempValue\"/></Definitions>"},
        {"text ends at its first zero byte", cut},
    };
    for (const auto& [what, document] : cases) {
        SCOPED_TRACE(what);
        varhost.Reset();
        auto variable = Make(CLSID_RealVariable, IID_IRealVariable, "RVPRefTempValue");
        EXPECT_TRUE(LoadVariableDefinitionFromText(document, "RVPRefTempValue", variable.get()));
        EXPECT_EQ(DisplayName(variable.get()), "");
        EXPECT_EQ(varhost.CallCount("SetTaggedName"), 1) << "only the test's own";
    }
    EXPECT_FALSE(LoadVariableDefinitionFromText(shipped, "RVPRefTempValue", nullptr)) << "no variable";
}

}  // namespace
}  // namespace volacor::testing
