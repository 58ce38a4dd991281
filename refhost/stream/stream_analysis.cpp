#include "refhost/stream/stream_analysis.h"

#include <numeric>

#include "refhost/stream/material_stream.h"

namespace refhost {

StreamAnalysisResult AnalyseStream(thermo::Flasher& flasher, const StreamState& state) {
    StreamAnalysisResult result;
    for (PhaseAnalysis& phase : result.phases) {
        phase.d86_C.fill(volacor::EMPTY_VALUE);
        phase.bpCurveRvp_kPa = volacor::EMPTY_VALUE;
    }
    std::vector<double> z = state.moleFractions;
    const double sum = std::accumulate(z.begin(), z.end(), 0.0);
    for (double& x : z) x /= sum;  // the state was checked: a positive sum
    const thermo::FlashResult flashed =
        flasher.flash_pt(state.temperature_C + 273.15, state.pressure_kPa, z);
    if (flashed.status != thermo::FlashStatus::Converged) return result;
    result.phases[volacor::FEED] = AnalysePhase(flasher, z);
    for (int p = 0; p < thermo::kPhaseSlots; ++p)
        if (flashed.phases[static_cast<size_t>(p)].present && flashed.phases[static_cast<size_t>(p)].fraction > 0)
            result.phases[static_cast<size_t>(p)] = AnalysePhase(flasher, flashed.phases[static_cast<size_t>(p)].composition);
    return result;
}

}  // namespace refhost
