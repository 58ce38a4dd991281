#include "refhost/stream/stream_from_spec.h"

#include <utility>

namespace refhost {

comrt::ComPtr<MaterialStream> MakeMaterialStream(const StreamSpec& spec, thermo::EquationOfState eos,
                                                 const StreamFluidOptions& options) {
    StreamFluid built = BuildStreamFluid(spec, eos, options);
    return MaterialStream::Create(std::move(built.fluid), {.name = spec.name,
                                                           .temperature_C = spec.temperature_C,
                                                           .pressure_kPa = spec.pressure_kPa,
                                                           .molarFlow_kmol_h = spec.molar_flow_kmol_h,
                                                           .moleFractions = std::move(built.z)});
}

}  // namespace refhost
