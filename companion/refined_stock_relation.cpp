#include "refined_stock_relation.h"

#include <cmath>

namespace api5b11 {
namespace {

// ln P = slope·log10(RVP) + intercept at one temperature and slope root.
struct LogLine {
    double slope;
    double intercept;
};

LogLine LineAt(double sqrtSlope, double temperature_F) noexcept {
    const double tr = temperature_F + RelationRankineOffset;
    return {(0.7553 - 413.0 / tr) * sqrtSlope + (2416.0 / tr - 2.013),
            -(1.854 - 1042.0 / tr) * sqrtSlope - 8742.0 / tr + 15.64};
}

}  // namespace

double TvpFromRvp_psia(double rvp_psi, double sqrtSlope, double temperature_F) noexcept {
    const LogLine line = LineAt(sqrtSlope, temperature_F);
    return std::exp(line.slope * std::log10(rvp_psi) + line.intercept);
}

SolveResult SolveRvp(double tvp_psia, double sqrtSlope, double temperature_F, double startRvp_psi,
                     const SolveOptions& options) noexcept {
    if (!std::isfinite(tvp_psia) || !std::isfinite(sqrtSlope) || !std::isfinite(temperature_F))
        return {SolveStatus::InputNotFinite, 0.0, 0};
    // The caller hands S^0.5 (S >= 0); a negative number is no square root, and the
    // relation would turn it into a plausible-looking wrong RVP.
    if (sqrtSlope < 0.0) return {SolveStatus::SlopeRootNegative, 0.0, 0};
    if (!(temperature_F + RelationRankineOffset > 0.0)) return {SolveStatus::TemperatureOutOfDomain, 0.0, 0};
    if (!(tvp_psia > 0.0)) return {SolveStatus::TvpNotPositive, 0.0, 0};

    const LogLine line = LineAt(sqrtSlope, temperature_F);
    const double target = std::log(tvp_psia);
    // Residual in ln P: the relation is smooth and monotone in RVP for a fixed slope,
    // so a sign change across the range brackets exactly one root.
    auto residual = [&](double rvp) { return line.slope * std::log10(rvp) + line.intercept - target; };
    auto derivative = [&](double rvp) { return line.slope / (rvp * std::log(10.0)); };

    double lo = options.rvpMin_psi;
    double hi = options.rvpMax_psi;
    const double residualLo = residual(lo);
    const double residualHi = residual(hi);
    // A TVP that an end of the range gives, up to rounding, is solved by that end.
    constexpr double endTolerance = 1e-12;  // in ln P, that is relative in P
    if (std::fabs(residualLo) <= endTolerance) return {SolveStatus::Solved, lo, 0};
    if (std::fabs(residualHi) <= endTolerance) return {SolveStatus::Solved, hi, 0};
    if (!std::isfinite(residualLo) || !std::isfinite(residualHi) || (residualLo > 0.0) == (residualHi > 0.0))
        return {SolveStatus::NoRvpInRange, 0.0, 0};

    double rvp = (std::isfinite(startRvp_psi) && startRvp_psi > lo && startRvp_psi < hi) ? startRvp_psi
                                                                                          : 0.5 * (lo + hi);
    for (int iteration = 1; iteration <= options.maxIterations; ++iteration) {
        const double r = residual(rvp);
        if (r == 0.0) return {SolveStatus::Solved, rvp, iteration};
        if ((r > 0.0) == (residualLo > 0.0))
            lo = rvp;
        else
            hi = rvp;
        double next = rvp - r / derivative(rvp);
        if (!(next > lo && next < hi)) next = 0.5 * (lo + hi);
        const bool settled = std::fabs(next - rvp) <= options.relativeTolerance * next;
        rvp = next;
        if (settled) return {SolveStatus::Solved, rvp, iteration};
    }
    return {SolveStatus::NotConverged, rvp, options.maxIterations};
}

}  // namespace api5b11
