// PhaseVolume and IterateToRVP: the volume an amount occupies in a flashed record, and the
// secant search for the pressure at which the test mixture fills the chamber.
#include "core/flash_procedures.h"

#include <cmath>

#include "core/host_call.h"
#include "core/phase_work.h"
#include "core/units.h"

namespace volacor {
namespace {

constexpr double SmallestPhaseFraction = 1e-6;        // a phase below this holds no volume
constexpr double SmallestInverseMolarVolume = 1e-10;  // guards the division by 1 / molar volume
constexpr double ChamberVolume = 100.0;               // 20 units of sample + 80 units of air
constexpr double SecondTrialFactor = 1.1;             // second trial pressure / start pressure
constexpr double FallbackFactor = 0.25;               // times the best pressure when the secant step is not positive

constexpr const char* RvpFlashFailed = "Phase: %s - %s Flash to determine RVP at %g\xB0" "F and %g atm has failed.";
constexpr const char* RvpNotConverged = "Phase: %s - %s Not converged, iterating to RVP, at %d iterations.";

// Names the trial's conditions as asked, whatever a failing host left in the record.
void ReportRvpFlashFailed(IHostFluidServices* services, const char* phaseName, const char* methodName,
                          double temperature_C, double pressure_kPa) {
    ReportPhaseMessage(services, RvpFlashFailed, phaseName, methodName, units::FahrenheitFromCelsius(temperature_C),
                       pressure_kPa / units::OneAtmosphere_kPa);
}

}  // namespace

double PhaseVolume(CPropertyCalculator* /*calc*/, FluidSnapshot snapshot, double amount, int32_t phase) {
    if (amount == 0.0 || amount == EMPTY_VALUE) return amount;

    if (phase >= 0 && phase < PHASE_COUNT_NO_FEED) {
        const double fraction = snapshot.phaseFraction[phase];
        const double molarVolume = snapshot.molarVolume[phase];
        if (fraction < SmallestPhaseFraction || molarVolume <= 0.0 || snapshot.phasePresent[phase] == 0 ||
            1.0 / molarVolume <= SmallestInverseMolarVolume)
            return EMPTY_VALUE;
        return fraction * amount / (1.0 / molarVolume);
    }
    if (phase != FEED) return EMPTY_VALUE;

    double volumePerMole = 0.0;
    for (int32_t p = 0; p < PHASE_COUNT_NO_FEED; ++p) {
        const double fraction = snapshot.phaseFraction[p];
        const double molarVolume = snapshot.molarVolume[p];
        if (fraction < SmallestPhaseFraction || molarVolume <= 0.0 || snapshot.phasePresent[p] == 0) continue;
        // A phase right at the threshold is taken as too uncertain to count.
        if (fraction == SmallestPhaseFraction) return EMPTY_VALUE;
        volumePerMole += fraction / (1.0 / molarVolume);
    }
    if (volumePerMole > 0.0 && 1.0 / volumePerMole > SmallestInverseMolarVolume)
        return amount / (1.0 / volumePerMole);
    return EMPTY_VALUE;
}

int32_t IterateToRVP(CPropertyCalculator* calc, FluidSnapshot& mixture, double startPressure_kPa, double amount,
                     double temperature_C, const char* methodName, int32_t phase, double& pressureOut_kPa) {
    const char* phaseName = PhaseName(phase);
    ServicesPtr services = QueryServices(*calc);
    if (!services) return 0;

    mixture.pressure = startPressure_kPa;
    mixture.temperature = temperature_C;
    if (FAILED(HostFlash(services.get(), mixture))) {
        ReportRvpFlashFailed(services.get(), phaseName, methodName, temperature_C, startPressure_kPa);
        return 0;
    }
    // A mixture that fills no volume has no chamber pressure: failing here keeps a start
    // guess from ever being returned as a result.
    double bestVolume = PhaseVolume(calc, mixture, amount, phase);
    if (!(bestVolume > 0.0)) {
        ReportRvpFlashFailed(services.get(), phaseName, methodName, temperature_C, startPressure_kPa);
        return 0;
    }

    double bestPressure_kPa = startPressure_kPa;
    double bestError = std::fabs(bestVolume - ChamberVolume);
    double trialPressure_kPa = SecondTrialFactor * startPressure_kPa;
    double secantPressure_kPa = 0.0;
    int iteration = 1;  // the start flash counts
    while (bestError > RVPTolerance) {
        if (iteration >= MaxIterations) break;
        mixture.temperature = temperature_C;
        mixture.pressure = trialPressure_kPa;
        if (FAILED(HostFlash(services.get(), mixture))) {
            ReportRvpFlashFailed(services.get(), phaseName, methodName, temperature_C, trialPressure_kPa);
            return 0;
        }
        const double volume = PhaseVolume(calc, mixture, amount, phase);
        if (!(volume > 0.0)) {
            ReportRvpFlashFailed(services.get(), phaseName, methodName, temperature_C, trialPressure_kPa);
            return 0;
        }
        const double error = std::fabs(volume - ChamberVolume);
        // The secant runs through the best point so far and this trial.
        if (volume != bestVolume)
            secantPressure_kPa = trialPressure_kPa - (trialPressure_kPa - bestPressure_kPa) *
                                                         (volume - ChamberVolume) / (volume - bestVolume);
        if (bestError > error) {
            bestError = error;
            bestVolume = volume;
            bestPressure_kPa = trialPressure_kPa;
        }
        // A step that is not positive, or that has overflowed (volumes that barely change
        // make the secant steep), falls back on a quarter of the best pressure: the host
        // is never asked to flash at an infinite or undefined pressure.
        if (!(secantPressure_kPa > 0.0) || !std::isfinite(secantPressure_kPa))
            secantPressure_kPa = FallbackFactor * bestPressure_kPa;
        ++iteration;
        trialPressure_kPa = secantPressure_kPa;
    }
    // Reaching the limit is a failure even when its last trial met the tolerance.
    if (iteration == MaxIterations) {
        ReportPhaseMessage(services.get(), RvpNotConverged, phaseName, methodName, MaxIterations);
        return 0;
    }
    pressureOut_kPa = bestPressure_kPa;
    return 1;
}

}  // namespace volacor
