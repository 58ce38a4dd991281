// Finding, loading and calling the API 5B1.1 companion library.
#include "methods/api_5b1_1_companion.h"

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace volacor::api_5b1_1 {
namespace {

// A small generator of the library's own (xorshift32, Marsaglia 2003), so the key never
// depends on who else draws from the process-wide rand().
class KeyStream {
public:
    constexpr explicit KeyStream(uint32_t seed) : state_(seed) {}
    constexpr uint8_t Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return static_cast<uint8_t>(state_ >> 24);
    }

private:
    uint32_t state_;
};

constexpr uint32_t NAME_KEY_SEED = 0x5B11C0DEu;

struct ScrambledName {
    uint8_t bytes[COMPANION_NAME_LENGTH];
};

// Runs at compile time only: the plain name never reaches the object file.
consteval ScrambledName Scramble(const char (&plain)[COMPANION_NAME_LENGTH + 1]) {
    ScrambledName out{};
    KeyStream key(NAME_KEY_SEED);
    for (size_t i = 0; i < COMPANION_NAME_LENGTH; ++i)
        out.bytes[i] = static_cast<uint8_t>(static_cast<uint8_t>(plain[i]) ^ key.Next());
    return out;
}

constexpr ScrambledName SCRAMBLED_NAME = Scramble("libapi5b11companion.so");

// The process-wide link: set once on success, kept until the process ends.
HMODULE companionModule = nullptr;
CompanionEntry companionEntry = nullptr;
// The seams; empty means the production behaviour.
char directoryOverride[PATH_MAX] = {};
CompanionLoader loader = nullptr;

HMODULE LoadCompanionLibrary() noexcept {
    char executablePath[PATH_MAX];
    if (directoryOverride[0]) {
        // The override stands for an executable inside that directory.
        const int written = std::snprintf(executablePath, sizeof executablePath, "%s/x", directoryOverride);
        if (written < 0 || static_cast<size_t>(written) >= sizeof executablePath) return nullptr;
    } else if (GetModuleFileNameA(nullptr, executablePath, sizeof executablePath) == 0) {
        return nullptr;  // no path, or one that did not fit: never load from a cut directory
    }
    char path[PATH_MAX];
    if (!CompanionPathBeside(executablePath, path, sizeof path)) return nullptr;
    return (loader ? loader : LoadLibraryA)(path);
}

}  // namespace

void UnscrambleCompanionName(char (&name)[COMPANION_NAME_LENGTH + 1]) noexcept {
    KeyStream key(NAME_KEY_SEED);
    for (size_t i = 0; i < COMPANION_NAME_LENGTH; ++i)
        name[i] = static_cast<char>(SCRAMBLED_NAME.bytes[i] ^ key.Next());
    name[COMPANION_NAME_LENGTH] = '\0';
}

bool CompanionPathBeside(const char* executablePath, char* path, size_t size) noexcept {
    if (!executablePath || !path || size == 0) return false;
    const char* lastSlash = std::strrchr(executablePath, '/');
    if (!lastSlash) return false;
    const size_t directoryLength = static_cast<size_t>(lastSlash - executablePath) + 1;
    if (directoryLength <= 2) return false;
    if (directoryLength + COMPANION_NAME_LENGTH + 1 > size) return false;
    std::memcpy(path, executablePath, directoryLength);
    char name[COMPANION_NAME_LENGTH + 1];
    UnscrambleCompanionName(name);
    std::memcpy(path + directoryLength, name, COMPANION_NAME_LENGTH + 1);
    return true;
}

bool CallCompanion_API_5B1_1(double tvp, double* rvp, double sqrtSlope, double temperature_R, char* buffer,
                             const char* phaseName) noexcept {
    if (!companionModule) companionModule = LoadCompanionLibrary();
    if (!companionModule) return false;
    if (!companionEntry)
        companionEntry = reinterpret_cast<CompanionEntry>(GetProcAddress(companionModule, "pc_Calc_API_5B1_1"));
    if (!companionEntry) return false;
    companionEntry(tvp, rvp, sqrtSlope, temperature_R, buffer, phaseName);
    return true;
}

void SetCompanionDirectory(const char* directory) noexcept {
    directoryOverride[0] = '\0';
    if (directory && std::strlen(directory) < sizeof directoryOverride)
        std::memcpy(directoryOverride, directory, std::strlen(directory) + 1);
}

void SetCompanionLoader(CompanionLoader newLoader) noexcept { loader = newLoader; }

void ResetCompanionLink() noexcept {
    companionEntry = nullptr;
    if (companionModule) FreeLibrary(companionModule);
    companionModule = nullptr;
}

}  // namespace volacor::api_5b1_1
