// ASTM D6377-16: the D323-73/79 search at the user's vapour/liquid volume ratio.
#include "methods/methods.h"
#include "methods/volume_ratio.h"

namespace volacor::astm_d6377_16 {

// An empty ratio (EMPTY_VALUE) is used as the target itself: the user's value is never
// replaced by a default.
double CalculatePhase(CPropertyCalculator* calc, int32_t phase, double referenceTemperature_C,
                      double removeNcMolePercent, double vapourLiquidRatio) {
    return IterateToVolumeRatio(calc, phase, referenceTemperature_C, removeNcMolePercent, vapourLiquidRatio);
}

}  // namespace volacor::astm_d6377_16
