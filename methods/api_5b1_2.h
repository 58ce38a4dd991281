// The API 5B1.2 vapour-pressure equation, TVP = f(T, RVP), which the API 5B1.2 method
// solves for RVP.
#pragma once

#include "core/property_calculator.h"

namespace volacor::api_5b1_2 {

// Predicted TVP, psia, at temperature_R (°R) and rvpPsia (psi). On success also sets
// calc.dTvpdRvp to dTVP/dRVP. Returns 0.0 and touches nothing when T or RVP is 0 or
// EMPTY_VALUE; sets calc.tvpTooLarge (result meaningless) for a negative RVP or when the
// exponent leaves (-230.3, 230.3). The caller empties dTvpdRvp and clears tvpTooLarge.
double PredictTvp_API_5B1_2(CPropertyCalculator& calc, double temperature_R, double rvpPsia);

}  // namespace volacor::api_5b1_2
