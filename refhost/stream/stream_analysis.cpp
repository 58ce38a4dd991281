#include "refhost/stream/stream_analysis.h"

#include "refhost/stream/material_stream.h"

namespace refhost {

StreamAnalysisResult AnalyseStream(thermo::Flasher& /*flasher*/, const StreamState& /*state*/) {
    // TODO(refhost): replace with the stream analysis of refhost/analysis once merged;
    // until then every curve and RVP is EMPTY_VALUE.
    StreamAnalysisResult result;
    for (PhaseAnalysisValues& phase : result.phases) phase.d86_C.assign(kDistillationPoints, volacor::EMPTY_VALUE);
    return result;
}

}  // namespace refhost
