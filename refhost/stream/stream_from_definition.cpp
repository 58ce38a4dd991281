#include "refhost/stream/stream_from_definition.h"

#include <utility>

namespace refhost {

comrt::ComPtr<MaterialStream> MakeMaterialStream(const StreamDefinition& definition, thermo::EquationOfState eos,
                                                 const StreamFluidOptions& options) {
    StreamFluid built = BuildStreamFluid(definition, eos, options);
    return MaterialStream::Create(std::move(built.fluid), {.name = definition.name,
                                                           .temperature_C = definition.temperature_C,
                                                           .pressure_kPa = definition.pressure_kPa,
                                                           .molarFlow_kmol_h = definition.molar_flow_kmol_h,
                                                           .moleFractions = std::move(built.z)});
}

}  // namespace refhost
