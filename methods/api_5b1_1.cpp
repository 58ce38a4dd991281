// API 5B1.1: each phase's TVP from a bubble-point flash at the reference temperature and
// the square root of its ASTM 10 % distillation slope, handed with a start estimate to
// the API 5B1.1 correlation in the companion library.
#include <cmath>
#include <cstring>

#include "core/host_call.h"
#include "core/phase_work.h"
#include "methods/api_5b1_1_companion.h"
#include "methods/api_common.h"
#include "methods/methods.h"

namespace volacor::api_5b1_1 {
namespace {

// The correlation's range of temperature: 0 to 120 °F.
constexpr double T_MIN_R = units::ApiRankineFromFahrenheit(0.0);
constexpr double T_MAX_R = units::ApiRankineFromFahrenheit(120.0);
// Its ranges of TVP and RVP, psia, and of the ASTM 10 % slope, °F per vol %.
constexpr double TVP_MIN = 0.2, TVP_MAX = 24.0;
constexpr double RVP_MIN = 0.0, RVP_MAX = 20.0;
constexpr double SLOPE_MIN = 0.0, SLOPE_MAX = 4.0;
// The slope runs from the 10 % point to the 20 % point of the distillation curve: the
// host's curve holds them as elements 4 and 8, ten volume per cent apart.
constexpr int CURVE_POINT_10 = 4;
constexpr int CURVE_POINT_20 = 8;
constexpr double CURVE_SPAN_VOL_PERCENT = 10.0;
// The start estimate is this fraction of the boiling-point-curve RVP (or of the TVP).
constexpr double START_FRACTION = 0.9;

constexpr const char* TEMPERATURE_RANGE =
    "Phase: %s - API 5B1.1 Outside applicable temperature range (0 - 120\xB0" "F).";
constexpr const char* NO_BP_RVP =
    "Phase: %s - API 5B1.1 The BP Curves utility associated with the stream did not calculate an RVP value.";
constexpr const char* REQUIRES_TVP = "Phase: %s - API 5B1.1 Requires TVP.";
constexpr const char* TVP_RANGE = "Phase: %s - API 5B1.1 Outside applicable TVP range (0.2 - 24 psia).";
// Both percent signs print literally; the second is doubled too, as "% D" would be a
// conversion of its own.
constexpr const char* SLOPE_RANGE =
    "Phase: %s - API 5B1.1 ASTM 10%% slope (Value: %6.4g) outside applicable range (0 - 4 \xB0" "F/Vol%% Distilled).";
constexpr const char* COMPANION_NOT_FOUND =
    "Phase: %s - API 5B1.1 Companion library not found - returning the start estimate.";
constexpr const char* RVP_RANGE = "Phase: %s - API 5B1.1 Outside applicable RVP range (0 - 20 psia).";

constexpr api::TvpInputRules INPUT_RULES = {T_MIN_R, T_MAX_R, TVP_MIN, TVP_MAX,
                                            TEMPERATURE_RANGE, NO_BP_RVP, REQUIRES_TVP, TVP_RANGE};

// Square root of the ASTM 10 % slope of a distillation curve (°C). A missing curve or
// point gives 0.0 without a message; a slope outside 0 to 4 is reported and its root
// handed on as it is (NaN for a negative slope).
double SlopeRoot(const double* curve_C, IHostFluidServices* out, const char* phaseName) {
    if (!curve_C || curve_C[CURVE_POINT_10] == EMPTY_VALUE || curve_C[CURVE_POINT_20] == EMPTY_VALUE) return 0.0;
    const double slope = (units::FahrenheitFromCelsius(curve_C[CURVE_POINT_20]) -
                          units::FahrenheitFromCelsius(curve_C[CURVE_POINT_10])) /
                         CURVE_SPAN_VOL_PERCENT;
    if (slope > SLOPE_MAX || slope < SLOPE_MIN) ReportPhaseMessage(out, SLOPE_RANGE, phaseName, slope);
    return std::pow(slope, 0.5);
}

}  // namespace

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

    const double sqrtSlope = SlopeRoot(calc->analysis.distillationCurve[phase], out, phaseName);
    double rvpPsia = START_FRACTION * (bpRvpPsia != EMPTY_VALUE ? bpRvpPsia : tvpPsia);

    // A companion that writes nothing must not repeat the line left by the last message.
    std::memset(messageBuffer, 0, MESSAGE_BUFFER_SIZE);
    if (CallCompanion_API_5B1_1(tvpPsia, &rvpPsia, sqrtSlope, T, messageBuffer, phaseName)) {
        messageBuffer[MESSAGE_BUFFER_SIZE - 1] = '\0';
        if (messageBuffer[0] != '\0') HostAddMessage(out, messageBuffer);
    } else {
        // The start estimate is no result of the correlation; say so rather than pass it off as one.
        ReportPhaseMessage(out, COMPANION_NOT_FOUND, phaseName);
    }

    if (!api::IsHostValue(rvpPsia)) return EMPTY_VALUE;
    if (rvpPsia < RVP_MIN || rvpPsia > RVP_MAX) ReportPhaseMessage(out, RVP_RANGE, phaseName);
    return units::KiloPascalFromApiPsi(rvpPsia);
}

}  // namespace volacor::api_5b1_1
