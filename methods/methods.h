// The per-phase procedures: one per RVP method. Each takes the shared calculator, the
// phase (PhaseIndex), the reference temperature in the unit its driver hands on (°R for
// the three API methods, °C for the laboratory methods) and "RemoveNCmolPercent" as
// read, and returns the phase's RVP in kPa or EMPTY_VALUE.
#pragma once

#include <cstdint>

#include "core/property_calculator.h"

namespace volacor {

using CalculatePhaseFn = double (*)(CPropertyCalculator* calc, int32_t phase, double referenceTemperature,
                                    double removeNcMolePercent);
using CalculatePhaseWithRatioFn = double (*)(CPropertyCalculator* calc, int32_t phase,
                                             double referenceTemperature, double removeNcMolePercent,
                                             double ratio);

namespace orvan_api { double CalculatePhase(CPropertyCalculator*, int32_t, double, double); }
namespace api_5b1_2 { double CalculatePhase(CPropertyCalculator*, int32_t, double, double); }
namespace api_5b1_1 { double CalculatePhase(CPropertyCalculator*, int32_t, double, double); }
namespace astm_d323_73_79 { double CalculatePhase(CPropertyCalculator*, int32_t, double, double); }
namespace astm_d6377_16 { double CalculatePhase(CPropertyCalculator*, int32_t, double, double, double); }
namespace astm_d323_82 { double CalculatePhase(CPropertyCalculator*, int32_t, double, double); }
namespace astm_d4953_91 { double CalculatePhase(CPropertyCalculator*, int32_t, double, double); }
namespace astm_d5191_91 { double CalculatePhase(CPropertyCalculator*, int32_t, double, double); }
namespace modified_astm { double CalculatePhase(CPropertyCalculator*, int32_t, double, double); }

}  // namespace volacor
