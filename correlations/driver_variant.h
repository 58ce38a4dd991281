// What one correlation class changes in the calculation driver: where the stream
// analysis comes from, the unit of the reference temperature, the extra ratio argument
// and which phases are calculated. The phase procedure itself is a separate value so
// that a test can drive any class with a procedure of its own.
#pragma once

#include <cstdint>

#include "methods/methods.h"

namespace volacor {

enum class AnalysisMaterial : uint8_t {
    SecondGetMaterial,  // ask the context for the material again and query that
    FirstMaterial,      // query the material the fluid came from
};

struct DriverVariant {
    AnalysisMaterial analysisMaterial;
    bool handsOnRankine;  // the API methods work in °R; the laboratory methods in °C as read
    bool readsVlRatio;    // "VLRatioValue" becomes the procedure's fifth argument
    bool feedOnly;        // only FEED is calculated; the other elements are emptied
};

// A class's CalculatePhase, with or without the vapour/liquid ratio argument.
class PhaseProcedure {
public:
    constexpr PhaseProcedure() noexcept = default;
    constexpr PhaseProcedure(CalculatePhaseFn procedure) noexcept : plain_(procedure) {}
    constexpr PhaseProcedure(CalculatePhaseWithRatioFn procedure) noexcept : withRatio_(procedure) {}

    constexpr bool TakesRatio() const noexcept { return withRatio_ != nullptr; }
    constexpr bool IsSet() const noexcept { return plain_ != nullptr || withRatio_ != nullptr; }

    // The ratio is handed on only to a procedure that takes it. Unset: EMPTY_VALUE.
    double operator()(CPropertyCalculator* calculator, int32_t phase, double referenceTemperature,
                      double removeNcMolePercent, double ratio) const {
        if (withRatio_) return withRatio_(calculator, phase, referenceTemperature, removeNcMolePercent, ratio);
        if (plain_) return plain_(calculator, phase, referenceTemperature, removeNcMolePercent);
        return EMPTY_VALUE;
    }

private:
    CalculatePhaseFn plain_ = nullptr;
    CalculatePhaseWithRatioFn withRatio_ = nullptr;
};

}  // namespace volacor
