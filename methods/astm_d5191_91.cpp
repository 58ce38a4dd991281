// ASTM D5191-91: the sample, saturated with dry air, expands into a chamber of air at
// 0.01 atm; the total chamber pressure P is reported as 0.965 P - 3.78 kPa.
#include "core/property_calculator.h"
#include "core/units.h"
#include "methods/air_saturation.h"
#include "methods/methods.h"

namespace volacor::astm_d5191_91 {
namespace {

constexpr const char* MethodName = "ASTM D5191-91";
// The reported relation, kPa: 0.965 times the total chamber pressure less 3.78.
constexpr double ResultSlope = 0.965;
constexpr double ResultOffset_kPa = 3.78;
constexpr double TvpStartFactor = 0.9;

constexpr const char* NoBpCurveRvp =
    "Phase: %s - %s The BP Curves utility associated with the stream did not calculate an RVP value.";

// The boiling-point-curve RVP taken back through the reported relation; without one, a
// message and 0.9 times the TVP.
double StartPressure(IHostFluidServices* services, const char* phaseName, double bpCurveRvp_kPa, double tvp_kPa) {
    if (bpCurveRvp_kPa != EMPTY_VALUE) return (bpCurveRvp_kPa + ResultOffset_kPa) / ResultSlope;
    ReportPhaseMessage(services, NoBpCurveRvp, phaseName, MethodName);
    return tvp_kPa != EMPTY_VALUE ? TvpStartFactor * tvp_kPa : EMPTY_VALUE;
}

double Result(double chamberPressure_kPa) { return ResultSlope * chamberPressure_kPa - ResultOffset_kPa; }

constexpr air_saturation::Method Method{
    .name = MethodName,
    .waterSaturatedAir = false,
    .componentArraysFirst = true,
    .airChamberPressure_kPa = 0.01 * units::OneAtmosphere_kPa,
    .airChamberPressureText = "0.01",
    .startPressure = &StartPressure,
    .result = &Result,
};

}  // namespace

double CalculatePhase(CPropertyCalculator* calc, int32_t phase, double temperature_C, double removeNcMolePercent) {
    return air_saturation::CalculatePhase(Method, calc, phase, temperature_C, removeNcMolePercent);
}

}  // namespace volacor::astm_d5191_91
