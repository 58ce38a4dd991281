// The air-saturation test that three laboratory methods share: the chilled sample is
// saturated with air (dry, or itself saturated with water) at 33 °F and 1 atm, 20 volume
// units of it and 80 units of air go into the chamber at the test temperature, and the
// pressure at which the mixture fills the chamber gives the result. Each method states
// only how it differs.
#pragma once

#include <cstdint>

#include "core/property_calculator.h"

namespace volacor::air_saturation {

// Start pressure of the chamber search, kPa, from the boiling-point-curve RVP (or
// EMPTY_VALUE) and the TVP, both kPa. May report a message through services.
using StartPressureFn = double (*)(IHostFluidServices* services, const char* phaseName, double bpCurveRvp_kPa,
                                   double tvp_kPa);
// The method's result from the absolute chamber pressure found, kPa.
using ResultFn = double (*)(double chamberPressure_kPa);

struct Method {
    const char* name;                  // "ASTM D323-82": in every message and call
    bool waterSaturatedAir;            // saturate the air with water first; water is then required
    bool componentArraysFirst;         // fetch the component arrays before querying the services
    double airChamberPressure_kPa;     // the air's pressure in the chamber at the test temperature
    const char* airChamberPressureText;  // the same in atm, as the messages print it
    StartPressureFn startPressure;
    ResultFn result;
};

// The per-phase calculation: the RVP (or the method's vapour pressure) in kPa, or
// EMPTY_VALUE. Frees both component arrays, releases the services and frees the
// composition arrays of every working record on every path.
double CalculatePhase(const Method& method, CPropertyCalculator* calc, int32_t phase, double temperature_C,
                      double removeNcMolePercent);

// The start pressure of the gauge methods: 0.9 times the boiling-point-curve RVP, or
// else the TVP, plus 1 atm; EMPTY_VALUE when neither is known.
double GaugeStartPressure(IHostFluidServices* services, const char* phaseName, double bpCurveRvp_kPa,
                          double tvp_kPa);
// The gauge result: the chamber pressure less 1 atm.
double GaugeResult(double chamberPressure_kPa);

}  // namespace volacor::air_saturation
