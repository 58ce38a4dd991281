// Component libraries: the .dll name mapping, loading and failing to load, exports,
// module paths, and the pass that unloads libraries their DllCanUnloadNow releases.
#include <dlfcn.h>

#include <cstring>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "comrt/library.h"
#include "comrt/memory.h"
#include "comrt/owners.h"

namespace {

const std::string kFixturePath = std::string(COMRT_FIXTURE_RUNPATH_DIR) + "/libcomrtwhich.so";

bool IsLoaded(const std::string& path) {
    void* handle = dlopen(path.c_str(), RTLD_LAZY | RTLD_NOLOAD);
    if (handle) dlclose(handle);
    return handle != nullptr;
}

std::string FileNameOf(HMODULE module) {
    char buffer[4096];
    const uint32_t length = GetModuleFileNameA(module, buffer, sizeof buffer);
    return length ? std::string(buffer, length) : std::string("(failed)");
}

TEST(MapLibraryName, DllSuffixInAnyCaseBecomesASharedObjectName) {
    const struct {
        const char* name;
        const char* mapped;
    } cases[] = {
        {"varhost2.dll", "libvarhost2.so"},
        {"varhost2.DLL", "libvarhost2.so"},
        {"Volacor.Dll", "libVolacor.so"},  // the stem keeps its case: file names are case-sensitive
        {"/opt/host/varhost2.dll", "/opt/host/libvarhost2.so"},
        {"dir.dll/varhost2.dll", "dir.dll/libvarhost2.so"},
        {"libvarhost2.so", "libvarhost2.so"},
        {"varhost2.dll.bak", "varhost2.dll.bak"},
        {"varhost2dll", "varhost2dll"},
        {".dll", ".dll"},
        {"/opt/.dll", "/opt/.dll"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(comrt::MapLibraryName(c.name), c.mapped) << c.name;
}

TEST(LoadLibrary, MissingLibrariesAndExportsGiveNull) {
    EXPECT_EQ(CoLoadLibrary(u"nosuchcomponent.dll", 1), nullptr);
    EXPECT_EQ(CoLoadLibrary(nullptr, 0), nullptr);
    EXPECT_EQ(LoadLibraryA("/nonexistent/libnosuch.so"), nullptr);
    EXPECT_EQ(LoadLibraryA(""), nullptr);
    EXPECT_EQ(LoadLibraryA(nullptr), nullptr);
    EXPECT_EQ(FreeLibrary(nullptr), 0);

    comrt::UniqueLibrary library(LoadLibraryA(kFixturePath.c_str()));
    ASSERT_TRUE(library);
    EXPECT_NE(GetProcAddress(library.get(), "DllCanUnloadNow"), nullptr);
    EXPECT_EQ(GetProcAddress(library.get(), "DllGetClassObject"), nullptr);
    EXPECT_EQ(GetProcAddress(library.get(), nullptr), nullptr);
    EXPECT_EQ(GetProcAddress(nullptr, "DllCanUnloadNow"), nullptr);
    // The library depends on the runtime, but the runtime's exports are not its own.
    EXPECT_EQ(GetProcAddress(library.get(), "CoTaskMemAlloc"), nullptr);
}

TEST(LoadLibrary, EachLoadIsReleasedOnce) {
    HMODULE first = CoLoadLibrary(u"comrtwhich.dll", 0);
    HMODULE second = LoadLibraryA(kFixturePath.c_str());
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    EXPECT_EQ(FreeLibrary(first), 1);
    EXPECT_TRUE(IsLoaded(kFixturePath)) << "one load is still held";
    EXPECT_EQ(FreeLibrary(second), 1);
    EXPECT_FALSE(IsLoaded(kFixturePath));
}

TEST(ModuleFileName, FullPathsOfModulesAndTheExecutable) {
    comrt::UniqueLibrary library(LoadLibraryA(kFixturePath.c_str()));
    ASSERT_TRUE(library);
    EXPECT_EQ(FileNameOf(library.get()), kFixturePath);
    EXPECT_EQ(FileNameOf(nullptr), std::filesystem::read_symlink("/proc/self/exe").string());
    EXPECT_EQ(FileNameOf(comrt_ModuleFromAddress(reinterpret_cast<const void*>(&FileNameOf))),
              std::filesystem::read_symlink("/proc/self/exe").string());
}

TEST(ModuleFileName, APathThatDoesNotFitGivesZeroNotACutPath) {
    comrt::UniqueLibrary library(LoadLibraryA(kFixturePath.c_str()));
    ASSERT_TRUE(library);
    const uint32_t length = static_cast<uint32_t>(kFixturePath.size());
    std::string buffer(length + 8, '#');
    EXPECT_EQ(GetModuleFileNameA(library.get(), buffer.data(), length + 1), length) << "exact fit";
    EXPECT_EQ(buffer.substr(0, length + 2), kFixturePath + '\0' + '#');

    buffer.assign(length + 8, '#');
    EXPECT_EQ(GetModuleFileNameA(library.get(), buffer.data(), length), 0u) << "no room for the zero";
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(buffer.find_first_not_of('#', 1), std::string::npos) << "nothing past the first byte";
    EXPECT_EQ(GetModuleFileNameA(library.get(), nullptr, 100), 0u);
}

// Puts back the process's own executable when a test that named another one ends.
struct HostExecutableReset {
    ~HostExecutableReset() { comrt_SetHostExecutable(nullptr); }
};

TEST(HostExecutable, AnEmbeddedHostNamesTheProgramItStandsFor) {
    HostExecutableReset reset;
    const std::string own = std::filesystem::read_symlink("/proc/self/exe").string();
    const std::string standIn = "/opt/volacor/bin/volacor";
    ASSERT_EQ(comrt_SetHostExecutable(standIn.c_str()), S_OK);
    EXPECT_EQ(FileNameOf(nullptr), standIn);
    EXPECT_EQ(FileNameOf(comrt_ModuleFromAddress(reinterpret_cast<const void*>(&FileNameOf))), standIn)
        << "the executable's own handle answers the same";
    comrt::UniqueLibrary library(LoadLibraryA(kFixturePath.c_str()));
    ASSERT_TRUE(library);
    EXPECT_EQ(FileNameOf(library.get()), kFixturePath) << "libraries keep their own paths";

    const struct {
        const char* path;
        HRESULT status;
        std::string answered;  // GetModuleFileNameA(nullptr) afterwards
    } cases[] = {
        {"bin/volacor", E_INVALIDARG, standIn},  // relative: refused, the setting stays
        {"./volacor", E_INVALIDARG, standIn},
        {"", S_OK, own},                          // empty: back to /proc/self/exe
        {"/usr/local/bin/volacor", S_OK, "/usr/local/bin/volacor"},
        {nullptr, S_OK, own},                     // null: back as well
    };
    for (const auto& c : cases) {
        EXPECT_EQ(comrt_SetHostExecutable(c.path), c.status) << (c.path ? c.path : "(null)");
        EXPECT_EQ(FileNameOf(nullptr), c.answered) << (c.path ? c.path : "(null)");
    }
}

TEST(HostExecutable, APathThatDoesNotFitGivesZeroNotACutPath) {
    HostExecutableReset reset;
    const std::string standIn = "/opt/volacor/bin/volacor";
    ASSERT_EQ(comrt_SetHostExecutable(standIn.c_str()), S_OK);
    const uint32_t length = static_cast<uint32_t>(standIn.size());
    std::string buffer(length + 8, '#');
    EXPECT_EQ(GetModuleFileNameA(nullptr, buffer.data(), length + 1), length) << "exact fit";
    EXPECT_EQ(buffer.substr(0, length + 1), standIn + '\0');
    buffer.assign(length + 8, '#');
    EXPECT_EQ(GetModuleFileNameA(nullptr, buffer.data(), length), 0u) << "no room for the zero";
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(buffer.find_first_not_of('#', 1), std::string::npos) << "nothing past the first byte";
}

TEST(ModuleFromAddress, FindsTheModuleHoldingCodeAndNothingForOtherMemory) {
    comrt::UniqueLibrary library(LoadLibraryA(kFixturePath.c_str()));
    ASSERT_TRUE(library);
    const void* exported = GetProcAddress(library.get(), "comrt_fixture_which");
    ASSERT_NE(exported, nullptr);
    EXPECT_EQ(comrt_ModuleFromAddress(exported), library.get());

    const std::string runtime = FileNameOf(comrt_ModuleFromAddress(reinterpret_cast<const void*>(&SysAllocString)));
    EXPECT_EQ(std::filesystem::path(runtime).filename(), "libcomrt.so");

    int onTheStack = 0;
    EXPECT_EQ(comrt_ModuleFromAddress(&onTheStack), nullptr);
    EXPECT_EQ(comrt_ModuleFromAddress(nullptr), nullptr);
}

using SetCanUnload = void (*)(HRESULT);

TEST(FreeUnusedLibraries, UnloadsOnlyWhatDllCanUnloadNowReleases) {
    HMODULE library = CoLoadLibrary(u"comrtwhich.dll", 1);
    ASSERT_NE(library, nullptr);
    auto setCanUnload = reinterpret_cast<SetCanUnload>(GetProcAddress(library, "comrt_fixture_set_can_unload"));
    ASSERT_NE(setCanUnload, nullptr);

    setCanUnload(S_FALSE);
    CoFreeUnusedLibraries();
    EXPECT_TRUE(IsLoaded(kFixturePath)) << "S_FALSE keeps the library";

    setCanUnload(S_OK);
    CoFreeUnusedLibraries();
    EXPECT_FALSE(IsLoaded(kFixturePath));
    CoFreeUnusedLibraries();  // a second pass has nothing left to give back
}

TEST(FreeUnusedLibraries, AnotherHoldersLoadKeepsTheLibrary) {
    comrt::UniqueLibrary held(LoadLibraryA(kFixturePath.c_str()));
    ASSERT_TRUE(held);
    HMODULE autoFree = CoLoadLibrary(u"comrtwhich.dll", 1);
    ASSERT_EQ(autoFree, held.get());
    auto setCanUnload = reinterpret_cast<SetCanUnload>(GetProcAddress(autoFree, "comrt_fixture_set_can_unload"));
    ASSERT_NE(setCanUnload, nullptr);
    setCanUnload(S_OK);
    CoFreeUnusedLibraries();
    EXPECT_TRUE(IsLoaded(kFixturePath)) << "only the auto-free load is given back";
    held.reset();
    EXPECT_FALSE(IsLoaded(kFixturePath));
}

}  // namespace
