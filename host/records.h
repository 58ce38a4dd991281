// The two records exchanged with the host, laid out byte for byte: little-endian,
// 8-byte pointers, 4-byte packing, no gaps between fields.
#pragma once

#include <cstddef>
#include <cstdint>

namespace volacor {

#pragma pack(push, 4)

// The calculator's snapshot of a fluid, and every working fluid a method flashes.
// Arrays indexed by phase use PhaseIndex; the four-element arrays have no FEED entry.
struct FluidSnapshot {
    double temperature;          // °C
    double pressure;             // kPa absolute
    int32_t componentCount;      // n
    double* composition[5];      // per phase: n mole fractions (task memory); [FEED] overall
    double phasePropertyA[5];    // the host's; the library only empties it
    double phasePropertyB[5];    // as phasePropertyA
    double phasePropertyC[5];    // as phasePropertyA
    double molarVolume[5];       // m³/kmol per phase
    double phaseFraction[4];     // mole fraction of the fluid in VAP, LIQ1, LIQ2, SOLID
    int32_t phasePresent[4];     // non-zero when the phase exists
    uint8_t reserved[40];        // zero in every record the library builds; never read
};

// What the stream's analysis utilities computed, per phase.
struct StreamAnalysis {
    uint8_t reserved0[20];        // never read
    void* curveData[5];           // task-memory blocks from the host; freed, never read
    double* distillationCurve[5]; // distillation temperatures, °C (task memory)
    double bpCurveRvp[5];         // RVP of the boiling-point-curves utility, kPa, or EMPTY_VALUE
    uint8_t reserved1[128];       // never read
};

#pragma pack(pop)

static_assert(sizeof(FluidSnapshot) == 308);
static_assert(offsetof(FluidSnapshot, temperature) == 0);
static_assert(offsetof(FluidSnapshot, pressure) == 8);
static_assert(offsetof(FluidSnapshot, componentCount) == 16);
static_assert(offsetof(FluidSnapshot, composition) == 20);
static_assert(offsetof(FluidSnapshot, phasePropertyA) == 60);
static_assert(offsetof(FluidSnapshot, phasePropertyB) == 100);
static_assert(offsetof(FluidSnapshot, phasePropertyC) == 140);
static_assert(offsetof(FluidSnapshot, molarVolume) == 180);
static_assert(offsetof(FluidSnapshot, phaseFraction) == 220);
static_assert(offsetof(FluidSnapshot, phasePresent) == 252);
static_assert(offsetof(FluidSnapshot, reserved) == 268);

static_assert(sizeof(StreamAnalysis) == 268);
static_assert(offsetof(StreamAnalysis, reserved0) == 0);
static_assert(offsetof(StreamAnalysis, curveData) == 20);
static_assert(offsetof(StreamAnalysis, distillationCurve) == 60);
static_assert(offsetof(StreamAnalysis, bpCurveRvp) == 100);
static_assert(offsetof(StreamAnalysis, reserved1) == 140);

}  // namespace volacor
