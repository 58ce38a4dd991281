// Small helpers for answering and reading scripted flashes in the method tests.
#pragma once

#include <vector>

#include "host/phase.h"
#include "host/records.h"
#include "testsupport/scripted_fluid.h"

namespace volacor::method_tests {

// A request for a vapour fraction (the bubble point at 0) rather than a pressure.
inline bool IsVapourFractionRequest(const FluidSnapshot& r) { return r.pressure == EMPTY_VALUE; }

// Writes vapour fraction beta at vapourMolarVolume and the rest as light liquid at
// liquidMolarVolume; a phase holding nothing is absent.
inline void SetTwoPhase(FluidSnapshot& r, double beta, double vapourMolarVolume, double liquidMolarVolume) {
    for (int p = 0; p < PHASE_COUNT_NO_FEED; ++p) {
        r.phaseFraction[p] = 0.0;
        r.phasePresent[p] = 0;
        r.molarVolume[p] = 0.0;
    }
    r.phaseFraction[VAP] = beta;
    r.phasePresent[VAP] = beta > 0.0;
    r.molarVolume[VAP] = vapourMolarVolume;
    r.phaseFraction[LIQ1] = 1.0 - beta;
    r.phasePresent[LIQ1] = beta < 1.0;
    r.molarVolume[LIQ1] = liquidMolarVolume;
}

// The pressures of the pressure flashes a fluid was asked for, in order.
inline std::vector<double> PressuresTried(const testsupport::ScriptedFluid& fluid) {
    std::vector<double> out;
    for (const auto& request : fluid.flashRequests)
        if (request.pressure_kPa != EMPTY_VALUE) out.push_back(request.pressure_kPa);
    return out;
}

}  // namespace volacor::method_tests
