// ASTM D4953-91: the dry variant of the Reid test. The sample is saturated with dry air;
// the result is the chamber pressure less 1 atm.
#include "core/units.h"
#include "methods/air_saturation.h"
#include "methods/methods.h"

namespace volacor::astm_d4953_91 {
namespace {

constexpr air_saturation::Method Method{
    .name = "ASTM D4953-91",
    .waterSaturatedAir = false,
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

}  // namespace volacor::astm_d4953_91
