// ASTM D323-82: the wet Reid test. The sample is saturated with air that is itself
// saturated with water; the result is the chamber pressure less 1 atm.
#include "core/units.h"
#include "methods/air_saturation.h"
#include "methods/methods.h"

namespace volacor::astm_d323_82 {
namespace {

constexpr air_saturation::Method Method{
    .name = "ASTM D323-82",
    .waterSaturatedAir = true,
    .componentArraysFirst = false,
    .airChamberPressure_kPa = units::OneAtmosphere_kPa,
    .airChamberPressureText = "1",
    .startPressure = &air_saturation::GaugeStartPressure,
    .result = &air_saturation::GaugeResult,
};

}  // namespace

double CalculatePhase(CPropertyCalculator* calc, int32_t phase, double temperature_C, double removeNcMolePercent) {
    return air_saturation::CalculatePhase(Method, calc, phase, temperature_C, removeNcMolePercent);
}

}  // namespace volacor::astm_d323_82
