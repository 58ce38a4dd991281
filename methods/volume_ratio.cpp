#include "methods/volume_ratio.h"

#include <cmath>

#include "core/flash_procedures.h"
#include "core/host_call.h"
#include "core/phase_work.h"

namespace volacor {
namespace {

// Amounts and fractions that count: the same guards PhaseVolume applies.
constexpr double kSmallestCountedFraction = 1e-6;
constexpr double kSmallestMolarFlow = 1e-10;  // below it, volumes are taken for one mole

// The secant search.
constexpr double kStartPressureFactor = 0.9;        // times the boiling-point-curve RVP or the TVP
constexpr double kLiquidSearchStep_kPa = 5000.0;    // added while a flash forms no liquid
constexpr double kSecondTrialFactor = 1.1;          // the second trial after the first point
constexpr double kRaiseFactor = 1.1;                // no liquid, or a flat ratio at or above target
constexpr double kLowerFactor = 0.9;                // no vapour, or a flat ratio below target
constexpr double kDampedStepFraction = 0.1;         // damped step 0.1/k of the secant step
constexpr int kDampedStepTries = 9;                 // k = 1 .. 9
constexpr double kHalvingFactor = 0.5;              // when no damped step is positive
constexpr double kLargeStepRelative = 2.0;          // steps beyond 200 % are probed first
constexpr double kCrossedFromBelowFactor = 0.98;    // probe crossed the target from below
constexpr double kCrossedFromAboveFactor = 1.02;    // probe crossed the target from above
constexpr double kSmallestPressure_kPa = 1e-4;      // replaces a zero trial pressure

// The bisection.
constexpr double kNearDewFraction = 0.99;           // first near-dew request
constexpr double kNearDewFallbackFraction = 0.8;    // when the first one fails
constexpr double kRatioMatch = 1e-3;                // accepted distance from the target ratio
constexpr double kNarrowestBracket_kPa = 1e-5;      // a 50th halving counts only below this

bool IsValidPhase(int32_t phase) { return phase >= 0 && phase < PHASE_COUNT; }

bool PhaseCounts(const FluidSnapshot& record, int32_t phase) {
    return record.phasePresent[phase] != 0 && record.phaseFraction[phase] > kSmallestCountedFraction;
}

double VolumeOf(CPropertyCalculator* calc, const FluidSnapshot& record, double amount, int32_t phase) {
    return PhaseCounts(record, phase) ? PhaseVolume(calc, record, amount, phase) : 0.0;
}

bool IsUsable(double volume) { return volume != 0.0 && volume != EMPTY_VALUE; }

bool Flash(IHostFluidServices* services, FluidSnapshot& record) { return SUCCEEDED(HostFlash(services, record)); }

// A request for a flash at temperature and pressure (or vapour fraction) that clears the
// phase data a previous flash left behind.
void ClearFlashOutputs(FluidSnapshot& record) {
    for (int32_t p = 1; p < PHASE_COUNT_NO_FEED; ++p) record.phaseFraction[p] = EMPTY_VALUE;
    for (int32_t p = 0; p < PHASE_COUNT; ++p) {
        record.phasePropertyA[p] = EMPTY_VALUE;
        record.phasePropertyB[p] = EMPTY_VALUE;
    }
}

// The bubble-point record: the phase's composition without non-condensables, flashed at
// vapour fraction 0. False when the flash fails.
bool FlashBubblePoint(CPropertyCalculator* calc, IHostFluidServices* services, WorkingRecord& record,
                      int32_t phase, double temperature_C, double removeNcMolePercent) {
    record.reset(calc->PreparePhaseWork(calc->snapshot, phase));
    SetBubblePointRequest(record.get(), temperature_C, 0.0);
    StripNonCondensables(*calc, record.get(), removeNcMolePercent);
    return Flash(services, record.get());
}

// What the secant search ends with: a pressure, or the request to fall back.
struct SecantOutcome {
    bool fallBack;
    double pressure_kPa;
};
constexpr SecantOutcome kFallBack{true, 0.0};

SecantOutcome SecantSearch(CPropertyCalculator* calc, int32_t phase, double temperature_C,
                           double removeNcMolePercent, double r) {
    if (!IsValidPhase(phase)) return kFallBack;
    ServicesPtr services = QueryServices(*calc);
    if (!services) return kFallBack;
    if (!LoadPhase(*calc, phase)) return kFallBack;
    const char* phaseName = PhaseName(phase);
    IHostFluidServices* svc = services.get();

    WorkingRecord tvpRecord;
    if (!FlashBubblePoint(calc, svc, tvpRecord, phase, temperature_C, removeNcMolePercent)) {
        ReportPhaseMessage(svc, VOLUME_RATIO_REQUIRES_TVP, phaseName);
        return kFallBack;
    }
    const double tvp_kPa = tvpRecord->pressure;
    if (IsSingleComponent(tvpRecord.get())) {
        HostAddMessage(svc, SINGLE_COMPONENT_LINE);
        return {false, tvp_kPa};
    }
    tvpRecord.Free();

    const double bpCurveRvp_kPa = calc->analysis.bpCurveRvp[phase];
    if (bpCurveRvp_kPa == EMPTY_VALUE) ReportPhaseMessage(svc, VOLUME_RATIO_NO_BP_CURVE_RVP, phaseName);

    double p = EMPTY_VALUE;
    if (bpCurveRvp_kPa != EMPTY_VALUE) {
        p = kStartPressureFactor * bpCurveRvp_kPa;
    } else if (tvp_kPa != EMPTY_VALUE) {
        p = kStartPressureFactor * tvp_kPa;
    }

    // The iteration record keeps the non-condensables; only its pressure changes.
    WorkingRecord record(calc->PreparePhaseWork(calc->snapshot, phase));
    record->temperature = temperature_C;

    auto flashAt = [&](double pressure_kPa) {
        record->pressure = pressure_kPa;
        if (Flash(svc, record.get())) return true;
        ReportPhaseMessage(svc, VOLUME_RATIO_FLASH_FAILED, phaseName);
        return false;
    };
    auto notConverged = [&] { ReportPhaseMessage(svc, VOLUME_RATIO_NOT_CONVERGED, phaseName, MaxIterations); };

    // Liquid search: raise the pressure until a flash forms liquid.
    LiquidVapourVolumes v{};
    int k = 0;
    do {
        if (!flashAt(p)) return kFallBack;
        v = MeasureLiquidVapourVolumes(calc, record.get());
        if (v.liquid == 0.0) p += kLiquidSearchStep_kPa;
        ++k;
    } while (!(v.liquid > 0.0) && k < MaxIterations);
    if (k == MaxIterations) {
        notConverged();
        return kFallBack;
    }

    // Safeguarded secant through the best point so far and the latest trial.
    double ratioRef = v.vapour / v.liquid;
    double pRef = p;
    double errorBest = std::fabs(ratioRef - r);
    double ratioLast = EMPTY_VALUE;
    int i = 1;
    double pTrial = kSecondTrialFactor * p;
    if (errorBest <= IterationTolerance) return {false, p};

    while (errorBest > IterationTolerance && i < MaxIterations) {
        if (!flashAt(pTrial)) return kFallBack;
        v = MeasureLiquidVapourVolumes(calc, record.get());
        double pNext;
        if (v.liquid == 0.0) {
            pNext = kRaiseFactor * pTrial;
        } else if (v.vapour == 0.0 || v.vapour == EMPTY_VALUE) {
            pNext = kLowerFactor * pTrial;
        } else {
            double ratio = ratioLast;
            if (v.liquid != EMPTY_VALUE) {
                ratio = v.vapour / v.liquid;
                ratioLast = ratio;
            }
            const double error = std::fabs(ratio - r);

            if (ratio == ratioRef) {
                pNext = ratio < r ? kLowerFactor * pTrial : kRaiseFactor * pTrial;
            } else {
                pNext = pTrial - (pTrial - pRef) * (ratio - r) / (ratio - ratioRef);
                // Ratios a few subnormals apart make the step overflow upwards (downwards it
                // is a non-positive step, handled below): step as on a flat ratio, so the
                // host is never asked to flash at an unbounded pressure.
                if (!(pNext <= 0.0) && !std::isfinite(pNext))
                    pNext = ratio < r ? kLowerFactor * pTrial : kRaiseFactor * pTrial;
                if (pNext <= 0.0) {
                    bool found = false;
                    for (int damp = 1; damp <= kDampedStepTries && !found; ++damp) {
                        const double candidate =
                            pTrial - (kDampedStepFraction / damp) * (ratio - r) * (pTrial - pRef) / (ratio - ratioRef);
                        if (candidate > 0.0) {
                            pNext = candidate;
                            found = true;
                        }
                    }
                    if (!found) pNext = kHalvingFactor * pTrial;
                }
            }

            if (std::fabs((pNext - pTrial) / pTrial) > kLargeStepRelative) {
                if (!flashAt(pNext)) return kFallBack;
                const LiquidVapourVolumes probe = MeasureLiquidVapourVolumes(calc, record.get());
                double probeRatio = ratioLast;
                if (IsUsable(probe.liquid)) {
                    probeRatio = probe.vapour / probe.liquid;
                    ratioLast = probeRatio;
                }
                if (ratio < r && probeRatio > r) {
                    pNext = kCrossedFromBelowFactor * pTrial;
                } else if (ratio > r && probeRatio < r) {
                    pNext = kCrossedFromAboveFactor * pTrial;
                }
                ratio = probeRatio;
            }

            if (pNext == 0.0) pNext = kSmallestPressure_kPa;
            if (error < errorBest) {
                ratioRef = ratio;
                pRef = pTrial;
                errorBest = error;
            }
        }
        pTrial = pNext;
        ++i;
    }
    if (i == MaxIterations) {
        notConverged();
        return kFallBack;
    }
    return {false, pRef};
}

}  // namespace

LiquidVapourVolumes MeasureLiquidVapourVolumes(CPropertyCalculator* calc, const FluidSnapshot& flashed) {
    const double amount = calc->molarFlow < kSmallestMolarFlow ? 1.0 : calc->molarFlow;
    const double liq1 = VolumeOf(calc, flashed, amount, LIQ1);
    const double liq2 = VolumeOf(calc, flashed, amount, LIQ2);
    const double liquid = (liq1 == EMPTY_VALUE || liq2 == EMPTY_VALUE) ? EMPTY_VALUE : liq1 + liq2;
    return {liquid, VolumeOf(calc, flashed, amount, VAP)};
}

double IterateToVolumeRatio(CPropertyCalculator* calc, int32_t phase, double temperature_C,
                            double removeNcMolePercent, double targetRatio) {
    // The secant search has released its services and freed its records before the
    // bisection starts.
    const SecantOutcome outcome = SecantSearch(calc, phase, temperature_C, removeNcMolePercent, targetRatio);
    if (!outcome.fallBack) return outcome.pressure_kPa;
    return BisectToVolumeRatio(calc, phase, temperature_C, removeNcMolePercent, targetRatio);
}

double BisectToVolumeRatio(CPropertyCalculator* calc, int32_t phase, double temperature_C,
                           double removeNcMolePercent, double r) {
    if (!IsValidPhase(phase)) return EMPTY_VALUE;
    ServicesPtr services = QueryServices(*calc);
    if (!services) return EMPTY_VALUE;
    IHostFluidServices* svc = services.get();
    if (!calc->LoadFluidState()) return EMPTY_VALUE;
    if (phase != FEED && calc->snapshot.phasePresent[phase] == 0) return EMPTY_VALUE;
    // A phase cut from nothing is no fluid to flash.
    if (calc->snapshot.componentCount <= 0 || calc->snapshot.composition[phase] == nullptr) return EMPTY_VALUE;

    WorkingRecord record;
    if (!FlashBubblePoint(calc, svc, record, phase, temperature_C, removeNcMolePercent)) return EMPTY_VALUE;
    double pHigh = record->pressure;
    if (IsSingleComponent(record.get())) {
        HostAddMessage(svc, SINGLE_COMPONENT_LINE);
        return pHigh;
    }

    auto requestNearDew = [&](double vapourFraction) {
        SetBubblePointRequest(record.get(), temperature_C, vapourFraction);
        ClearFlashOutputs(record.get());
        return Flash(svc, record.get());
    };
    if (!requestNearDew(kNearDewFraction) && !requestNearDew(kNearDewFallbackFraction)) return EMPTY_VALUE;
    double pLow = record->pressure;

    if (record->phasePresent[VAP] == 0 || record->phaseFraction[VAP] <= kSmallestCountedFraction) return EMPTY_VALUE;
    const LiquidVapourVolumes nearDew = MeasureLiquidVapourVolumes(calc, record.get());
    if (!IsUsable(nearDew.vapour) || !IsUsable(nearDew.liquid)) return EMPTY_VALUE;
    if (std::fabs(r) <= kRatioMatch) return EMPTY_VALUE;

    double ratio = 0.0;
    double mid = EMPTY_VALUE;
    bool matched = false;
    for (int n = 1; n <= MaxIterations; ++n) {
        mid = (pLow + pHigh) / 2.0;
        record->pressure = mid;
        record->temperature = temperature_C;
        record->phaseFraction[VAP] = EMPTY_VALUE;
        ClearFlashOutputs(record.get());
        if (Flash(svc, record.get())) {
            const LiquidVapourVolumes v = MeasureLiquidVapourVolumes(calc, record.get());
            if (IsUsable(v.liquid) && IsUsable(v.vapour)) ratio = v.vapour / v.liquid;
        }
        if (r > ratio) {
            pHigh = mid;
        } else {
            pLow = mid;
        }
        matched = std::fabs(ratio - r) <= kRatioMatch;
        if (matched) {
            if (n < MaxIterations) return mid;
            break;
        }
    }
    // A 50th-halving match counts only in a bracket that has closed; a bracket that
    // closed without the ratio matching is no answer.
    if (matched && std::fabs(pLow - pHigh) < kNarrowestBracket_kPa) return mid;
    return EMPTY_VALUE;
}

}  // namespace volacor
