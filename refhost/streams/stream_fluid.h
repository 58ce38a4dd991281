// From a stream file's description to the engine's fluid and the stream's mole fractions.
#pragma once

#include <vector>

#include "refhost/streams/stream_definition.h"
#include "thermo/component_database.h"
#include "thermo/cubic_eos.h"
#include "thermo/fluid.h"

namespace refhost {

struct StreamFluidOptions {
    // Three methods mix air and water into the sample and refuse a stream without
    // nitrogen, oxygen and water: list each one the file does not give, at fraction 0,
    // after the file's components and cuts.
    bool add_air_and_water = true;
    // The table the definition's components were resolved in (null: the built-in table).
    const thermo::ComponentDatabase* database = nullptr;
};

struct StreamFluid {
    thermo::Fluid fluid;   // components as written, then cuts (host ids from 1000), then added ones
    std::vector<double> z; // mole fractions, summing to 1
};

// Throws std::invalid_argument for a definition that a reader would have refused (no
// components, fractions adding up to 0, a cut the correlations cannot characterise).
StreamFluid BuildStreamFluid(const StreamDefinition& definition,
                             thermo::EquationOfState eos = thermo::EquationOfState::PengRobinson,
                             const StreamFluidOptions& options = {});

// Mole fractions of the definition's components then cuts (no added components), from the
// fractions in the definition's basis; `components` are the matching engine components.
std::vector<double> MoleFractions(const StreamDefinition& definition, const std::vector<thermo::Component>& components);

}  // namespace refhost
