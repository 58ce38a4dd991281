// The stream's analysis, per phase: the ASTM D86 distillation curve and the
// boiling-point-curve RVP, for the stream as it is at its own conditions.
#pragma once

#include <array>
#include <cstddef>
#include <vector>

#include "host/phase.h"
#include "thermo/flasher.h"

namespace refhost {

struct StreamState;

// Length of every distillation curve handed to the library.
inline constexpr size_t kDistillationPoints = 18;

struct PhaseAnalysisValues {
    std::vector<double> d86_C;                      // kDistillationPoints values, EMPTY_VALUE where undefined
    double bpCurveRvp_kPa = volacor::EMPTY_VALUE;  // EMPTY_VALUE when the phase has none
};

struct StreamAnalysisResult {
    std::array<PhaseAnalysisValues, volacor::PHASE_COUNT> phases;  // by PhaseIndex
};

// The stream flashed at its conditions, each present phase analysed (FEED: the whole
// stream); absent phases hold EMPTY_VALUE throughout. The flasher is work space for the
// stream's fluid.
StreamAnalysisResult AnalyseStream(thermo::Flasher& flasher, const StreamState& state);

}  // namespace refhost
