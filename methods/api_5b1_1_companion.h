// The link to the API 5B1.1 companion library, which holds the correlation itself. It
// is loaded on first use from the running executable's directory, by full path, once,
// and never unloaded; a failed load or lookup is tried again on the next call.
#pragma once

#include <cstddef>

#include "comrt/library.h"

namespace volacor::api_5b1_1 {

// The companion's export pc_Calc_API_5B1_1: TVP (psia), RVP (psi, in: start value, out:
// result or EMPTY_VALUE), square root of the ASTM 10 % slope, temperature (°R), a
// 256-byte buffer for one message line, the phase name.
using CompanionEntry = void (*)(double tvp, double* rvp, double sqrtSlope, double temperature_R,
                                char* message, const char* phaseName);

// Calls the companion's entry with the arguments unchanged, loading the library first
// when needed. False when the library or its entry cannot be found: then nothing is
// called and *rvp and buffer are untouched.
bool CallCompanion_API_5B1_1(double tvp, double* rvp, double sqrtSlope, double temperature_R, char* buffer,
                             const char* phaseName) noexcept;

// The companion's file name is held scrambled, so the library's file does not spell it
// out; this gives it back, exactly, zero-terminated. No upper-casing is applied: the
// file system here tells cases apart.
inline constexpr size_t COMPANION_NAME_LENGTH = 22;
void UnscrambleCompanionName(char (&name)[COMPANION_NAME_LENGTH + 1]) noexcept;

// The companion's full path for an executable's path: its directory (up to and
// including the last '/'; more than 2 characters) plus the file name. False when there
// is no such directory or the whole does not fit in size bytes.
bool CompanionPathBeside(const char* executablePath, char* path, size_t size) noexcept;

// Seams for tests. Where the companion is looked for: a directory instead of the running
// executable's (null restores the executable's). Which loader is used (null restores
// LoadLibraryA). ResetCompanionLink forgets the link, releasing the load it held, so a
// test can start again from "not loaded".
void SetCompanionDirectory(const char* directory) noexcept;
using CompanionLoader = HMODULE (*)(const char* path);
void SetCompanionLoader(CompanionLoader loader) noexcept;
void ResetCompanionLink() noexcept;

}  // namespace volacor::api_5b1_1
