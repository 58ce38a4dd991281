// The variable server behaves as the host's documented interfaces say, since the
// library and its tests rely on it: clones, lookups, vectors, enumeration texts, copies,
// class objects, and the counters and failure switches of its testing mode.
#include <gtest/gtest.h>

#include "comrt/com_ptr.h"
#include "comrt/library.h"
#include "comrt/memory.h"
#include "comrt/owners.h"
#include "host/phase.h"
#include "host/variables.h"
#include "testsupport/varhost/varhost_control.h"

namespace volacor::testsupport {
namespace {

using comrt::ComPtr;
using GetClassObjectFn = HRESULT (*)(const GUID&, const GUID&, void**);

comrt::UniqueBstr Text(const char16_t* text) { return comrt::UniqueBstr(SysAllocString(text)); }

class VarhostTest : public ::testing::Test {
public:
    void SetUp() override {
        control = VarhostControl::Load();
        ASSERT_TRUE(control.Loaded());
        control.Reset();
        getClassObject = reinterpret_cast<GetClassObjectFn>(
            GetProcAddress(CoLoadLibrary(u"varhost2.dll", 1), "DllGetClassObject"));
        ASSERT_NE(getClassObject, nullptr);
        live = control.LiveObjects();
    }
    void TearDown() override {
        control.Reset();
        EXPECT_EQ(control.LiveObjects(), live);
    }

    template <class T>
    ComPtr<T> Make(const CLSID& classId, const IID& iid, const char16_t* taggedName = nullptr) {
        ComPtr<IClassFactory> factory;
        ComPtr<T> made;
        EXPECT_EQ(getClassObject(classId, IID_IClassFactory, factory.put_void()), S_OK);
        EXPECT_EQ(factory->CreateInstance(nullptr, iid, made.put_void()), S_OK);
        if (taggedName) {
            ComPtr<IHostVariable> variable;
            made->QueryInterface(IID_IHostVariable, variable.put_void());
            variable->SetTaggedName(Text(taggedName).get());
        }
        return made;
    }

