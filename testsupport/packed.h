// The host records are packed to 4 bytes, so every pointer and double after
// FluidSnapshot::componentCount (and after StreamAnalysis::reserved0) sits at an address
// that is not 8-byte aligned. gtest's EXPECT_EQ and matchers take their arguments by
// reference, and binding a reference to such a member is undefined behaviour that the
// sanitizer build rejects. Compare a copy instead:
//
//   EXPECT_EQ(Value(work.phaseFraction[0]), 0.0);
//   EXPECT_THAT(Fractions(work), ElementsAre(0.0, 1.0, 0.0, 0.0));
#pragma once

#include <vector>

#include "host/records.h"

namespace volacor::testsupport {

template <class T>
constexpr T Value(T member) noexcept {
    return member;
}

inline std::vector<double> Fractions(const FluidSnapshot& r) {
    return {r.phaseFraction[0], r.phaseFraction[1], r.phaseFraction[2], r.phaseFraction[3]};
}
inline std::vector<double> MolarVolumes(const FluidSnapshot& r) {
    return {r.molarVolume[0], r.molarVolume[1], r.molarVolume[2], r.molarVolume[3], r.molarVolume[4]};
}
inline std::vector<int32_t> Presence(const FluidSnapshot& r) {
    return {r.phasePresent[0], r.phasePresent[1], r.phasePresent[2], r.phasePresent[3]};
}
// n values of a composition array; empty when the array is null.
inline std::vector<double> Composition(const FluidSnapshot& r, int phase) {
    const double* x = r.composition[phase];
    return x && r.componentCount > 0 ? std::vector<double>(x, x + r.componentCount) : std::vector<double>{};
}
inline std::vector<double> BpCurveRvps(const StreamAnalysis& a) {
    return {a.bpCurveRvp[0], a.bpCurveRvp[1], a.bpCurveRvp[2], a.bpCurveRvp[3], a.bpCurveRvp[4]};
}

}  // namespace volacor::testsupport
