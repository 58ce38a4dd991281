#include "testsupport/model_fluid/model_flash.h"

#include <cmath>

#include "host/phase.h"

namespace volacor::model {
namespace {

constexpr int BisectionSteps = 200;  // halves a unit interval far below double precision
constexpr double LowestPressure_kPa = 1e-4;
constexpr double HighestPressure_kPa = 1e8;

// Root of a function that falls over [lo, hi]: the last point where it is still positive
// and the first where it is not close in on each other.
template <class F>
double BisectFalling(F f, double lo, double hi) {
    for (int step = 0; step < BisectionSteps && hi - lo > 1e-16; ++step) {
        const double mid = 0.5 * (lo + hi);
        if (f(mid) > 0.0)
            lo = mid;
        else
            hi = mid;
    }
    return 0.5 * (lo + hi);
}

int WaterIndex(ComponentList components) {
    for (size_t i = 0; i < components.size(); ++i)
        if (components[i]->isWater) return static_cast<int>(i);
    return -1;
}

// Vapour fraction of a feed whose components all may enter both phases (Rachford-Rice).
double SolveRachfordRice(const std::vector<double>& z, const std::vector<double>& k) {
    auto f = [&](double beta) {
        double sum = 0.0;
        for (size_t i = 0; i < z.size(); ++i) sum += z[i] * (k[i] - 1.0) / (1.0 + beta * (k[i] - 1.0));
        return sum;
    };
    if (f(0.0) <= 0.0) return 0.0;
    if (f(1.0) >= 0.0) return 1.0;
    return BisectFalling(f, 0.0, 1.0);
}

void Normalise(std::vector<double>& v) {
    double sum = 0.0;
    for (double x : v) sum += x;
    if (sum > 0.0)
        for (double& x : v) x /= sum;
}

}  // namespace

bool Equilibrate(ComponentList components, std::span<const double> feed, double temperature_K,
                 double pressure_kPa, Equilibrium& out) {
    const size_t n = components.size();
    if (feed.size() < n || !std::isfinite(temperature_K) || !(temperature_K > 0.0) ||
        !std::isfinite(pressure_kPa) || !(pressure_kPa > 0.0))
        return false;
    std::vector<double> z(feed.begin(), feed.begin() + static_cast<std::ptrdiff_t>(n));
    double total = 0.0;
    for (double x : z) {
        if (!std::isfinite(x) || x < 0.0) return false;
        total += x;
    }
    if (!(total > 0.0)) return false;
    for (double& x : z) x /= total;

    std::vector<double> k(n);
    for (size_t i = 0; i < n; ++i) k[i] = VapourPressure_kPa(*components[i], temperature_K) / pressure_kPa;

    out = Equilibrium{};
    out.vapour.assign(n, 0.0);
    out.liquid.assign(n, 0.0);
    const int w = WaterIndex(components);
    const double zWater = w >= 0 ? z[static_cast<size_t>(w)] : 0.0;
    const double zOther = 1.0 - zWater;

    // Water alone: it boils or it does not.
    if (!(zOther > 0.0)) {
        const auto iw = static_cast<size_t>(w);
        out.vapour[iw] = 1.0;
        if (k[iw] < 1.0)
            out.waterFraction = 1.0;
        else
            out.vapourFraction = 1.0;
        return true;
    }

    // The other components on a water-free basis.
    std::vector<double> zFree, kFree;
    for (size_t i = 0; i < n; ++i) {
        if (static_cast<int>(i) == w) continue;
        zFree.push_back(z[i] / zOther);
        kFree.push_back(k[i]);
    }

    // With a water phase the vapour carries water at its vapour pressure.
    if (zWater > 0.0 && k[static_cast<size_t>(w)] < 1.0) {
        const double yWater = k[static_cast<size_t>(w)];
        std::vector<double> kDry(kFree);
        for (double& x : kDry) x /= 1.0 - yWater;
        const double beta = SolveRachfordRice(zFree, kDry);
        const double vapour = beta * zOther / (1.0 - yWater);
        const double water = zWater - vapour * yWater;
        if (water >= 0.0) {
            out.vapourFraction = vapour;
            out.liquidFraction = (1.0 - beta) * zOther;
            out.waterFraction = water;
            for (size_t i = 0, j = 0; i < n; ++i) {
                if (static_cast<int>(i) == w) {
                    out.vapour[i] = yWater;
                    continue;
                }
                const double x = zFree[j] / (1.0 + beta * (kDry[j] - 1.0));
                out.liquid[i] = x;
                out.vapour[i] = (1.0 - yWater) * kDry[j] * x;
                ++j;
            }
            return true;
        }
    }

    // No water phase: whatever water there is stays in the vapour.
    double vapour;
    if (zWater > 0.0) {
        auto g = [&](double v) {
            double sum = zWater / v;
            for (size_t j = 0; j < zFree.size(); ++j) {
                const double zi = zFree[j] * zOther;
                sum += zi * (kFree[j] - 1.0) / (1.0 - v + v * kFree[j]);
            }
            return sum;
        };
        vapour = g(1.0) >= 0.0 ? 1.0 : BisectFalling(g, 0.0, 1.0);
    } else {
        vapour = SolveRachfordRice(zFree, kFree);
    }
    out.vapourFraction = vapour;
    out.liquidFraction = 1.0 - vapour;
    for (size_t i = 0, j = 0; i < n; ++i) {
        if (static_cast<int>(i) == w) {
            out.vapour[i] = zWater / vapour;
            continue;
        }
        const double zi = zFree[j] * zOther;
        out.liquid[i] = zi / (1.0 - vapour + vapour * kFree[j]);
        out.vapour[i] = kFree[j] * out.liquid[i];
        ++j;
    }
    Normalise(out.liquid);
    Normalise(out.vapour);
    return true;
}

bool ModelFlash(ComponentList components, FluidSnapshot& record) {
    const double* feedArray = record.composition[FEED];
    if (!feedArray || record.componentCount < 0 ||
        static_cast<size_t>(record.componentCount) != components.size())
        return false;
    const std::span<const double> feed(feedArray, components.size());
    const double temperature_K = record.temperature + KelvinOffset;

    double pressure_kPa = record.pressure;
    Equilibrium eq;
    if (pressure_kPa == EMPTY_VALUE) {
        // Pressure at which the vapour fraction falls to the target, found on a log scale;
        // the liquid side of the boundary, so a bubble point has no vapour at all.
        const double target = record.phaseFraction[0];
        if (!(target >= 0.0 && target <= 1.0)) return false;
        auto above = [&](double logP) {
            Equilibrium trial;
            if (!Equilibrate(components, feed, temperature_K, std::exp(logP), trial)) return -1.0;
            return target >= 1.0 ? (trial.vapourFraction >= 1.0 ? 1.0 : -1.0)
                                 : (trial.vapourFraction > target ? 1.0 : -1.0);
        };
        double lo = std::log(LowestPressure_kPa), hi = std::log(HighestPressure_kPa);
        if (above(lo) <= 0.0 || above(hi) > 0.0) return false;
        for (int step = 0; step < BisectionSteps && hi - lo > 1e-15; ++step) {
            const double mid = 0.5 * (lo + hi);
            if (above(mid) > 0.0)
                lo = mid;
            else
                hi = mid;
        }
        pressure_kPa = std::exp(target >= 1.0 ? lo : hi);
    }
    if (!Equilibrate(components, feed, temperature_K, pressure_kPa, eq)) return false;

    const int w = WaterIndex(components);
    double liquidVolume = 0.0;
    for (size_t i = 0; i < components.size(); ++i)
        liquidVolume += eq.liquid[i] * components[i]->liquidMolarVolume_m3_per_kmol;
    if (!(liquidVolume > 0.0)) {
        // No hydrocarbon liquid can form: give the absent phase a volume all the same.
        liquidVolume = components.empty() ? 0.0 : components[0]->liquidMolarVolume_m3_per_kmol;
    }
    const double waterVolume = w >= 0 ? components[static_cast<size_t>(w)]->liquidMolarVolume_m3_per_kmol : 0.0;
    const double vapourVolume = GasConstant_kPa_m3_per_kmol_K * temperature_K / pressure_kPa;

    record.pressure = pressure_kPa;
    const double fractions[4] = {eq.vapourFraction, eq.liquidFraction, eq.waterFraction, 0.0};
    const double volumes[4] = {vapourVolume, liquidVolume, waterVolume, 0.0};
    double total = 0.0;
    for (int p = 0; p < PHASE_COUNT_NO_FEED; ++p) {
        record.phaseFraction[p] = fractions[p];
        record.molarVolume[p] = volumes[p];
        record.phasePresent[p] = fractions[p] > 0.0 ? 1 : 0;
        total += fractions[p] * volumes[p];
    }
    record.molarVolume[FEED] = total;

    for (size_t i = 0; i < components.size(); ++i) {
        if (record.composition[VAP]) record.composition[VAP][i] = eq.vapour[i];
        if (record.composition[LIQ1]) record.composition[LIQ1][i] = eq.liquid[i];
        if (record.composition[LIQ2]) record.composition[LIQ2][i] = static_cast<int>(i) == w ? 1.0 : 0.0;
        if (record.composition[SOLID]) record.composition[SOLID][i] = 0.0;
    }
    return true;
}

double TotalMolarVolume(const FluidSnapshot& record) {
    double total = 0.0;
    for (int p = 0; p < PHASE_COUNT_NO_FEED; ++p)
        if (record.phasePresent[p]) total += record.phaseFraction[p] * record.molarVolume[p];
    return total;
}

}  // namespace volacor::model
