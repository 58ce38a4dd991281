#include "methods/air_saturation.h"

#include <cmath>

#include "core/flash_procedures.h"
#include "core/host_call.h"
#include "core/phase_work.h"
#include "core/units.h"

namespace volacor::air_saturation {
namespace {

constexpr double SaturationTemperature_C = units::CelsiusFromFahrenheit(33.0);
constexpr double OneAtmosphere_kPa = units::OneAtmosphere_kPa;
constexpr double WaterSaturatedAirTarget = 0.9999;  // vapour fraction: the air holds all the water it can
constexpr double SaturatedSampleTarget = 0.00015;   // vapour fraction: the sample holds all the air it can
constexpr double SampleChamberVolume = 20.0;        // volume units of sample in the chamber
constexpr double AirChamberVolume = 80.0;           // volume units of air in the chamber
constexpr double SampleVapourWarning = 1e-6;        // vapour fraction of the chilled sample
constexpr double AirNitrogen = 0.785;               // mole fractions of dry air
constexpr double AirOxygen = 0.215;

// Host component ids and CAS numbers (hyphens dropped).
constexpr double WaterId = 19, WaterCas = 7732185;        // 7732-18-5
constexpr double NitrogenId = 13, NitrogenCas = 7727379;  // 7727-37-9
constexpr double OxygenId = 28, OxygenCas = 7782447;      // 7782-44-7

constexpr const char* RequiresTvp = "Phase: %s - %s Requires TVP.";
constexpr const char* SampleFlashFailed = "Phase: %s - %s Flash to 33\xB0" "F, 1 atm. has failed.";
constexpr const char* SampleHasVapour = "Phase: %s - %s Sample has vapour at 33\xB0" "F and 1 atm.";
constexpr const char* MissingAirAndWater =
    "Phase: %s - %s Missing Oxygen, Nitrogen or Water components - Cannot calculate RVP.";
constexpr const char* MissingAir = "Phase: %s - %s Missing Oxygen or Nitrogen components - Cannot calculate RVP.";
constexpr const char* AirFlashFailed = "Phase: %s - %s Air flash to 33\xB0" "F, 1 atm. has failed.";
constexpr const char* WaterFlashFailed = "Phase: %s - %s Water flash to 33\xB0" "F, 1 atm. has failed.";
constexpr const char* SaturatedAirFlashFailed = "Phase: %s - %s Saturated air flash to 33\xB0" "F, 1 atm. has failed.";
constexpr const char* ChamberFlashFailed = "Phase: %s - %s Air Flash to %g\xB0" "C, %s atm. has failed.";

HRESULT FlashAt(IHostFluidServices* services, FluidSnapshot& record, double pressure_kPa, double temperature_C) {
    record.pressure = pressure_kPa;
    record.temperature = temperature_C;
    return HostFlash(services, record);
}

// The record is packed: its members are read by index, never bound to a reference.
bool HasArrays(const FluidSnapshot& record) {
    for (int32_t p = 0; p < PHASE_COUNT; ++p)
        if (!record.composition[p]) return false;
    return true;
}

// Nearest integer, a fraction of exactly one half rounding down.
double RoundHalfDown(double x) { return std::ceil(x - 0.5); }

bool IsComponent(double id, double cas, double wantedId, double wantedCas) { return id == wantedId || cas == wantedCas; }

struct Found {
    bool water = false, nitrogen = false, oxygen = false;
};

Found FindAirComponents(const double* ids, const double* cas, int32_t n) {
    Found found;
    if (!ids || !cas) return found;
    for (int32_t i = 0; i < n; ++i) {
        const double id = RoundHalfDown(ids[i]);
        const double number = RoundHalfDown(cas[i]);
        found.water = found.water || IsComponent(id, number, WaterId, WaterCas);
        found.nitrogen = found.nitrogen || IsComponent(id, number, NitrogenId, NitrogenCas);
        found.oxygen = found.oxygen || IsComponent(id, number, OxygenId, OxygenCas);
    }
    return found;
}

// A copied host array and its length; one shorter than the fluid identifies nothing.
struct HostArray {
    ComponentArray values;
    int32_t count = 0;
};

HostArray FetchCopy(CPropertyCalculator& calc, const char* name) {
    HostArray array;
    array.values.reset(calc.GetComponentArray(name, 1));
    if (array.values) array.count = calc.componentValueCount;
    return array;
}

double Calculate(const Method& m, CPropertyCalculator& calc, int32_t phase, double temperature_C,
                 double removeNcMolePercent) {
    const char* phaseName = PhaseName(phase);
    ServicesPtr services;
    HostArray ids, cas;
    if (m.componentArraysFirst) {
        ids = FetchCopy(calc, "ComponentIDs");
        cas = FetchCopy(calc, "CAS_Numbers");
        services = QueryServices(calc);
    } else {
        services = QueryServices(calc);
        ids = FetchCopy(calc, "ComponentIDs");
        cas = FetchCopy(calc, "CAS_Numbers");
    }
    if (!services) return EMPTY_VALUE;
    IHostFluidServices* host = services.get();
    if (!LoadPhase(calc, phase)) return EMPTY_VALUE;

    const int32_t n = calc.snapshot.componentCount;
    if (ids.count < n) ids.values.reset();
    if (cas.count < n) cas.values.reset();
    const double molarFlow = calc.molarFlow > 0.0 ? calc.molarFlow : 1.0;

    // The phase's TVP at the test temperature.
    WorkingRecord tvp(calc.PreparePhaseWork(calc.snapshot, phase));
    if (!HasArrays(tvp.get())) return EMPTY_VALUE;
    SetBubblePointRequest(tvp.get(), temperature_C);
    if (FAILED(HostFlash(host, tvp.get()))) {
        ReportPhaseMessage(host, RequiresTvp, phaseName, m.name);
        return EMPTY_VALUE;
    }
    const double tvp_kPa = tvp->pressure;
    if (IsSingleComponent(tvp.get())) {
        HostAddMessage(host, SINGLE_COMPONENT_LINE);
        return tvp_kPa;
    }
    const double startPressure = m.startPressure(host, phaseName, calc.analysis.bpCurveRvp[phase], tvp_kPa);

    // The sample chilled to 33 °F at 1 atm, without traces of non-condensables.
    WorkingRecord sample(calc.PreparePhaseWork(calc.snapshot, phase));
    if (!HasArrays(sample.get())) return EMPTY_VALUE;
    sample->pressure = OneAtmosphere_kPa;
    sample->temperature = SaturationTemperature_C;
    if (ids.values && cas.values)
        calc.RemoveNonCondensables(ids.values.get(), cas.values.get(), sample.get(), removeNcMolePercent);
    if (FAILED(HostFlash(host, sample.get()))) {
        ReportPhaseMessage(host, SampleFlashFailed, phaseName, m.name);
        return EMPTY_VALUE;
    }
    if (sample->phaseFraction[0] > SampleVapourWarning) ReportPhaseMessage(host, SampleHasVapour, phaseName, m.name);

    // Without the arrays no component can be identified: the same outcome as a fluid
    // that lacks them.
    const Found found = FindAirComponents(ids.values.get(), cas.values.get(), n);
    if (!found.nitrogen || !found.oxygen || (m.waterSaturatedAir && !found.water)) {
        ReportPhaseMessage(host, m.waterSaturatedAir ? MissingAirAndWater : MissingAir, phaseName, m.name);
        return EMPTY_VALUE;
    }

    WorkingRecord air(calc.PreparePhaseWork(calc.snapshot, FEED));
    WorkingRecord water;
    if (m.waterSaturatedAir) water.reset(calc.PreparePhaseWork(calc.snapshot, FEED));
    if (!HasArrays(air.get()) || (m.waterSaturatedAir && !HasArrays(water.get()))) return EMPTY_VALUE;
    for (int32_t i = 0; i < n; ++i) {
        const double id = ids.values.get()[i];
        const double number = cas.values.get()[i];
        double& airFraction = air->composition[FEED][i];
        airFraction = 0.0;
        if (IsComponent(id, number, NitrogenId, NitrogenCas)) airFraction = AirNitrogen;
        if (IsComponent(id, number, OxygenId, OxygenCas)) airFraction = AirOxygen;
        if (m.waterSaturatedAir) water->composition[FEED][i] = IsComponent(id, number, WaterId, WaterCas) ? 1.0 : 0.0;
    }

    if (FAILED(FlashAt(host, air.get(), OneAtmosphere_kPa, SaturationTemperature_C))) {
        ReportPhaseMessage(host, AirFlashFailed, phaseName, m.name);
        return EMPTY_VALUE;
    }
    WorkingRecord saturatedAir;
    const FluidSnapshot* sampleAir = air.ptr();
    if (m.waterSaturatedAir) {
        if (FAILED(FlashAt(host, water.get(), OneAtmosphere_kPa, SaturationTemperature_C))) {
            ReportPhaseMessage(host, WaterFlashFailed, phaseName, m.name);
            return EMPTY_VALUE;
        }
        int32_t failed = 0;
        double waterPerAir = 0.0;
        saturatedAir.reset(
            calc.SaturateStream(air.get(), water.get(), WaterSaturatedAirTarget, waterPerAir, m.name, FEED, failed));
        if (failed) return EMPTY_VALUE;
        if (FAILED(FlashAt(host, saturatedAir.get(), OneAtmosphere_kPa, SaturationTemperature_C))) {
            ReportPhaseMessage(host, SaturatedAirFlashFailed, phaseName, m.name);
            return EMPTY_VALUE;
        }
        sampleAir = saturatedAir.ptr();
    }

    int32_t failed = 0;
    double airPerSample = 0.0;
    WorkingRecord mixture(
        calc.SaturateStream(sample.get(), *sampleAir, SaturatedSampleTarget, airPerSample, m.name, FEED, failed));
    if (failed) return EMPTY_VALUE;
    double sampleAmount = airPerSample + 1.0 + molarFlow;

    // Both records flashed before either outcome is judged.
    const HRESULT sampleStatus = FlashAt(host, mixture.get(), OneAtmosphere_kPa, SaturationTemperature_C);
    const HRESULT airStatus = FlashAt(host, air.get(), m.airChamberPressure_kPa, temperature_C);
    if (FAILED(sampleStatus) || FAILED(airStatus)) {
        ReportPhaseMessage(host, ChamberFlashFailed, phaseName, m.name, temperature_C, m.airChamberPressureText);
        return EMPTY_VALUE;
    }

    // Scale to 80 volume units of air at the test temperature and 20 of sample at 33 °F.
    double airAmount = 1.0;
    const double airVolume = PhaseVolume(&calc, air.get(), 1.0, FEED);
    const double sampleVolume = PhaseVolume(&calc, mixture.get(), sampleAmount, FEED);
    if (airVolume > 0.0 && sampleVolume > 0.0) {
        airAmount = AirChamberVolume / airVolume;
        sampleAmount = SampleChamberVolume * sampleAmount / sampleVolume;
    }
    double* overall = mixture->composition[FEED];
    const double* airComposition = air->composition[FEED];
    for (int32_t i = 0; i < n; ++i) overall[i] = airAmount * airComposition[i] + sampleAmount * overall[i];
    NormaliseUnlessZero(overall, n);

    double chamberPressure = EMPTY_VALUE;
    if (!IterateToRVP(&calc, mixture.get(), startPressure, sampleAmount + airAmount, temperature_C, m.name, FEED,
                      chamberPressure) ||
        chamberPressure == EMPTY_VALUE)
        return EMPTY_VALUE;
    return m.result(chamberPressure);
}

}  // namespace

double CalculatePhase(const Method& method, CPropertyCalculator* calc, int32_t phase, double temperature_C,
                      double removeNcMolePercent) {
    if (!calc) return EMPTY_VALUE;
    return Calculate(method, *calc, phase, temperature_C, removeNcMolePercent);
}

double GaugeStartPressure(IHostFluidServices* /*services*/, const char* /*phaseName*/, double bpCurveRvp_kPa,
                          double tvp_kPa) {
    constexpr double StartFactor = 0.9;
    if (bpCurveRvp_kPa != EMPTY_VALUE) return StartFactor * bpCurveRvp_kPa + OneAtmosphere_kPa;
    if (tvp_kPa != EMPTY_VALUE) return StartFactor * tvp_kPa + OneAtmosphere_kPa;
    return EMPTY_VALUE;
}

double GaugeResult(double chamberPressure_kPa) { return chamberPressure_kPa - OneAtmosphere_kPa; }

}  // namespace volacor::air_saturation
