// API 5B1.2: each phase's TVP from a bubble-point flash at the reference temperature,
// and the RVP that the API 5B1.2 vapour-pressure equation maps onto it, found by Newton's
// method from 0.9 times the boiling-point-curve RVP.
#include "methods/api_5b1_2.h"

#include <cmath>

#include "core/phase_work.h"
#include "methods/api_common.h"
#include "methods/methods.h"

namespace volacor::api_5b1_2 {
namespace {

// ln TVP = (C1·ln R + C2 + C3·R^4) / T + C4 + C5·ln R + C6·R + C7·T (TVP psia, R = RVP
// psi, T °R): a fit of the chart of Procedure 5B1.2 of the API Technical Data Book -
// Petroleum Refining, with the chart's ranges below. The tests hold it against AP-42's
// published fit for crude oils (Chapter 7.1, Figure 7.1-16), which it meets within 7 %.
constexpr double C1 = 1104.412448797;
constexpr double C2 = -5756.8562305;
constexpr double C3 = -0.00068023;
constexpr double C4 = 7.78511307;
constexpr double C5 = -1.08100387;
constexpr double C6 = 0.05319502;
constexpr double C7 = 0.00451316;
// exp() of an exponent outside this band over- or underflows in practice.
constexpr double EXPONENT_LIMIT = 230.3;

// The equation's range of temperature: 0 to 140 °F.
constexpr double T_MIN_R = units::ApiRankineFromFahrenheit(0.0);
constexpr double T_MAX_R = units::ApiRankineFromFahrenheit(140.0);
// Its ranges of TVP and RVP, psia.
constexpr double TVP_MIN = 0.0, TVP_MAX = 25.0;
constexpr double RVP_MIN = 2.0, RVP_MAX = 15.0;
// The start is this fraction of the boiling-point-curve RVP (or of the TVP).
constexpr double START_FRACTION = 0.9;
// Where a zero derivative or a negative step puts the estimate; a second such event
// while the estimate is still here ends the search.
constexpr double RESET_RVP = 0.1;

constexpr const char* TEMPERATURE_RANGE =
    "Phase: %s - API 5B1.2 Outside applicable temperature range (0 - 140\xB0" "F).";
constexpr const char* NO_BP_RVP =
    "Phase: %s - API 5B1.2 The BP Curves utility associated with the stream did not calculate an RVP value.";
constexpr const char* REQUIRES_TVP = "Phase: %s - API 5B1.2 Requires TVP.";
constexpr const char* TVP_RANGE = "Phase: %s - API 5B1.2 Outside applicable TVP range (0 - 25 psia).";
constexpr const char* TVP_TOO_LARGE =
    "Phase: %s - API 5B1.2 RVP Calculation failed since predicted TVP was too large, at iteration %d.";
constexpr const char* SUCCESSIVE_ZERO = "Phase: %s - API 5B1.2 Successive Zero RVPs predicted at iteration %d.";
constexpr const char* SUCCESSIVE_NEGATIVE =
    "Phase: %s - API 5B1.2 Successive Negative RVPs predicted at iteration %d.";
constexpr const char* NOT_CONVERGED = "Phase: %s - API 5B1.2 Not Converged at %d iterations.";
constexpr const char* RVP_RANGE = "Phase: %s - API 5B1.2 Outside applicable RVP range (2 - 15 psia).";

constexpr api::TvpInputRules INPUT_RULES = {T_MIN_R, T_MAX_R, TVP_MIN, TVP_MAX,
                                            TEMPERATURE_RANGE, NO_BP_RVP, REQUIRES_TVP, TVP_RANGE};

}  // namespace

double PredictTvp_API_5B1_2(CPropertyCalculator& calc, double temperature_R, double rvpPsia) {
    const double T = temperature_R;
    const double R = rvpPsia;
    if (T == 0.0 || T == EMPTY_VALUE || R == 0.0 || R == EMPTY_VALUE) return 0.0;
    if (R < 0.0) {
        calc.tvpTooLarge = true;
        return 0.0;
    }
    const double lnR = std::log(R);
    const double x = (C1 * lnR + C2 + C3 * R * R * R * R) / T + C4 + C5 * lnR + C6 * R + C7 * T;
    // Written so that a NaN exponent counts as too large as well.
    if (!(x > -EXPONENT_LIMIT && x < EXPONENT_LIMIT)) {
        calc.tvpTooLarge = true;
        return x;
    }
    const double tvp = std::exp(x);
    calc.dTvpdRvp = tvp * ((C1 / R + 4.0 * C3 * R * R * R) / T + C6 + C5 / R);
    return tvp;
}

double CalculatePhase(CPropertyCalculator* calc, int32_t phase, double referenceTemperature_R,
                      double removeNcMolePercent) {
    if (!calc) return EMPTY_VALUE;
    const double T = referenceTemperature_R;
    const char* phaseName = PhaseName(phase);
    const ServicesPtr services = QueryServices(*calc);
    if (!services) return EMPTY_VALUE;
    if (!LoadPhase(*calc, phase)) return EMPTY_VALUE;
    IHostFluidServices* out = services.get();

    if (!api::GatherTvpInputs(*calc, *out, phase, T, removeNcMolePercent, INPUT_RULES)) return EMPTY_VALUE;
    const double bpRvpPsia = calc->bpRvpPsia;
    const double tvpPsia = calc->tvpPsia;

    double R = START_FRACTION * (bpRvpPsia != EMPTY_VALUE ? bpRvpPsia : tvpPsia);
    calc->dTvpdRvp = EMPTY_VALUE;
    calc->tvpTooLarge = false;
    double f = PredictTvp_API_5B1_2(*calc, T, R) - tvpPsia;
    int iteration = 1;
    if (calc->tvpTooLarge) {
        ReportPhaseMessage(out, TVP_TOO_LARGE, phaseName, iteration);
        return EMPTY_VALUE;
    }

    while (std::fabs(f) > IterationTolerance && iteration < MaxIterations) {
        ++iteration;
        const double slope = calc->dTvpdRvp;
        if (slope == 0.0 || slope == EMPTY_VALUE) {
            if (R == RESET_RVP) {
                ReportPhaseMessage(out, SUCCESSIVE_ZERO, phaseName, iteration);
                return EMPTY_VALUE;
            }
            R = RESET_RVP;
        } else {
            const double next = R - f / slope;
            if (next < 0.0) {
                if (R == RESET_RVP) {
                    ReportPhaseMessage(out, SUCCESSIVE_NEGATIVE, phaseName, iteration);
                    return EMPTY_VALUE;
                }
                R = RESET_RVP;
            } else {
                R = next;
            }
        }
        calc->dTvpdRvp = EMPTY_VALUE;
        f = PredictTvp_API_5B1_2(*calc, T, R) - tvpPsia;
        if (calc->tvpTooLarge) {
            ReportPhaseMessage(out, TVP_TOO_LARGE, phaseName, iteration);
            return EMPTY_VALUE;
        }
    }
    // Reported even when the step that reached the limit met the tolerance.
    if (iteration == MaxIterations) {
        ReportPhaseMessage(out, NOT_CONVERGED, phaseName, MaxIterations);
        return EMPTY_VALUE;
    }
    if (R < RVP_MIN || R > RVP_MAX) ReportPhaseMessage(out, RVP_RANGE, phaseName);
    return units::KiloPascalFromApiPsi(R);
}

}  // namespace volacor::api_5b1_2
