// What the three API methods share: their units and the two values each phase call
// takes from the host (the bubble-point TVP and the boiling-point-curve RVP).
#pragma once

#include <cmath>

#include "core/host_call.h"
#include "core/phase_work.h"
#include "core/property_calculator.h"
#include "core/units.h"
#include "host/fluid.h"

namespace volacor::api {

// A value the host really calculated: neither EMPTY_VALUE nor a NaN or infinity, which
// would otherwise pass every range check and come back as a result.
inline bool IsHostValue(double value) { return value != EMPTY_VALUE && std::isfinite(value); }

// Flashes work (set up as a bubble-point request) and, when the host gives a pressure,
// stores it as calc.tvpPsia. Otherwise tvpPsia keeps what it holds: EMPTY_VALUE on the
// FEED call, the previous phase's TVP on the later ones. A record without an overall
// composition is never handed to the host.
inline void StoreBubblePointTvp(CPropertyCalculator& calc, IHostFluidServices& services, FluidSnapshot& work) {
    if (!work.composition[FEED]) return;
    if (SUCCEEDED(HostFlash(&services, work)) && IsHostValue(work.pressure))
        calc.tvpPsia = units::ApiPsiFromKiloPascal(work.pressure);
}

// Stores the boiling-point-curves utility's RVP of phase (kPa) as calc.bpRvpPsia when
// it calculated one; otherwise bpRvpPsia carries over as tvpPsia does.
inline void StoreBpCurveRvp(CPropertyCalculator& calc, int32_t phase) {
    const double rvp_kPa = calc.analysis.bpCurveRvp[phase];
    if (IsHostValue(rvp_kPa)) calc.bpRvpPsia = units::ApiPsiFromKiloPascal(rvp_kPa);
}

// The ranges and message lines by which API 5B1.1 and API 5B1.2 differ in their
// common opening.
struct TvpInputRules {
    double tMin_R, tMax_R;          // the correlation's temperature range
    double tvpMin_psia, tvpMax_psia; // its TVP range
    const char* temperatureRange;   // "Phase: %s - ... Outside applicable temperature range ..."
    const char* noBpRvp;            // "... did not calculate an RVP value."
    const char* requiresTvp;        // "... Requires TVP."
    const char* tvpRange;           // "... Outside applicable TVP range ..."
};

// The opening API 5B1.1 and API 5B1.2 share, after the services and the phase are
// loaded: the temperature check, the bubble-point TVP of the phase with its
// non-condensables stripped, and the boiling-point-curve RVP, each warning written as it
// arises. On return calc.tvpPsia and calc.bpRvpPsia hold the values to use; false (after
// the "Requires TVP." line) when there is no TVP.
inline bool GatherTvpInputs(CPropertyCalculator& calc, IHostFluidServices& out, int32_t phase,
                            double temperature_R, double removeNcMolePercent, const TvpInputRules& rules) {
    const char* phaseName = PhaseName(phase);
    if (temperature_R < rules.tMin_R || temperature_R > rules.tMax_R)
        ReportPhaseMessage(&out, rules.temperatureRange, phaseName);

    WorkingRecord work(calc.PreparePhaseWork(calc.snapshot, phase));
    SetBubblePointRequest(work.get(), units::CelsiusFromApiRankine(temperature_R));
    StripNonCondensables(calc, work.get(), removeNcMolePercent);
    StoreBubblePointTvp(calc, out, work.get());
    StoreBpCurveRvp(calc, phase);

    if (calc.bpRvpPsia == EMPTY_VALUE) ReportPhaseMessage(&out, rules.noBpRvp, phaseName);
    if (calc.tvpPsia == EMPTY_VALUE) {
        ReportPhaseMessage(&out, rules.requiresTvp, phaseName);
        return false;
    }
    if (calc.tvpPsia < rules.tvpMin_psia || calc.tvpPsia > rules.tvpMax_psia)
        ReportPhaseMessage(&out, rules.tvpRange, phaseName);
    return true;
}

}  // namespace volacor::api
