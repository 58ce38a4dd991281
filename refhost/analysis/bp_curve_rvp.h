// The boiling-point-curve RVP of a phase: the pressure at 37.78 °C (100 °F) at which
// the phase splits into vapour and liquid with a vapour/liquid volume ratio of 4, its
// non-condensable gases left in.
#pragma once

#include <span>

#include "thermo/flasher.h"

namespace refhost {

struct BpCurveRvpOptions {
    double temperature_C = 37.78;
    double vapourLiquidRatio = 4.0;
    // On ln(V/L) (about a relative error of V/L); the pressure search, on the vapour's
    // volume fraction.
    double tolerance = 1e-9;
    int maxIterations = 100;
};

struct BpCurveRvpResult {
    double pressure_kPa;  // EMPTY_VALUE when there is none
    double ratio;         // the vapour/liquid volume ratio reached there (EMPTY_VALUE if none)
    int flashes;          // flashes used
};

// x: mole fractions over the flasher's fluid. EMPTY_VALUE when the phase has no
// pressure with that ratio at that temperature (a gas that forms too little liquid) or
// a flash fails. Flashes at given vapour fraction from the bubble point, usually 5 or 6;
// a search in pressure by PT flashes where those fail (README, "Stream analysis").
BpCurveRvpResult BoilingPointCurveRvp(thermo::Flasher& flasher, std::span<const double> x,
                                      const BpCurveRvpOptions& options = {});

// The same with a flasher of its own.
double BoilingPointCurveRvp_kPa(const thermo::Fluid& fluid, std::span<const double> x,
                                const BpCurveRvpOptions& options = {});

}  // namespace refhost
