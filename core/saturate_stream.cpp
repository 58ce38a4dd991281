// CPropertyCalculator::SaturateStream: adds a second stream to 100 moles of a base stream
// at 33 °F and 1 atm until the mixture's vapour fraction reaches a target, by secant steps
// through the best amount so far and the latest trial.
#include <algorithm>
#include <cmath>

#include "core/host_call.h"
#include "core/phase_work.h"
#include "core/property_calculator.h"
#include "core/units.h"

namespace volacor {
namespace {

constexpr double SaturationTemperature_C = units::CelsiusFromFahrenheit(33.0);
constexpr double SaturationPressure_kPa = units::OneAtmosphere_kPa;
constexpr double BaseAmount = 100.0;  // moles of the base stream
constexpr double FirstTrialAmount = 1.0;
constexpr double SecondTrialAmount = 1.1;
constexpr double PlateauStep = 0.1;            // added while the vapour fraction stays at 0 or 1
constexpr double SmallestTrialAmount = 1e-4;   // replaces a negative secant step

constexpr const char* FlashFailed = "Phase: %s - %s Flash failed when saturating at 33\xB0" "F and 1 atm.";
constexpr const char* CouldNotSaturate = "Phase: %s - %s Could not saturate stream.";
constexpr const char* NotConverged = "Phase: %s - %s Not converged, when saturating, at %d iterations.";

// The record is packed: its members are read by index, never bound to a reference.
bool HasCompositionArrays(const FluidSnapshot& record) {
    for (int32_t p = 0; p < PHASE_COUNT; ++p)
        if (!record.composition[p]) return false;
    return true;
}

double VapourFraction(const FluidSnapshot& record) {
    const double fraction = record.phaseFraction[0];
    return std::max(0.0, fraction);
}

// Overall composition of 100 moles of base plus amount moles of added, normalised unless
// it sums to exactly 0; then the flash conditions.
void SetUpMixture(FluidSnapshot& mixture, const double* base, const double* added, double amount) {
    const int32_t n = mixture.componentCount;
    double* overall = mixture.composition[FEED];
    for (int32_t k = 0; k < n; ++k) overall[k] = BaseAmount * base[k] + amount * added[k];
    NormaliseUnlessZero(overall, n);
    mixture.temperature = SaturationTemperature_C;
    mixture.pressure = SaturationPressure_kPa;
}

}  // namespace

FluidSnapshot CPropertyCalculator::SaturateStream(FluidSnapshot base, FluidSnapshot added, double target,
                                                  double& addedPerBase, const char* methodName, int32_t phase,
                                                  int32_t& failed) {
    const char* phaseName = PhaseName(phase);
    FluidSnapshot result{};
    ServicesPtr services = QueryServices(*this);
    if (!services) {
        failed = 1;
        return result;
    }
    // An index outside the five phases names no composition of base to read.
    if (phase < 0 || phase >= PHASE_COUNT) {
        failed = 1;
        return result;
    }
    WorkingRecord mixture(PreparePhaseWork(base, phase));
    const double* baseComposition = base.composition[phase];
    const double* addedComposition = added.composition[FEED];
    // Nothing to mix from: no flash is asked for, as with a base without a composition.
    if (!HasCompositionArrays(mixture.get()) || !addedComposition ||
        added.componentCount < mixture->componentCount) {
        failed = 1;
        return result;
    }

    SetUpMixture(mixture.get(), baseComposition, addedComposition, FirstTrialAmount);
    if (FAILED(HostFlash(services.get(), mixture.get()))) {
        ReportPhaseMessage(services.get(), FlashFailed, phaseName, methodName);
        failed = 1;
        return result;
    }

    double bestAmount = FirstTrialAmount;
    double bestFraction = VapourFraction(mixture.get());
    double bestError = std::fabs(bestFraction - target);
    double trialAmount = SecondTrialAmount;
    double secantAmount = 0.0;
    int iteration = 0;
    while (bestError > SaturationTolerance) {
        if (iteration >= MaxIterations) break;
        SetUpMixture(mixture.get(), baseComposition, addedComposition, trialAmount);
        if (FAILED(HostFlash(services.get(), mixture.get()))) {
            ReportPhaseMessage(services.get(), FlashFailed, phaseName, methodName);
            failed = 1;
            return result;
        }
        const double fraction = VapourFraction(mixture.get());
        double nextAmount;
        if ((bestFraction == 0.0 && fraction == 0.0) || (bestFraction == 1.0 && fraction == 1.0)) {
            // No slope to follow: step on from the larger amount.
            bestAmount = std::max(trialAmount, bestAmount);
            nextAmount = bestAmount + PlateauStep;
        } else {
            if (fraction != bestFraction)
                secantAmount = trialAmount -
                               (trialAmount - bestAmount) * (fraction - target) / (fraction - bestFraction);
            // A negative step, or one that overflowed (fractions a few ulps apart make
            // the secant steep): the host is never asked to flash an unbounded amount.
            if (!(secantAmount >= 0.0) || !std::isfinite(secantAmount)) {
                if (trialAmount == SmallestTrialAmount) {
                    ReportPhaseMessage(services.get(), CouldNotSaturate, phaseName, methodName);
                    failed = 1;
                    return result;
                }
                secantAmount = SmallestTrialAmount;
            }
            if (std::fabs(fraction - target) < bestError) {
                bestAmount = trialAmount;
                bestFraction = fraction;
                bestError = std::fabs(fraction - target);
            }
            nextAmount = secantAmount;
        }
        ++iteration;
        trialAmount = nextAmount;
        secantAmount = trialAmount;
    }
    // Reaching the limit is a failure even when its last trial met the tolerance.
    if (iteration == MaxIterations) {
        ReportPhaseMessage(services.get(), NotConverged, phaseName, methodName, MaxIterations);
        failed = 1;
        return result;
    }
    // The loop ends within the tolerance only right after a trial that became the best,
    // so the record holds the flash of bestAmount.
    addedPerBase = bestAmount / BaseAmount;
    result = mixture.get();
    mixture.get() = FluidSnapshot{};  // the caller owns the arrays now
    return result;
}

}  // namespace volacor
