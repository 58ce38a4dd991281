#include "refhost/analysis/phase_analysis.h"

namespace refhost {

PhaseAnalysis AnalysePhase(thermo::Flasher& flasher, std::span<const double> x) {
    return {DistillationCurveD86_C(flasher.fluid(), x), BoilingPointCurveRvp(flasher, x).pressure_kPa};
}

PhaseAnalysis AnalysePhase(const thermo::Fluid& fluid, std::span<const double> x) {
    thermo::Flasher flasher(fluid);
    return AnalysePhase(flasher, x);
}

}  // namespace refhost
