// Small helpers for answering and reading scripted flashes in the method tests.
#pragma once

#include <algorithm>
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

// A fluid that boils from bubble_kPa down to dew_kPa at any temperature, its vapour
// fraction linear in pressure in between: an ideal-gas vapour, a liquid of
// liquidMolarVolume_m3_kmol at 0 °C that expands by liquidExpansion_per_C, and (when
// phaseCompositions) phases of the feed's composition. A vapour-fraction request gets the
// pressure of that fraction. Its vapour/liquid volume ratio falls steadily from infinity
// at the dew point to 0 at the bubble point.
struct BoilingFluid {
    double bubble_kPa = 500.0;
    double dew_kPa = 100.0;
    double liquidMolarVolume_m3_kmol = 0.1;
    double liquidExpansion_per_C = 0.0;
    bool lightLiquidAtPressureFlashes = true;  // false: pressure flashes report no light liquid
    bool phaseCompositions = true;

    double VapourFraction(double p_kPa) const {
        return std::clamp((bubble_kPa - p_kPa) / (bubble_kPa - dew_kPa), 0.0, 1.0);
    }
    static double VapourMolarVolume(double t_C, double p_kPa) { return 8.314 * (t_C + 273.15) / p_kPa; }
    double LiquidMolarVolume(double t_C) const {
        return liquidMolarVolume_m3_kmol * (1.0 + liquidExpansion_per_C * t_C);
    }
    double Ratio(double t_C, double p_kPa) const {
        const double beta = VapourFraction(p_kPa);
        return beta * VapourMolarVolume(t_C, p_kPa) / ((1.0 - beta) * LiquidMolarVolume(t_C));
    }
    // The pressure of a ratio, found apart from the code under test by plain bisection.
    double PressureAtRatio(double t_C, double ratio) const {
        double lo = dew_kPa, hi = bubble_kPa;
        for (int i = 0; i < 200; ++i) {
            const double mid = 0.5 * (lo + hi);
            (Ratio(t_C, mid) > ratio ? lo : hi) = mid;
        }
        return 0.5 * (lo + hi);
    }

    HRESULT operator()(FluidSnapshot& r) const {
        const bool vapourFractionRequest = IsVapourFractionRequest(r);
        const double p =
            vapourFractionRequest ? bubble_kPa - r.phaseFraction[VAP] * (bubble_kPa - dew_kPa) : r.pressure;
        if (!(p > 0.0)) return E_FAIL;
        r.pressure = p;
        SetTwoPhase(r, VapourFraction(p), VapourMolarVolume(r.temperature, p), LiquidMolarVolume(r.temperature));
        if (!vapourFractionRequest && !lightLiquidAtPressureFlashes) r.phasePresent[LIQ1] = 0;
        if (phaseCompositions && r.composition[VAP] && r.composition[LIQ1] && r.composition[FEED]) {
            for (int32_t i = 0; i < r.componentCount; ++i)
                r.composition[VAP][i] = r.composition[LIQ1][i] = r.composition[FEED][i];
        }
        return S_OK;
    }
};

// The pressures of the pressure flashes a fluid was asked for, in order.
inline std::vector<double> PressuresTried(const testsupport::ScriptedFluid& fluid) {
    std::vector<double> out;
    for (const auto& request : fluid.flashRequests)
        if (request.pressure_kPa != EMPTY_VALUE) out.push_back(request.pressure_kPa);
    return out;
}

}  // namespace volacor::method_tests
