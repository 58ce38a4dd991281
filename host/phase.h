// Phase indices, their names in messages, and the host's mark for a missing value.
#pragma once

#include <cstdint>

namespace volacor {

// The host's and the library's mark for a value that is missing or not calculated.
inline constexpr double EMPTY_VALUE = -32767.0;

enum PhaseIndex : int32_t {
    VAP = 0,    // vapour
    LIQ1 = 1,   // light liquid
    LIQ2 = 2,   // heavy liquid
    SOLID = 3,  // solid
    FEED = 4,   // the whole stream
};

inline constexpr int32_t PHASE_COUNT = 5;        // per-phase arrays
inline constexpr int32_t PHASE_COUNT_NO_FEED = 4; // fraction and presence arrays

// "VAP", "LIQ1", "LIQ2", "SOLID", "FEED"; any other index gives "".
constexpr const char* PhaseName(int32_t phase) noexcept {
    switch (phase) {
        case VAP: return "VAP";
        case LIQ1: return "LIQ1";
        case LIQ2: return "LIQ2";
        case SOLID: return "SOLID";
        case FEED: return "FEED";
        default: return "";
    }
}

}  // namespace volacor
