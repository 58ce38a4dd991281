// The library registers itself into a registry of the test's own, and a host then
// creates every class through the registry alone: by programmatic id, class id and the
// InprocServer32 path the registration recorded.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "comrt/codepage.h"
#include "comrt/com_ptr.h"
#include "comrt/create.h"
#include "comrt/guid.h"
#include "comrt/library.h"
#include "comrt/owners.h"
#include "comrt/registry.h"
#include "comrt/resource.h"
#include "comrt/xml.h"
#include "correlations/class_descriptions.h"
#include "host/correlation.h"
#include "runtime/tests/temp_registry.h"

namespace volacor {
namespace {

using comrt::ComPtr;
using comrt::registry::Key;
using comrt::registry::ParseKeyPath;
using NoArgumentFn = HRESULT (*)();

const ClassDescription* const kAll[] = {&kAPI_5B1_1,     &kAPI_5B1_2,     &kASTM_D323_73_79,
                                        &kASTM_D323_82,  &kASTM_D4953_91, &kASTM_D5191_91,
                                        &kASTM_D6377_16, &kOrvan_API,     &kModifiedASTM};

// "CAPI_5B1_1" -> "API_5B1_1"
std::string ShortName(const ClassDescription& d) { return std::string(d.className).substr(1); }

// The class id as the class's script writes it (two scripts use some lower case).
std::string ScriptClassId(const ClassDescription& d) {
    char text[39];
    comrt_GuidToString(d.classId, text, sizeof text);
    std::string id = text;
    if (ShortName(d) == "Orvan_API") id.replace(15, 4, "4e00");
    if (ShortName(d) == "ModifiedASTM") id.replace(15, 4, "490a");
    return id;
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

class RegistrationTest : public ::testing::Test {
public:
    void SetUp() override {
        library = CoLoadLibrary(u"volacor.dll", 0);
        ASSERT_NE(library, nullptr);
        registerServer = reinterpret_cast<NoArgumentFn>(GetProcAddress(library, "DllRegisterServer"));
        unregisterServer = reinterpret_cast<NoArgumentFn>(GetProcAddress(library, "DllUnregisterServer"));
        ASSERT_TRUE(registerServer && unregisterServer);
        char path[4096];
        ASSERT_GT(GetModuleFileNameA(library, path, sizeof path), 0u);
        libraryPath = std::filesystem::canonical(path).string();
    }
    void TearDown() override { FreeLibrary(library); }

    std::string Default(const std::string& key) const {
        const comrt::registry::Tree tree = comrt::registry::Load();
        const Key* found = tree.find(ParseKeyPath(key));
        if (!found) return "(no key)";
        return found->defaultValue().value_or("(no default)");
    }

    TempRegistry registry;
    HMODULE library = nullptr;
    NoArgumentFn registerServer = nullptr;
    NoArgumentFn unregisterServer = nullptr;
    std::string libraryPath;
};

TEST_F(RegistrationTest, RegistersEveryClassAndTheTypeLibraryAndUnregistersThem) {
    ASSERT_EQ(registerServer(), S_OK) << comrt::registry::LastError();
    for (const ClassDescription* d : kAll) {
        const std::string n = ShortName(*d), g = ScriptClassId(*d), prog = "HKCR\\Volacor." + n;
        SCOPED_TRACE(n);
        EXPECT_EQ(Default(prog + ".1"), n + " Class");
        EXPECT_EQ(Default(prog + ".1\\CLSID"), g);
        EXPECT_EQ(Default(prog), n + " Class");
        EXPECT_EQ(Default(prog + "\\CLSID"), g);
        EXPECT_EQ(Default(prog + "\\CurVer"), "Volacor." + n + ".1");
        const std::string clsid = "HKCR\\CLSID\\" + g;
        EXPECT_EQ(Default(clsid), n + " Class");
        EXPECT_EQ(Default(clsid + "\\ProgID"), "Volacor." + n + ".1");
        EXPECT_EQ(Default(clsid + "\\VersionIndependentProgID"), "Volacor." + n);
        EXPECT_EQ(Default(clsid + "\\Programmable"), "(no default)");
        EXPECT_EQ(Default(clsid + "\\InprocServer32"), libraryPath);
        EXPECT_EQ(Default(clsid + "\\TypeLib"), "{6E5879F4-7635-4AA2-B9D4-528B04C33D2C}");
        const comrt::registry::Tree tree = comrt::registry::Load();
        const Key* server = tree.find(ParseKeyPath(clsid + "\\InprocServer32"));
        ASSERT_NE(server, nullptr);
        ASSERT_NE(server->value("ThreadingModel"), nullptr);
        EXPECT_EQ(*server->value("ThreadingModel"), "Apartment");
        EXPECT_EQ(tree.find(ParseKeyPath(clsid))->name(), g) << "the script's spelling is kept";
        char iid[39];
        comrt_GuidToString(d->dualInterfaceId, iid, sizeof iid);
        EXPECT_EQ(Default(std::string("HKCR\\Interface\\") + iid), "I" + n);
    }
    const std::string typeLib = "HKCR\\TypeLib\\{6E5879F4-7635-4AA2-B9D4-528B04C33D2C}\\1.0";
    EXPECT_EQ(Default(typeLib), "Volacor 1.0 Type Library");
    EXPECT_EQ(Default(typeLib + "\\0\\win64"), libraryPath);
    EXPECT_EQ(Default(typeLib + "\\HELPDIR"), std::filesystem::path(libraryPath).parent_path().string());

    const std::string once = registry.Text();
    ASSERT_EQ(registerServer(), S_OK);
    EXPECT_EQ(registry.Text(), once) << "registering twice leaves one set of entries";

    ASSERT_EQ(unregisterServer(), S_OK) << comrt::registry::LastError();
    const comrt::registry::Tree after = comrt::registry::Load();
    const Key* classes = after.find(ParseKeyPath("HKCR\\CLSID"));
    ASSERT_NE(classes, nullptr) << "the CLSID key itself stays";
    EXPECT_TRUE(classes->subkeys().empty());
    for (const ClassDescription* d : kAll) {
        EXPECT_EQ(after.find(ParseKeyPath("HKCR\\Volacor." + ShortName(*d))), nullptr);
        EXPECT_EQ(after.find(ParseKeyPath("HKCR\\Volacor." + ShortName(*d) + ".1")), nullptr);
    }
    EXPECT_EQ(after.find(ParseKeyPath("HKCR\\TypeLib\\{6E5879F4-7635-4AA2-B9D4-528B04C33D2C}")), nullptr);
    EXPECT_TRUE(after.find(ParseKeyPath("HKCR\\Interface"))->subkeys().empty());
    EXPECT_EQ(registry.Leftovers(), 0);
}

TEST_F(RegistrationTest, ACorruptRegistryFailsRegistrationAndIsLeftAsItWas) {
    registry.Write("comrt registry 1\n[HKCR\\CLSID]\n@ = \"cut");
    const std::string before = registry.Text();
    EXPECT_EQ(registerServer(), REGDB_E_READREGDB);
    EXPECT_NE(comrt::registry::LastError().find(registry.file().string() + ", line 3"), std::string::npos)
        << comrt::registry::LastError();
    EXPECT_EQ(unregisterServer(), REGDB_E_READREGDB);
    EXPECT_EQ(registry.Text(), before);
}

TEST_F(RegistrationTest, TheScriptsAreCarriedByteForByte) {
    // Resource 111 as the class's registration script is written; the others differ only
    // in the class name and id.
    const std::string sample =
        "HKCR\r\n{\r\n"
        "\tVolacor.API_5B1_1.1 = s 'API_5B1_1 Class'\r\n\t{\r\n\t\tCLSID = s '{56B62C92-EC0D-4665-BD33-344EDA44A966}'\r\n\t}\r\n"
        "\tVolacor.API_5B1_1 = s 'API_5B1_1 Class'\r\n\t{\r\n"
        "\t\tCLSID = s '{56B62C92-EC0D-4665-BD33-344EDA44A966}'\r\n\t\tCurVer = s 'Volacor.API_5B1_1.1'\r\n\t}\r\n"
        "\tNoRemove CLSID\r\n\t{\r\n"
        "\t\tForceRemove {56B62C92-EC0D-4665-BD33-344EDA44A966} = s 'API_5B1_1 Class'\r\n\t\t{\r\n"
        "\t\t\tProgID = s 'Volacor.API_5B1_1.1'\r\n\t\t\tVersionIndependentProgID = s 'Volacor.API_5B1_1'\r\n"
        "\t\t\tForceRemove 'Programmable'\r\n"
        "\t\t\tInprocServer32 = s '%MODULE%'\r\n\t\t\t{\r\n\t\t\t\tval ThreadingModel = s 'Apartment'\r\n\t\t\t}\r\n"
        "\t\t\t'TypeLib' = s '{6E5879F4-7635-4AA2-B9D4-528B04C33D2C}'\r\n"
        "\t\t}\r\n\t}\r\n}\r\n";
    const std::pair<uint32_t, const ClassDescription*> scripts[] = {
        {111, &kAPI_5B1_1},     {112, &kAPI_5B1_2},     {113, &kASTM_D323_73_79},
        {114, &kASTM_D323_82},  {115, &kASTM_D4953_91}, {116, &kASTM_D5191_91},
        {117, &kOrvan_API},     {118, &kModifiedASTM},  {119, &kASTM_D6377_16}};
    for (const auto& [id, d] : scripts) {
        const std::string expected =
            ReplaceAll(ReplaceAll(sample, "API_5B1_1", ShortName(*d)), "{56B62C92-EC0D-4665-BD33-344EDA44A966}",
                       ScriptClassId(*d));
        const void* data = nullptr;
        uint32_t size = 0;
        ASSERT_EQ(comrt_FindResource(library, "REGISTRY", id, 1033, &data, &size), S_OK) << id;
        EXPECT_EQ(std::string(static_cast<const char*>(data), size), expected) << "REGISTRY " << id;
    }
}

TEST_F(RegistrationTest, CarriesItsNameAndVersionBlock) {
    const void* data = nullptr;
    uint32_t size = 0;
    ASSERT_EQ(comrt_FindResource(library, "#6", 100, 1033, &data, &size), S_OK);
    EXPECT_EQ(std::string(static_cast<const char*>(data), size), "Volacor");
    ASSERT_EQ(comrt_FindResource(library, "#16", 1, 1033, &data, &size), S_OK);
    const std::string version(static_cast<const char*>(data), size);
    for (const char* line : {"FILEVERSION 39.0.0.0\n", "PRODUCTVERSION 39.0.0.0\n", "FileVersion \"39, 0, 0, 0\"\n",
                             "ProductVersion \"39, 0, 0, 0\"\n", "FileDescription \"Volacor Module\"\n",
                             "ProductName \"Volacor Module\"\n", "InternalName \"Volacor\"\n",
                             "OriginalFilename \"Volacor.DLL\"\n", "OLESelfRegister \"\"\n"})
        EXPECT_NE(version.find(line), std::string::npos) << line;
}

TEST_F(RegistrationTest, EveryClassIsCreatedByItsProgrammaticIdThroughTheRegistry) {
    ASSERT_EQ(registerServer(), S_OK) << comrt::registry::LastError();
    for (const ClassDescription* d : kAll) {
        SCOPED_TRACE(d->className);
        for (const std::string& progId : {"Volacor." + ShortName(*d), "Volacor." + ShortName(*d) + ".1"}) {
            CLSID clsid{};
            ASSERT_EQ(CLSIDFromProgID(comrt::Utf8ToWide(progId).c_str(), &clsid), S_OK) << progId;
            EXPECT_TRUE(clsid == d->classId);
        }
        CLSID clsid{};
        ASSERT_EQ(CLSIDFromProgID(comrt::Utf8ToWide("volacor." + ShortName(*d)).c_str(), &clsid), S_OK)
            << "programmatic ids compare without regard to case";
        ComPtr<ICorrelation> object;
        ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_ICorrelation, object.put_void()), S_OK);
        BSTR name = nullptr;
        ASSERT_EQ(object->get_Name(&name), S_OK);
        const comrt::UniqueBstr ownedName(name);
        EXPECT_EQ(comrt::WideToAnsi(std::u16string_view(name, SysStringLen(name))), d->displayName);
        BSTR classId = nullptr;
        ASSERT_EQ(object->get_ClassId(&classId), S_OK);
        const comrt::UniqueBstr ownedClassId(classId);
        char expected[39];
        comrt_GuidToString(d->classId, expected, sizeof expected);
        EXPECT_EQ(comrt::WideToAnsi(std::u16string_view(classId, SysStringLen(classId))), expected);

        ComPtr<IClassFactory> first, second;
        ASSERT_EQ(CoGetClassObject(clsid, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory, first.put_void()), S_OK);
        ASSERT_EQ(CoGetClassObject(clsid, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory, second.put_void()), S_OK);
        EXPECT_EQ(first.get(), second.get()) << "one library, one class object";
    }
    // Nothing is held any more: the activation's load may go, and a later creation loads again.
    CoFreeUnusedLibraries();
    ComPtr<ICorrelation> again;
    EXPECT_EQ(CoCreateInstance(kASTM_D6377_16.classId, nullptr, CLSCTX_INPROC_SERVER, IID_ICorrelation, again.put_void()),
              S_OK);
}

TEST_F(RegistrationTest, ActivationFailuresSayWhatIsWrong) {
    const GUID unknown = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(CoCreateInstance(unknown, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &out), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(out, nullptr);
    CLSID clsid = unknown;
    EXPECT_EQ(CLSIDFromProgID(u"Volacor.Nothing", &clsid), CO_E_CLASSSTRING);
    EXPECT_TRUE(clsid == GUID{});

    const std::string key = "HKCR\\CLSID\\{12345678-1234-1234-0102-030405060708}\\InprocServer32";
    auto pointAt = [&](const std::string& path) {
        comrt::registry::Update([&](comrt::registry::Tree& tree) { tree.create(ParseKeyPath(key)).setDefault(path); });
    };
    pointAt((registry.folder() / "libmissing.so").string());
    EXPECT_EQ(CoCreateInstance(unknown, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &out), CO_E_DLLNOTFOUND);
    char runtimePath[4096];
    ASSERT_GT(GetModuleFileNameA(comrt_ModuleFromAddress(reinterpret_cast<const void*>(&CoCreateInstance)),
                                 runtimePath, sizeof runtimePath), 0u);
    pointAt(runtimePath);  // a library without DllGetClassObject
    EXPECT_EQ(CoCreateInstance(unknown, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &out), CO_E_ERRORINDLL);
    pointAt(libraryPath);  // the right library, but it does not serve this class
    EXPECT_EQ(CoCreateInstance(unknown, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &out), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(out, nullptr);

    // A CurVer naming an id that is not there: the key's own CLSID answers.
    comrt::registry::Update([&](comrt::registry::Tree& tree) {
        tree.create(ParseKeyPath("HKCR\\Test.Thing\\CLSID")).setDefault("{12345678-1234-1234-0102-030405060708}");
        tree.create(ParseKeyPath("HKCR\\Test.Thing\\CurVer")).setDefault("Test.Thing.9");
    });
    EXPECT_EQ(CLSIDFromProgID(u"Test.Thing", &clsid), S_OK);
    EXPECT_TRUE(clsid == unknown);

    registry.Write("not a registry\n");
    EXPECT_EQ(CoCreateInstance(kAPI_5B1_1.classId, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &out), REGDB_E_READREGDB);
    EXPECT_NE(comrt::registry::LastError().find(registry.file().string()), std::string::npos);
    EXPECT_EQ(CLSIDFromProgID(u"Volacor.API_5B1_1", &clsid), REGDB_E_READREGDB);
    // The runtime's own services need no registry at all.
    ComPtr<IUnknown> document;
    EXPECT_EQ(CoCreateInstance(CLSID_DOMDocument60, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument,
                               document.put_void()),
              S_OK);
    ComPtr<IClassFactory> factory;
    EXPECT_EQ(CoGetClassObject(CLSID_DOMDocument60, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory, factory.put_void()),
              S_OK);
}

}  // namespace
}  // namespace volacor
