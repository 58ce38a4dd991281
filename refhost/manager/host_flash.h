// The host's own flash of a stream, for people: at (T, P) or at (T, vapour fraction),
// with each phase's fraction, composition, molar volume and density. It goes through the
// stream's IHostFluidServices::Flash, the same flash the methods use.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "host/phase.h"

namespace refhost {

class MaterialStream;

struct FlashedPhase {
    bool present = false;
    double fraction = 0;                 // mole fraction of the fluid in the phase
    std::vector<double> moleFractions;   // one per component; zeros when absent
    double molarVolume_m3_kmol = 0;      // 0 when absent
    double density_kg_m3 = 0;            // 0 when absent
};

struct FlashReport {
    double temperature_C = 0;
    double pressure_kPa = 0;
    std::vector<std::string> componentNames;  // the fluid's, in its order
    // VAP, LIQ1, LIQ2, SOLID (SOLID never forms)
    std::array<FlashedPhase, volacor::PHASE_COUNT_NO_FEED> phases;
    double molarVolume_m3_kmol = 0;  // the whole fluid
    double density_kg_m3 = 0;        // the whole fluid
};

// Exactly one of pressure_kPa and vapourFraction is given. The stream's own composition
// is flashed; the stream is not changed. Throws CorrelationError (correlation_manager.h)
// with the flash's own reason when it fails, std::invalid_argument for a bad request.
FlashReport FlashStream(MaterialStream& stream, double temperature_C, std::optional<double> pressure_kPa,
                        std::optional<double> vapourFraction);

}  // namespace refhost
