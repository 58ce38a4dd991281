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

// Volumes of the vapour and of the liquids (both together) in a flashed phase, m³ per
// kmol of the phase, with the liquids' share of it.
struct Volumes {
    double vapour = 0;
    double liquid = 0;
    double liquidFraction = 0;
};

Volumes VolumesOf(const thermo::FlashResult& r) {
    Volumes v;
    for (int slot = 0; slot < thermo::kPhaseSlots; ++slot) {
        const thermo::PhaseResult& phase = r.phases[slot];
        if (!phase.present) continue;
        if (slot == thermo::kVapour) {
            v.vapour += phase.fraction * phase.v_m3_per_kmol;
        } else {
            v.liquid += phase.fraction * phase.v_m3_per_kmol;
            v.liquidFraction += phase.fraction;
        }
    }
    return v;
}

// Volume fraction of vapour, V / (V + L).
std::optional<double> VapourVolumeFraction(const thermo::FlashResult& r) {
    const Volumes v = VolumesOf(r);
    if (!(v.vapour + v.liquid > 0)) return std::nullopt;
    return v.vapour / (v.vapour + v.liquid);
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
          ratio_(options.vapourLiquidRatio),
          target_(options.vapourLiquidRatio / (1 + options.vapourLiquidRatio)),
          options_(options) {}

    BpCurveRvpResult Run() {
        const BpCurveRvpResult none{EMPTY_VALUE, EMPTY_VALUE, 0};
        if (!(ratio_ > 0) || !std::isfinite(ratio_)) return none;
        try {
            const std::optional<double> bubble = Saturation(0.0);
            if (bubble) {
                const thermo::PhaseResult& vapour = result_.vapour();
                const Volumes liquid = VolumesOf(result_);
                if (vapour.present && vapour.v_m3_per_kmol > 0 && liquid.liquid > 0 &&
                    ByVapourFraction(vapour.v_m3_per_kmol, liquid.liquid / liquid.liquidFraction))
                    return Accepted();
            }
            best_.reset();  // the pressure search measures its error otherwise
            ByPressure(bubble);
        } catch (const FlashFailed&) {
            return Result(none);
        } catch (const std::exception&) {
            // The root finder refused its bracket: no answer rather than a wrong one.
            return Result(none);
        }
        return Accepted();
    }

 private:
    BpCurveRvpResult Result(BpCurveRvpResult r) const {
        r.flashes = flashes_;
        return r;
    }

    BpCurveRvpResult Accepted() const {
        if (!best_ || std::abs(best_->ratio - ratio_) > kAcceptedRatioError * ratio_)
            return Result({EMPTY_VALUE, EMPTY_VALUE, 0});
        return Result({best_->pressure_kPa, best_->ratio, 0});
    }

    void Keep(double P_kPa, double ratio, double error) {
        if (best_ && std::abs(error) >= std::abs(bestError_)) return;
        best_ = BpCurveRvpResult{P_kPa, ratio, 0};
        bestError_ = error;
    }

    bool Close(double a, double b) const {
        return std::abs(b - a) < 1e-13 || (best_ && std::abs(bestError_) < options_.tolerance);
    }

    std::optional<double> Saturation(double beta) {
        ++flashes_;
        flasher_.flash_t_beta(T_K_, beta, x_, result_);
        if (result_.status != thermo::FlashStatus::Converged) return std::nullopt;
        return result_.P_kPa;
    }

    // The vapour mole fraction beta at which V/L is the ratio, by flashes at given beta
    // (cheaper than PT flashes, and V/L rises smoothly with beta). V/L = r means
    // beta = r v_L / (v_V + r v_L) with the molar volumes of vapour and liquid at beta:
    // a fixed point that starts from the bubble point's volumes. Its steps fall on either
    // side of the answer (the vapour swells as beta rises), and as soon as two do, TOMS 748
    // (Alefeld, Potra & Shi, ACM Trans. Math. Softw. 21 (1995) 327) finishes on ln beta.
    // False when a flash fails or no bracket appears; the pressure search then takes over.
    bool ByVapourFraction(double vapour_m3_per_kmol, double liquid_m3_per_kmol) {
        constexpr int kFixedPointSteps = 6;
        double beta = ratio_ * liquid_m3_per_kmol / (vapour_m3_per_kmol + ratio_ * liquid_m3_per_kmol);
        Volumes v;
        std::optional<double> h = RatioError(beta, v);
        for (int step = 0; h && step < kFixedPointSteps; ++step) {
            if (std::abs(*h) < options_.tolerance) return true;
            const double vapourMolar = v.vapour / beta;
            const double liquidMolar = v.liquid / v.liquidFraction;
            const double next = ratio_ * liquidMolar / (vapourMolar + ratio_ * liquidMolar);
            const std::optional<double> hNext = RatioError(next, v);
            if (!hNext) return false;
            if ((*h < 0) != (*hNext < 0)) {
                auto f = [this](double lnBeta) {
                    Volumes unused;
                    const std::optional<double> e = RatioError(std::exp(lnBeta), unused);
                    if (!e) throw FlashFailed{};
                    return *e;
                };
                auto close = [this](double a, double b) { return Close(a, b); };
                double a = std::log(beta), b = std::log(next), fa = *h, fb = *hNext;
                if (a > b) std::swap(a, b), std::swap(fa, fb);
                boost::uintmax_t iterations = static_cast<boost::uintmax_t>(options_.maxIterations);
                boost::math::tools::toms748_solve(f, a, b, fa, fb, close, iterations);
                return true;
            }
            beta = next;
            h = hNext;
        }
        return h && std::abs(*h) < options_.tolerance;
    }

    // ln(V/L / ratio) at vapour fraction beta; none when the flash fails or lacks a phase.
    std::optional<double> RatioError(double beta, Volumes& v) {
        if (!(beta > 0 && beta < 1)) return std::nullopt;
        if (!Saturation(beta)) return std::nullopt;
        v = VolumesOf(result_);
        if (!(v.vapour > 0 && v.liquid > 0 && v.liquidFraction > 0)) return std::nullopt;
        const double error = std::log(v.vapour / v.liquid / ratio_);
        Keep(result_.P_kPa, v.vapour / v.liquid, error);
        return error;
    }

    // The pressure between the bubble and the dew point (or, lacking one, a pressure
    // stepped to from the other) at which the vapour's volume fraction is r / (1 + r), by
    // PT flashes and TOMS 748 on ln P. For phases whose bubble point cannot be found or
    // whose flashes at given beta fail (a nearly pure aqueous phase, a gas).
    void ByPressure(std::optional<double> bubble) {
        const std::optional<double> dew = Saturation(1.0);
        if (bubble && dew && std::abs(*bubble - *dew) <= kSinglePressureTolerance * *bubble) {
            Keep(*bubble, ratio_, 0.0);
            return;
        }
        // Vapour side (g > 0) at lo, liquid side (g < 0) at hi; g = fraction - target.
        double lo = 0, hi = 0, glo = 0, ghi = 0;
        if (bubble) {
            hi = *bubble;
            ghi = -target_;
            if (dew && *dew < *bubble) {
                lo = *dew;
                glo = 1 - target_;
            } else if (!Step(hi, 1 / kBracketStep, +1, lo, glo)) {
                return;
            }
        } else if (dew) {
            lo = *dew;
            glo = 1 - target_;
            if (!Step(lo, kBracketStep, -1, hi, ghi)) return;
        } else {
            return;
        }
        auto g = [this](double lnP) {
            double P = std::exp(lnP);
            return G(P);
        };
        auto close = [this](double a, double b) { return Close(a, b); };
        boost::uintmax_t iterations = static_cast<boost::uintmax_t>(options_.maxIterations);
        boost::math::tools::toms748_solve(g, std::log(lo), std::log(hi), glo, ghi, close, iterations);
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
                    Keep(P_kPa, Ratio(*fraction), g);
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

    thermo::Flasher& flasher_;
    std::span<const double> x_;
    double T_K_;
    double ratio_;
    double target_;  // vapour volume fraction at the wanted ratio
    const BpCurveRvpOptions& options_;
    thermo::FlashResult result_;
    int flashes_ = 0;
    std::optional<BpCurveRvpResult> best_;
    double bestError_ = 0;  // of best_, in the measure of the search that found it
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
