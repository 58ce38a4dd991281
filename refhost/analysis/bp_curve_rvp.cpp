#include "refhost/analysis/bp_curve_rvp.h"

#include <cmath>
#include <optional>
#include <stdexcept>

#include <boost/math/tools/toms748_solve.hpp>

#include "host/phase.h"
#include "thermo/constants.h"

namespace refhost {
namespace {

using volacor::EMPTY_VALUE;

// Bubble and dew pressures closer than this (relative) belong to a single component
// (or an azeotrope): the phase splits in any ratio at that one pressure.
constexpr double kSinglePressureTolerance = 1e-8;
// Limits of the search for a pressure on the far side of the target when the bubble or
// the dew point is missing.
constexpr double kLowestPressure_kPa = 1e-6;
constexpr double kHighestPressure_kPa = 1e5;
constexpr double kBracketStep = 2.0;
// A flash that fails is tried once more this close by before the search gives up.
constexpr double kRetryStep = 1e-6;
// The ratio reached must match the target within this (relative): a root at a jump of
// the phase labels is no answer.
constexpr double kAcceptedRatioError = 1e-6;

struct FlashFailed {};

// Volume fraction of vapour in a flashed phase: V / (V + L), the liquids together.
std::optional<double> VapourVolumeFraction(const thermo::FlashResult& r) {
    double vapour = 0, liquid = 0;
    for (int slot = 0; slot < thermo::kPhaseSlots; ++slot) {
        const thermo::PhaseResult& phase = r.phases[slot];
        if (!phase.present) continue;
        (slot == thermo::kVapour ? vapour : liquid) += phase.fraction * phase.v_m3_per_kmol;
    }
    if (!(vapour + liquid > 0)) return std::nullopt;
    return vapour / (vapour + liquid);
}

double Ratio(double vapourVolumeFraction) {
    return vapourVolumeFraction < 1 ? vapourVolumeFraction / (1 - vapourVolumeFraction) : EMPTY_VALUE;
}

class RatioSearch {
 public:
    RatioSearch(thermo::Flasher& flasher, std::span<const double> x, const BpCurveRvpOptions& options)
        : flasher_(flasher),
          x_(x),
          T_K_(options.temperature_C + thermo::constants::celsius_offset_K),
          target_(options.vapourLiquidRatio / (1 + options.vapourLiquidRatio)),
          options_(options) {}

    BpCurveRvpResult Run() {
        const BpCurveRvpResult none{EMPTY_VALUE, EMPTY_VALUE, 0};
        if (!(options_.vapourLiquidRatio > 0) || !std::isfinite(options_.vapourLiquidRatio)) return none;
        try {
            const std::optional<double> bubble = Saturation(0.0);
            const std::optional<double> dew = Saturation(1.0);
            if (bubble && dew && std::abs(*bubble - *dew) <= kSinglePressureTolerance * *bubble)
                return {*bubble, options_.vapourLiquidRatio, flashes_};
            // Vapour side (g > 0) at lo, liquid side (g < 0) at hi; g = fraction - target.
            double lo = 0, hi = 0, glo = 0, ghi = 0;
            if (bubble) {
                hi = *bubble;
                ghi = -target_;
                if (dew && *dew < *bubble) {
                    lo = *dew;
                    glo = 1 - target_;
                } else if (!Step(hi, 1 / kBracketStep, +1, lo, glo)) {
                    return Result(none);
                }
            } else if (dew) {
                lo = *dew;
                glo = 1 - target_;
                if (!Step(lo, kBracketStep, -1, hi, ghi)) return Result(none);
            } else {
                return Result(none);
            }
            Solve(lo, hi, glo, ghi);
        } catch (const FlashFailed&) {
            return Result(none);
        } catch (const std::exception&) {
            // The root finder refused its bracket: no answer rather than a wrong one.
            return Result(none);
        }
        if (!best_ || std::abs(best_->ratio - options_.vapourLiquidRatio) > kAcceptedRatioError * options_.vapourLiquidRatio)
            return Result(none);
        return Result({best_->pressure_kPa, best_->ratio, 0});
    }

 private:
    BpCurveRvpResult Result(BpCurveRvpResult r) const {
        r.flashes = flashes_;
        return r;
    }

    std::optional<double> Saturation(double beta) {
        ++flashes_;
        flasher_.flash_t_beta(T_K_, beta, x_, result_);
        if (result_.status != thermo::FlashStatus::Converged) return std::nullopt;
        return result_.P_kPa;
    }

    // g at P by a PT flash; a failed flash is tried once more close by (P is moved).
    double G(double& P_kPa) {
        for (int attempt = 0; attempt < 2; ++attempt) {
            ++flashes_;
            flasher_.flash_pt(T_K_, P_kPa, x_, result_);
            if (result_.status == thermo::FlashStatus::Converged) {
                const std::optional<double> fraction = VapourVolumeFraction(result_);
                if (fraction) {
                    const double g = *fraction - target_;
                    if (!best_ || std::abs(g) < std::abs(best_g_)) {
                        best_ = BpCurveRvpResult{P_kPa, Ratio(*fraction), 0};
                        best_g_ = g;
                    }
                    return g;
                }
            }
            P_kPa *= 1 + kRetryStep;
        }
        throw FlashFailed{};
    }

    // From `start`, multiplies the pressure by `factor` until g has the sign `sign`.
    bool Step(double start, double factor, int sign, double& P_kPa, double& g) {
        P_kPa = start;
        for (;;) {
            P_kPa *= factor;
            if (P_kPa < kLowestPressure_kPa || P_kPa > kHighestPressure_kPa) return false;
            g = G(P_kPa);
            if (g * sign > 0) return true;
        }
    }

    // TOMS 748 (Alefeld, Potra & Shi, ACM Trans. Math. Softw. 21 (1995) 327) on ln P.
    void Solve(double lo, double hi, double glo, double ghi) {
        auto g = [this](double lnP) {
            double P = std::exp(lnP);
            return G(P);
        };
        auto close = [this](double a, double b) {
            return std::abs(b - a) < 1e-13 || (best_ && std::abs(best_g_) < options_.tolerance);
        };
        boost::uintmax_t iterations = static_cast<boost::uintmax_t>(options_.maxIterations);
        boost::math::tools::toms748_solve(g, std::log(lo), std::log(hi), glo, ghi, close, iterations);
    }

    thermo::Flasher& flasher_;
    std::span<const double> x_;
    double T_K_;
    double target_;  // vapour volume fraction at the wanted ratio
    const BpCurveRvpOptions& options_;
    thermo::FlashResult result_;
    int flashes_ = 0;
    std::optional<BpCurveRvpResult> best_;
    double best_g_ = 0;
};

bool Usable(const thermo::Fluid& fluid, std::span<const double> x) {
    if (x.size() != fluid.size()) return false;
    double sum = 0;
    for (double v : x) {
        if (!std::isfinite(v) || v < 0) return false;
        sum += v;
    }
    return sum > 0;
}

}  // namespace

BpCurveRvpResult BoilingPointCurveRvp(thermo::Flasher& flasher, std::span<const double> x,
                                      const BpCurveRvpOptions& options) {
    if (!Usable(flasher.fluid(), x)) return {EMPTY_VALUE, EMPTY_VALUE, 0};
    return RatioSearch(flasher, x, options).Run();
}

double BoilingPointCurveRvp_kPa(const thermo::Fluid& fluid, std::span<const double> x,
                                const BpCurveRvpOptions& options) {
    thermo::Flasher flasher(fluid);
    return BoilingPointCurveRvp(flasher, x, options).pressure_kPa;
}

}  // namespace refhost
