// What the host's stream analysis reports for one phase composition.
#pragma once

#include <span>

#include "refhost/analysis/bp_curve_rvp.h"
#include "refhost/analysis/distillation_curve.h"
#include "thermo/flasher.h"

namespace refhost {

struct PhaseAnalysis {
    DistillationCurve d86_C;  // EMPTY_VALUE where undefined
    double bpCurveRvp_kPa;    // EMPTY_VALUE when none
};

// Pure function of the fluid and the composition; the flasher (built for that fluid) is
// only work space. A composition that holds nothing gives every value EMPTY_VALUE.
PhaseAnalysis AnalysePhase(thermo::Flasher& flasher, std::span<const double> x);
PhaseAnalysis AnalysePhase(const thermo::Fluid& fluid, std::span<const double> x);

}  // namespace refhost
