// The closed-form API correlation of RVP in the logarithm of the TVP.
#pragma once

namespace volacor::orvan_api {

// RVP, psia, for a TVP in psia; EMPTY_VALUE when the correlation's pressure exceeds
// 13790000 Pa or is not a number (a negative TVP).
double RvpFromTvp(double tvpPsia);

}  // namespace volacor::orvan_api