    VarhostControl control;
    GetClassObjectFn getClassObject = nullptr;
    int32_t live = 0;
};

TEST_F(VarhostTest, CloneMakesANewSetOrFillsInWhatAnExistingOneLacks) {
    auto templateSet = Make<IVariableSet>(CLSID_VariableSet, IID_IVariableSet);
    auto vector = Make<IRealVectorVariable>(CLSID_RealVectorVariable, IID_IRealVectorVariable, u"Phase_Values");
    auto real = Make<IRealVariable>(CLSID_RealVariable, IID_IRealVariable, u"Other");
    vector->SetFlags(-1);
    vector->SetElement(2, 1.5);
    templateSet->Add(vector.get());
    templateSet->Add(real.get());

    IVariableSet* fresh = nullptr;
    ASSERT_EQ(templateSet->Clone(&fresh), S_OK);
    ComPtr<IVariableSet> owned = ComPtr<IVariableSet>::Attach(fresh);
    ComPtr<IUnknown> copy;
    ASSERT_EQ(fresh->FindVariable(Text(u"Phase_Values").get(), copy.put()), S_OK);
    EXPECT_NE(copy.get(), static_cast<IUnknown*>(vector.get())) << "a duplicate, not the template's variable";
    ComPtr<IRealVectorVariable> copied;
    ASSERT_EQ(copy->QueryInterface(IID_IRealVectorVariable, copied.put_void()), S_OK);
    double value = 0;
    int32_t flags = 0, length = 0;
    copied->GetElement(2, &value);
    copied->GetFlags(&flags);
    copied->GetLength(&length);
    EXPECT_EQ(value, 1.5);
    EXPECT_EQ(flags, -1);
    EXPECT_EQ(length, 3);
    copied->GetElement(1, &value);
    EXPECT_EQ(value, EMPTY_VALUE) << "growing fills with the empty mark";
    copied->GetElement(7, &value);
    EXPECT_EQ(value, EMPTY_VALUE) << "past the end reads empty";

    // A set already there receives only what it lacks and keeps the caller's reference.
    auto existing = Make<IVariableSet>(CLSID_VariableSet, IID_IVariableSet);
    auto own = Make<IRealVariable>(CLSID_RealVariable, IID_IRealVariable, u"Other");
    existing->Add(own.get());
    IVariableSet* location = existing.get();
    ASSERT_EQ(templateSet->Clone(&location), S_OK);
    EXPECT_EQ(location, existing.get());
    int32_t count = 0;
    existing->GetCount(&count);
    EXPECT_EQ(count, 2);
    ComPtr<IUnknown> kept;
    existing->FindVariable(Text(u"Other").get(), kept.put());
    EXPECT_EQ(kept.get(), static_cast<IUnknown*>(own.get()));
}

TEST_F(VarhostTest, LookupsValuesAndModification) {
    auto set = Make<IVariableSet>(CLSID_VariableSet, IID_IVariableSet);
    auto real = Make<IRealVariable>(CLSID_RealVariable, IID_IRealVariable, u"T");
    set->Add(real.get());
    ComPtr<IUnknown> none;
    EXPECT_EQ(set->FindVariable(Text(u"Missing").get(), none.put()), S_FALSE);
    EXPECT_EQ(none.get(), nullptr);
    int32_t index = 0;
    EXPECT_EQ(set->IndexOf(Text(u"Missing").get(), &index), S_FALSE);
    EXPECT_EQ(index, -1);

    double value = 0;
    real->GetValue(&value);
    EXPECT_EQ(value, EMPTY_VALUE) << "a new variable holds no value";
    set->ResetModified();
    BOOL modified = 1;
    set->GetModified(&modified);
    EXPECT_EQ(modified, 0);
    real->SetValue(25.0);
    set->GetModified(&modified);
    EXPECT_EQ(modified, 1);

    ComPtr<IUnknown> duplicate;
    ASSERT_EQ(real->Duplicate(duplicate.put()), S_OK);
    ComPtr<IRealVariable> twin;
    duplicate->QueryInterface(IID_IRealVariable, twin.put_void());
    twin->GetValue(&value);
    EXPECT_EQ(value, 25.0);
    EXPECT_EQ(set->Remove(Text(u"T").get()), S_OK);
    EXPECT_EQ(set->Remove(Text(u"T").get()), S_FALSE);
}

TEST_F(VarhostTest, CountersAndFailureSwitches) {
    auto real = Make<IRealVariable>(CLSID_RealVariable, IID_IRealVariable);
    EXPECT_EQ(control.LiveObjects(), live + 1) << "the class object went with its last reference";
    control.FailOperation("SetValue", 1, E_OUTOFMEMORY);
    EXPECT_EQ(real->SetValue(1.0), S_OK);
    EXPECT_EQ(real->SetValue(2.0), E_OUTOFMEMORY);
    EXPECT_EQ(real->SetValue(3.0), E_OUTOFMEMORY);
    EXPECT_EQ(control.CallCount("SetValue"), 3);
    real->SetFlags(64);
    EXPECT_EQ(control.LastInt("SetFlags"), 64);
    control.Reset();
    EXPECT_EQ(real->SetValue(4.0), S_OK);
    EXPECT_EQ(control.CallCount("SetValue"), 1);
}

TEST_F(VarhostTest, BothKindsOfVariableAnswerTheEnumeratedInterface) {
    auto vector = Make<IRealVectorVariable>(CLSID_RealVectorVariable, IID_IRealVectorVariable, u"Phase_Values");
    ComPtr<IEnumeratedVariable> texts;
    ASSERT_EQ(vector->QueryInterface(IID_IEnumeratedVariable, texts.put_void()), S_OK);
    // One object whichever face is asked: the same identity, names and values.
    ComPtr<IUnknown> fromVector, fromTexts;
    vector->QueryInterface(IID_IUnknown, fromVector.put_void());
    texts->QueryInterface(IID_IUnknown, fromTexts.put_void());
    EXPECT_EQ(fromVector.get(), fromTexts.get());
    BSTR name = nullptr;
    ASSERT_EQ(texts->GetTaggedName(&name), S_OK);
    EXPECT_EQ(std::u16string(name), u"Phase_Values");
    SysFreeString(name);
    EXPECT_EQ(texts->SetEnumText(1, Text(u"VAP").get()), S_OK);
    EXPECT_EQ(texts->SetEnumText(0, Text(u"FEED").get()), S_OK);
    EXPECT_EQ(texts->SetValue(12.5), S_OK) << "the enumerated value of a vector is its element 0";
    double element = 0;
    vector->GetElement(0, &element);
    EXPECT_EQ(element, 12.5);

    // A client's copy keeps the texts.
    auto set = Make<IVariableSet>(CLSID_VariableSet, IID_IVariableSet);
    set->Add(vector.get());
    IVariableSet* copy = nullptr;
    ASSERT_EQ(set->Clone(&copy), S_OK);
    ComPtr<IVariableSet> owned = ComPtr<IVariableSet>::Attach(copy);
    ComPtr<IUnknown> found;
    ComPtr<IEnumeratedVariable> copiedTexts;
    ASSERT_EQ(copy->FindVariable(Text(u"Phase_Values").get(), found.put()), S_OK);
    ASSERT_EQ(found->QueryInterface(IID_IEnumeratedVariable, copiedTexts.put_void()), S_OK);
    int32_t count = 0;
    copiedTexts->GetEnumCount(&count);
    EXPECT_EQ(count, 2);
    BSTR text = nullptr;
    ASSERT_EQ(copiedTexts->GetEnumText(1, &text), S_OK);
    EXPECT_EQ(std::u16string(text), u"VAP");
    SysFreeString(text);
    EXPECT_EQ(copiedTexts->GetEnumText(2, &text), E_INVALIDARG);
    EXPECT_EQ(text, nullptr);

    auto real = Make<IRealVariable>(CLSID_RealVariable, IID_IRealVariable, u"Mode");
    ComPtr<IEnumeratedVariable> choices;
    ASSERT_EQ(real->QueryInterface(IID_IEnumeratedVariable, choices.put_void()), S_OK);
    choices->SetValue(2.0);
    double value = 0;
    real->GetValue(&value);
    EXPECT_EQ(value, 2.0);
    ComPtr<IRealVectorVariable> notAVector;
    EXPECT_EQ(real->QueryInterface(IID_IRealVectorVariable, notAVector.put_void()), E_NOINTERFACE);
    EXPECT_EQ(notAVector.get(), nullptr);
}

TEST_F(VarhostTest, ClassObjectsServeTheThreeClassesAlone) {
    ComPtr<IClassFactory> factory;
    EXPECT_EQ(getClassObject(IID_IVariableSet, IID_IClassFactory, factory.put_void()), CLASS_E_CLASSNOTAVAILABLE)
        << "an interface id is no class id";
    EXPECT_EQ(factory.get(), nullptr);
    ASSERT_EQ(getClassObject(CLSID_RealVariable, IID_IClassFactory, factory.put_void()), S_OK);
    ComPtr<IUnknown> made;
    ComPtr<IUnknown> outer;
    getClassObject(CLSID_VariableSet, IID_IClassFactory, outer.put_void());  // any object will do as outer
    EXPECT_EQ(factory->CreateInstance(outer.get(), IID_IUnknown, made.put_void()), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IVariableSet, made.put_void()), E_NOINTERFACE);
    EXPECT_EQ(made.get(), nullptr);
}

TEST_F(VarhostTest, WithTestingOffNoFailureIsInjectedAndNothingCounted) {
    const auto enable = reinterpret_cast<varhost_EnableTestingFn>(
        GetProcAddress(CoLoadLibrary(u"varhost2.dll", 1), "varhost_EnableTesting"));
    ASSERT_NE(enable, nullptr);
    auto real = Make<IRealVariable>(CLSID_RealVariable, IID_IRealVariable);
    control.FailOperation("SetValue", 0, E_FAIL);
    enable(0);
    EXPECT_EQ(real->SetValue(1.0), S_OK);
    enable(1);
    EXPECT_EQ(real->SetValue(1.0), E_FAIL);
    EXPECT_EQ(control.CallCount("SetValue"), 1) << "only the call made while testing was on";
}

}  // namespace
}  // namespace volacor::testsupport
