// The vapour-pressure relation for refined petroleum stocks of EPA AP-42, Chapter 7
// (Organic Liquid Storage Tanks, Section 7.1, after API MPMS Chapter 19.2), and its
// solution for RVP:
//   ln P = [0.7553 - 413.0/Tr]·S^0.5·log10(RVP) - [1.854 - 1042/Tr]·S^0.5
//          + [2416/Tr - 2.013]·log10(RVP) - 8742/Tr + 15.64,     Tr = T + 459.6
// P: true vapour pressure, psia; T: liquid temperature, °F; RVP: psi;
// S: ASTM 10 % distillation slope, °F per vol %.
#pragma once

namespace api5b11 {

// The RVP range over which the relation was fitted, psi (AP-42 Section 7.1).
inline constexpr double RvpMin_psi = 1.0;
inline constexpr double RvpMax_psi = 20.0;
// °F to °R as the relation prints it (459.6); callers hand °R made with 459.69.
inline constexpr double RelationRankineOffset = 459.6;
inline constexpr double CallerRankineOffset = 459.69;

// The relation evaluated forwards: true vapour pressure, psia.
double TvpFromRvp_psia(double rvp_psi, double sqrtSlope, double temperature_F) noexcept;

enum class SolveStatus {
    Solved,
    InputNotFinite,          // TVP, slope root or temperature is NaN or infinite
    SlopeRootNegative,       // a square root is never negative: the caller's input is broken
    TemperatureOutOfDomain,  // T + 459.6 <= 0: the relation divides by it
    TvpNotPositive,          // the relation only gives positive pressures
    NoRvpInRange,            // no RVP within the range reproduces the TVP
    NotConverged,            // the safeguarded iteration ran out of steps
};

struct SolveResult {
    SolveStatus status;
    double rvp_psi;  // meaningful only when status is Solved
    int iterations;
};

struct SolveOptions {
    double rvpMin_psi = RvpMin_psi;
    double rvpMax_psi = RvpMax_psi;
    int maxIterations = 100;           // bisection alone needs < 60 to reach the tolerance
    double relativeTolerance = 1e-13;  // on the RVP step
};

// Solves the relation for the RVP that gives tvp_psia, by Newton's method kept inside
// a shrinking bracket (a step that leaves it is replaced by bisection). startRvp_psi is
// the first estimate; one that is not finite or lies outside the range starts mid-range.
SolveResult SolveRvp(double tvp_psia, double sqrtSlope, double temperature_F, double startRvp_psi,
                     const SolveOptions& options = {}) noexcept;

}  // namespace api5b11
