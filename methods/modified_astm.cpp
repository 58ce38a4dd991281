#include "methods/modified_astm.h"

#include <cmath>
#include <span>

#include "core/host_call.h"
#include "core/phase_work.h"
#include "methods/methods.h"

namespace volacor::modified_astm {
namespace {

// Flash temperatures of the D323 test, rounded as the method has always used them.
constexpr double k35F_C = 1.667;
constexpr double k60F_C = 15.556;
constexpr double k100F_C = 37.778;

constexpr double kApparatusPerLiquidVolume = 5.0;  // test apparatus over liquid chamber volume
constexpr double kLowPressureFraction = 0.95;      // vapour fraction of the flash opening the search
constexpr double kLowPressureFallbackFraction = 0.8;
constexpr double kFirstTarget = 0.97;              // first liquid volume fraction sought
constexpr double kFractionTolerance = 1e-5;        // bisection on the liquid volume fraction
constexpr double kNarrowestBracket_kPa = 0.1;
constexpr double kTargetTolerance = 1e-4;          // change of the target between cycles
constexpr int kMaxPasses = 50;                     // bisection passes per cycle, and cycles
constexpr double kSmallestFraction = 1e-6;
constexpr double kSmallestMolarDensity = 1e-10;
constexpr double kMoles = 100.0;                   // volumes are taken per 100 moles

bool Qualifies(const FluidSnapshot& w, int32_t p) {
    return w.phaseFraction[p] >= kSmallestFraction && w.molarVolume[p] > 0.0 && w.phasePresent[p] != 0;
}

// Sum of fraction x molar volume over the qualifying phases; false when a qualifying
// phase holds exactly the smallest counted fraction.
bool SumMolarVolume(const FluidSnapshot& w, double& sum) {
    sum = 0.0;
    for (int32_t p = 0; p < PHASE_COUNT_NO_FEED; ++p) {
        if (!Qualifies(w, p)) continue;
        if (w.phaseFraction[p] == kSmallestFraction) return false;
        sum += w.phaseFraction[p] / (1.0 / w.molarVolume[p]);
    }
    return true;
}

// The set-ups clear what the previous flash left in the record's phase data.
void ClearPhaseData(FluidSnapshot& w) {
    for (int32_t p = 0; p < PHASE_COUNT; ++p) {
        w.phasePropertyA[p] = EMPTY_VALUE;
        w.phasePropertyB[p] = EMPTY_VALUE;
    }
}

bool FlashBubblePoint(IHostFluidServices* services, FluidSnapshot& w, double temperature_C, double vapourFraction) {
    SetBubblePointRequest(w, temperature_C, vapourFraction);
    for (int32_t p = 1; p < PHASE_COUNT_NO_FEED; ++p) w.phaseFraction[p] = EMPTY_VALUE;
    ClearPhaseData(w);
    return SUCCEEDED(HostFlash(services, w));
}

bool FlashAtPressure(IHostFluidServices* services, FluidSnapshot& w, double pressure_kPa) {
    w.pressure = pressure_kPa;
    for (int32_t p = 0; p < PHASE_COUNT_NO_FEED; ++p) w.phaseFraction[p] = EMPTY_VALUE;
    w.temperature = k100F_C;
    ClearPhaseData(w);
    return SUCCEEDED(HostFlash(services, w));
}

// Liquid volume fraction of a pressure flash; false when either volume is missing.
bool LiquidVolumeFraction(const FluidSnapshot& w, double& fraction) {
    if (!Qualifies(w, LIQ1) || !(1.0 / w.molarVolume[LIQ1] > kSmallestMolarDensity)) return false;
    const double liquid = w.phaseFraction[LIQ1] * kMoles / (1.0 / w.molarVolume[LIQ1]);
    double sum = 0.0;
    if (!SumMolarVolume(w, sum) || !(sum > 0.0) || !(1.0 / sum > kSmallestMolarDensity)) return false;
    const double total = kMoles / (1.0 / sum);
    if (total == 0.0) return false;
    const double candidate = liquid / total;
    if (!std::isfinite(candidate)) return false;
    fraction = candidate;
    return true;
}

double MassWeighted(std::span<const double> molecularWeights, const double* composition) {
    double sum = 0.0;
    for (size_t i = 0; i < molecularWeights.size(); ++i) sum += molecularWeights[i] * composition[i];
    return sum;
}

// Mass density (molar density x mean molecular weight) of the whole fluid at its
// bubble point at temperature_C; EMPTY_VALUE when the flash fails or gives no density.
double BubblePointMassDensity(IHostFluidServices* services, FluidSnapshot& w, double temperature_C,
                              double meanMolecularWeight) {
    if (!FlashBubblePoint(services, w, temperature_C, 0.0)) return EMPTY_VALUE;
    const double molarDensity = PhaseMolarDensity(w, FEED);
    if (molarDensity == EMPTY_VALUE) return EMPTY_VALUE;
    const double density = molarDensity * meanMolecularWeight;
    return std::isfinite(density) && density != 0.0 ? density : EMPTY_VALUE;
}

// The search itself on a prepared working record.
double Search(CPropertyCalculator* calc, IHostFluidServices* services, FluidSnapshot& w) {
    const double* weights = calc->GetComponentArray("Molecular Weight", 0);
    if (weights == nullptr) return EMPTY_VALUE;
    const int32_t n = w.componentCount;
    if (n <= 0 || calc->componentValueCount < n) return EMPTY_VALUE;
    // The calculator's own buffer: nothing fetches another host array until we return.
    const std::span<const double> mw(weights, static_cast<size_t>(n));
    const double meanMw = MassWeighted(mw, w.composition[FEED]);
    if (!(meanMw > 0.0) || !std::isfinite(meanMw)) return EMPTY_VALUE;

    const double rho35 = BubblePointMassDensity(services, w, k35F_C, meanMw);
    if (rho35 == EMPTY_VALUE) return EMPTY_VALUE;
    const double rho60 = BubblePointMassDensity(services, w, k60F_C, meanMw);
    if (rho60 == EMPTY_VALUE) return EMPTY_VALUE;
    const double rho100 = BubblePointMassDensity(services, w, k100F_C, meanMw);
    if (rho100 == EMPTY_VALUE) return EMPTY_VALUE;
    const double balance = (kApparatusPerLiquidVolume / rho35 - 1.0 / rho100) * rho60;
    if (!std::isfinite(balance)) return EMPTY_VALUE;

    if (!FlashBubblePoint(services, w, k100F_C, 0.0)) return EMPTY_VALUE;
    const double pBubble = w.pressure;
    if (pBubble == EMPTY_VALUE || !std::isfinite(pBubble)) return EMPTY_VALUE;
    if (!FlashBubblePoint(services, w, k100F_C, kLowPressureFraction) &&
        !FlashBubblePoint(services, w, k100F_C, kLowPressureFallbackFraction)) {
        return EMPTY_VALUE;
    }
    const double pLow = w.pressure;
    if (pLow == EMPTY_VALUE || !std::isfinite(pLow)) return EMPTY_VALUE;

    double target = kFirstTarget;
    double lvf = 0.0;
    double previousTarget = 0.0;
    double p = EMPTY_VALUE;
    bool haveF = false, haveG = false;
    double lastF = 0.0, lastG = 0.0;

    for (int cycle = 0;; ++cycle) {
        double high = pBubble;
        double low = pLow;
        int passes = 0;
        while (std::fabs(lvf - target) > kFractionTolerance) {
            if (std::fabs(high - low) <= kNarrowestBracket_kPa) break;
            previousTarget = target;
            p = (high + low) * 0.5;
            if (FlashAtPressure(services, w, p)) LiquidVolumeFraction(w, lvf);
            if (target > lvf) {
                low = p;
            } else {
                high = p;
            }
            if (++passes > kMaxPasses) return EMPTY_VALUE;
        }
        // No pass has run yet: there is no pressure to close the cycle with.
        if (p == EMPTY_VALUE) return EMPTY_VALUE;

        if (FlashAtPressure(services, w, p)) {
            double f = MassWeighted(mw, w.composition[VAP]);
            if (f >= 0.0) {
                lastF = f;
                haveF = true;
            } else if (haveF) {
                f = lastF;
            } else {
                return EMPTY_VALUE;
            }
            double g = MassWeighted(mw, w.composition[LIQ1]);
            if (g >= 0.0) {
                lastG = g;
                haveG = true;
            } else if (haveG) {
                g = lastG;
            } else {
                return EMPTY_VALUE;
            }
            if (!Qualifies(w, VAP) || !Qualifies(w, LIQ1)) return EMPTY_VALUE;
            const double vapourDensity = 1.0 / w.molarVolume[VAP];
            const double liquidDensity = 1.0 / w.molarVolume[LIQ1];
            const double a = vapourDensity * f;
            const double bDenominator = 1.0 - a / rho100;
            const double dDenominator = g * liquidDensity * f;
            if (bDenominator == 0.0 || dDenominator == 0.0) return EMPTY_VALUE;
            const double b = balance / bDenominator;
            const double d = (g * a) / dDenominator;
            const double tDenominator = b * d + 1.0;
            if (tDenominator == 0.0) return EMPTY_VALUE;
            target = 1.0 / tDenominator;
            if (!std::isfinite(target)) return EMPTY_VALUE;
        }
        if (cycle >= kMaxPasses) return EMPTY_VALUE;
        if (std::fabs(previousTarget - target) <= kTargetTolerance) return p;
    }
}

}  // namespace

double PhaseMolarDensity(FluidSnapshot work, int32_t phase) {
    if (phase == FEED) {
        double sum = 0.0;
        if (!SumMolarVolume(work, sum) || !(sum > 0.0)) return EMPTY_VALUE;
        return 1.0 / sum;
    }
    if (phase < 0 || phase >= PHASE_COUNT_NO_FEED || !Qualifies(work, phase)) return EMPTY_VALUE;
    return 1.0 / work.molarVolume[phase];
}

// The temperature argument has no effect: every flash sets its own temperature.
double CalculatePhase(CPropertyCalculator* calc, int32_t phase, double /*referenceTemperature_C*/,
                      double removeNcMolePercent) {
    if (phase < 0 || phase >= PHASE_COUNT) return EMPTY_VALUE;
    ServicesPtr services = QueryServices(*calc);
    if (!services) return EMPTY_VALUE;
    if (!LoadPhase(*calc, phase)) return EMPTY_VALUE;

    WorkingRecord work(calc->PreparePhaseWork(calc->snapshot, phase));
    work->pressure = EMPTY_VALUE;
    work->phaseFraction[VAP] = 0.0;
    StripNonCondensables(*calc, work.get(), removeNcMolePercent);
    return Search(calc, services.get(), work.get());
}

}  // namespace volacor::modified_astm
