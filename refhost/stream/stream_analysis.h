// The stream's analysis, per phase: the ASTM D86 distillation curve and the
// boiling-point-curve RVP (refhost/analysis), for the stream as it is at its own
// conditions.
#pragma once

#include <array>

#include "host/phase.h"
#include "refhost/analysis/phase_analysis.h"
#include "thermo/flasher.h"

namespace refhost {

struct StreamState;

// Length of every distillation curve handed to the library.
inline constexpr size_t kDistillationPoints = kDistillationPointCount;

struct StreamAnalysisResult {
    std::array<PhaseAnalysis, volacor::PHASE_COUNT> phases;  // by PhaseIndex
};

// The stream flashed at its conditions and each present phase analysed (FEED: the whole
// stream); absent phases, and every phase when that flash fails, hold EMPTY_VALUE
// throughout. The flasher is work space for the stream's fluid.
StreamAnalysisResult AnalyseStream(thermo::Flasher& flasher, const StreamState& state);

}  // namespace refhost
