// The companion's one export. The caller hands TVP (psia), a start RVP (psi, in/out),
// the square root of the ASTM 10 % slope, the temperature (°R) and a 256-byte buffer;
// it always gets back one zero-terminated line of Windows-1252 text (the degree sign is
// the byte 0xB0) saying what was solved or why nothing was.
#include <cstdio>

#include "refined_stock_relation.h"

namespace {

// The host's mark for a value that is missing or not calculated.
constexpr double EMPTY_VALUE = -32767.0;
// The caller's buffer: 256 bytes, so at most 255 characters and the zero.
constexpr size_t MESSAGE_SIZE = 256;

const char* ReasonFormat(api5b11::SolveStatus status) noexcept {
    using api5b11::SolveStatus;
    switch (status) {
        case SolveStatus::InputNotFinite:
            return "Phase: %.32s - API 5B1.1 No RVP: an input is not finite (TVP %g psia, slope root %g, T %g \xB0" "F).";
        case SolveStatus::SlopeRootNegative:
            return "Phase: %.32s - API 5B1.1 No RVP: the slope root is negative (TVP %g psia, slope root %g, T %g \xB0" "F).";
        case SolveStatus::TemperatureOutOfDomain:
            return "Phase: %.32s - API 5B1.1 No RVP: the relation is undefined at this temperature (TVP %g psia, slope root %g, T %g \xB0" "F).";
        case SolveStatus::TvpNotPositive:
            return "Phase: %.32s - API 5B1.1 No RVP: TVP %g psia is not positive (slope root %g, T %g \xB0" "F).";
        case SolveStatus::NoRvpInRange:
            return "Phase: %.32s - API 5B1.1 No RVP within 1 - 20 psi gives TVP %g psia (slope root %g, T %g \xB0" "F).";
        case SolveStatus::NotConverged:
            return "Phase: %.32s - API 5B1.1 No RVP: the solve did not converge (TVP %g psia, slope root %g, T %g \xB0" "F).";
        case SolveStatus::Solved:
            break;
    }
    return "Phase: %.32s - API 5B1.1 No RVP (TVP %g psia, slope root %g, T %g \xB0" "F).";
}

}  // namespace

extern "C" __attribute__((visibility("default"))) void pc_Calc_API_5B1_1(double tvp, double* rvp,
                                                                         double sqrtSlope, double tempR,
                                                                         char* message,
                                                                         const char* phaseName) noexcept {
    const char* phase = phaseName ? phaseName : "";
    const double temperature_F = tempR - api5b11::CallerRankineOffset;
    if (!rvp) {
        if (message) std::snprintf(message, MESSAGE_SIZE, "Phase: %.32s - API 5B1.1 No RVP: no place to return it.", phase);
        return;
    }
    const api5b11::SolveResult result = api5b11::SolveRvp(tvp, sqrtSlope, temperature_F, *rvp);
    if (result.status == api5b11::SolveStatus::Solved) {
        *rvp = result.rvp_psi;
        if (message)
            std::snprintf(message, MESSAGE_SIZE,
                          "Phase: %.32s - API 5B1.1 RVP %.6g psi solves TVP %g psia at %g \xB0" "F, slope root %g.",
                          phase, result.rvp_psi, tvp, temperature_F, sqrtSlope);
        return;
    }
    *rvp = EMPTY_VALUE;
    if (message) std::snprintf(message, MESSAGE_SIZE, ReasonFormat(result.status), phase, tvp, sqrtSlope, temperature_F);
}
