#include "refhost/manager/host_flash.h"

#include <cmath>
#include <cstring>
#include <mutex>
#include <stdexcept>

#include "comrt/codepage.h"
#include "comrt/owners.h"
#include "refhost/manager/calculation_lock.h"
#include "refhost/manager/correlation_manager.h"
#include "refhost/stream/material_stream.h"

namespace refhost {

using volacor::EMPTY_VALUE;
using volacor::FEED;
using volacor::PHASE_COUNT;

FlashReport FlashStream(MaterialStream& stream, double temperature_C, std::optional<double> pressure_kPa,
                        std::optional<double> vapourFraction) {
    if (pressure_kPa.has_value() == vapourFraction.has_value())
        throw std::invalid_argument("a flash takes either a pressure or a vapour fraction");
    const std::lock_guard<std::mutex> lock(CalculationMutex());
    const thermo::Fluid& fluid = stream.fluid();
    const size_t n = fluid.size();

    comrt::TaskMemPtr<double> arrays[PHASE_COUNT];
    volacor::FluidSnapshot record{};
    for (int32_t p = 0; p < PHASE_COUNT; ++p) {
        arrays[p].reset(comrt::TaskAlloc<double>(n));
        if (!arrays[p]) throw std::bad_alloc();
        record.composition[p] = arrays[p].get();
    }
    std::memcpy(record.composition[FEED], stream.state().moleFractions.data(), n * sizeof(double));
    record.componentCount = static_cast<int32_t>(n);
    record.temperature = temperature_C;
    record.pressure = pressure_kPa ? *pressure_kPa : EMPTY_VALUE;
    record.phaseFraction[0] = vapourFraction ? *vapourFraction : EMPTY_VALUE;

    if (HRESULT hr = stream.Flash(&record); FAILED(hr)) {
        BSTR why = nullptr;
        std::string reason = "the flash failed";
        if (SUCCEEDED(stream.GetLastFlashStatus(&why)) && why) {
            comrt::UniqueBstr owned(why);
            reason += ": " + comrt::WideToUtf8(std::u16string_view(why, SysStringLen(why)));
        }
        throw CorrelationError(reason, hr);
    }

    FlashReport report;
    report.temperature_C = temperature_C;
    report.pressure_kPa = record.pressure;
    for (const thermo::Component& c : fluid.components()) report.componentNames.push_back(c.name);
    double wholeMass = 0;  // kg per kmol of fluid
    for (size_t p = 0; p < report.phases.size(); ++p) {
        FlashedPhase& phase = report.phases[p];
        phase.present = record.phasePresent[p] != 0;
        phase.fraction = record.phaseFraction[p];
        phase.moleFractions.assign(record.composition[p], record.composition[p] + n);
        if (!phase.present) continue;
        phase.molarVolume_m3_kmol = record.molarVolume[p];
        double molarMass = 0;
        for (size_t i = 0; i < n; ++i) molarMass += phase.moleFractions[i] * fluid.component(i).mw_g_per_mol;
        if (phase.molarVolume_m3_kmol > 0) phase.density_kg_m3 = molarMass / phase.molarVolume_m3_kmol;
        wholeMass += phase.fraction * molarMass;
    }
    report.molarVolume_m3_kmol = record.molarVolume[FEED];
    if (report.molarVolume_m3_kmol > 0) report.density_kg_m3 = wholeMass / report.molarVolume_m3_kmol;
    return report;
}

}  // namespace refhost
