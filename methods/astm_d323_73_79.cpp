// ASTM D323-73/79: the pressure at which the phase's own fluid splits into vapour and
// liquid at a volume ratio of 4, found by the shared volume-ratio search.
#include "methods/methods.h"
#include "methods/volume_ratio.h"

namespace volacor::astm_d323_73_79 {
namespace {
// The test's air chamber holds four times the liquid chamber's volume.
constexpr double kVapourLiquidRatio = 4.0;
}  // namespace

double CalculatePhase(CPropertyCalculator* calc, int32_t phase, double referenceTemperature_C,
                      double removeNcMolePercent) {
    return IterateToVolumeRatio(calc, phase, referenceTemperature_C, removeNcMolePercent, kVapourLiquidRatio);
}

}  // namespace volacor::astm_d323_73_79
