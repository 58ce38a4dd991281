// The host's table of methods against what the library's objects say of themselves, the
// keys a method is found by, the parameters, and the manager's own failures.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

#include "comrt/create.h"
#include "comrt/guid.h"
#include "comrt/library.h"
#include "refhost/manager/correlation_manager.h"

namespace refhost {
namespace {

std::string GuidText(const CLSID& id) {
    char text[39];
    EXPECT_EQ(comrt_GuidToString(id, text, sizeof text), S_OK);
    return text;
}

TEST(MethodTable, EveryEntryMatchesWhatItsObjectReports) {
    const CorrelationManager manager = CorrelationManager::FromLibrary(VOLACOR_LIBRARY_PATH);
    EXPECT_EQ(manager.activation(), Activation::LibraryFile);
    ASSERT_EQ(Methods().size(), 9u);
    std::set<std::string_view> shortNames, classIds;
    for (const MethodInfo& m : Methods()) {
        SCOPED_TRACE(std::string(m.className));
        Correlation c = manager.Create(m);
        EXPECT_EQ(c.name(), m.displayName);
        EXPECT_EQ(c.classId(), GuidText(m.classId));
        EXPECT_EQ(c.parameters().vlRatio.has_value(), m.hasVlRatio);
        EXPECT_TRUE(shortNames.insert(m.shortName).second) << "short names are unique";
        for (char ch : m.shortName) EXPECT_FALSE(std::isupper(static_cast<unsigned char>(ch)));
        EXPECT_EQ(std::string(m.progId), "Volacor." + std::string(m.className.substr(1)));

        const std::string progId(m.progId);
        std::string upper(m.shortName);
        for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        for (const std::string& key : {std::string(m.shortName), upper, std::string(m.className), progId,
                                       progId + ".1", GuidText(m.classId)})
            EXPECT_EQ(FindMethod(key), &m) << key;
        EXPECT_EQ(FindMethod(m.classId), &m);
    }
    for (const char* key : {"", "d6377", "Volacor.ASTM_D6377_16.2", "{00000000-0000-0000-0000-000000000000}", "{bad"})
        EXPECT_EQ(FindMethod(key), nullptr) << key;
}

TEST(MethodTable, ParametersReadAndWriteThroughTheObjectsVariables) {
    const CorrelationManager manager = CorrelationManager::FromLibrary(VOLACOR_LIBRARY_PATH);
    Correlation d6377 = manager.Create("d6377-16");
    Parameters p = d6377.parameters();
    EXPECT_EQ(p.referenceTemperature_C, 37.78);
    EXPECT_EQ(p.removeNcMolePercent, 0.0);
    EXPECT_EQ(p.vlRatio, 4.0);
    d6377.SetParameters({.removeNcMolePercent = 1.5, .vlRatio = 3.0});
    p = d6377.parameters();
    EXPECT_EQ(p.referenceTemperature_C, 37.78) << "a parameter not given is left alone";
    EXPECT_EQ(p.removeNcMolePercent, 1.5);
    EXPECT_EQ(p.vlRatio, 3.0);
    EXPECT_EQ(manager.Create("d323-73").parameters().referenceTemperature_C, 37.778);

    Correlation d4953 = manager.Create("d4953-91");
    try {
        d4953.SetParameters({.referenceTemperature_C = 30.0, .vlRatio = 3.0});
        ADD_FAILURE() << "a ratio for a method without one";
    } catch (const CorrelationError& e) {
        EXPECT_EQ(e.status(), E_INVALIDARG);
        EXPECT_NE(std::string(e.what()).find("VLRatioValue"), std::string::npos) << e.what();
    }
}

TEST(MethodTable, TheManagersOwnFailuresSayWhatFailed) {
    const auto message = [](auto&& action) {
        try {
            action();
        } catch (const CorrelationError& e) {
            return std::string(e.what());
        }
        return std::string("no CorrelationError");
    };
    EXPECT_NE(message([] { CorrelationManager::FromLibrary("/nonexistent/libvolacor.so"); }).find("/nonexistent/libvolacor.so"),
              std::string::npos);
    const std::string library = VOLACOR_LIBRARY_PATH;
    const std::string runtime = library.substr(0, library.rfind('/')) + "/libcomrt.so";
    EXPECT_NE(message([&] { CorrelationManager::FromLibrary(runtime); }).find("DllGetClassObject"), std::string::npos);
    const CorrelationManager manager = CorrelationManager::FromLibrary(library);
    const std::string unknown = message([&] { manager.Create("d9999"); });
    EXPECT_NE(unknown.find("\"d9999\""), std::string::npos) << unknown;
    EXPECT_NE(unknown.find("d6377-16"), std::string::npos) << "lists the methods known: " << unknown;

    // Through a registry that holds nothing, creation fails naming the ProgID.
    const std::string empty = ::testing::TempDir() + "/empty-registry";
    ::setenv("COMRT_REGISTRY", empty.c_str(), 1);
    const std::string unregistered = message([] { CorrelationManager::FromRegistry().Create("d6377-16"); });
    ::unsetenv("COMRT_REGISTRY");
    EXPECT_NE(unregistered.find("Volacor.ASTM_D6377_16"), std::string::npos) << unregistered;
}

// Registered into a registry of the test's own, every method is created by ProgID and
// is the object the table names; unregistered, none is.
TEST(MethodTable, ThroughTheRegistryEveryMethodIsFoundByItsProgId) {
    const std::string registry = ::testing::TempDir() + "/refhost-registry";
    std::remove(registry.c_str());
    ::setenv("COMRT_REGISTRY", registry.c_str(), 1);
    HMODULE library = LoadLibraryA(VOLACOR_LIBRARY_PATH);
    ASSERT_NE(library, nullptr);
    using EntryFn = HRESULT (*)();
    const auto registerServer = reinterpret_cast<EntryFn>(GetProcAddress(library, "DllRegisterServer"));
    const auto unregisterServer = reinterpret_cast<EntryFn>(GetProcAddress(library, "DllUnregisterServer"));
    ASSERT_TRUE(registerServer && unregisterServer);
    ASSERT_EQ(registerServer(), S_OK);
    {
        const CorrelationManager manager = CorrelationManager::FromRegistry();
        EXPECT_EQ(manager.activation(), Activation::Registry);
        for (const MethodInfo& m : Methods()) {
            SCOPED_TRACE(std::string(m.shortName));
            Correlation c = manager.Create(m);
            EXPECT_EQ(c.classId(), GuidText(m.classId));
            EXPECT_EQ(c.name(), m.displayName);
        }
    }
    EXPECT_EQ(unregisterServer(), S_OK);
    EXPECT_THROW(CorrelationManager::FromRegistry().Create("api-5b1.2"), CorrelationError);
    FreeLibrary(library);
    CoFreeUnusedLibraries();
    ::unsetenv("COMRT_REGISTRY");
    std::remove(registry.c_str());
}

}  // namespace
}  // namespace refhost
