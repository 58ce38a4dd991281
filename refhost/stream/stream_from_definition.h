// A material stream from a stream file's description (refhost/streams): the fluid the
// file names (with nitrogen, oxygen and water added at zero unless told not to), its
// mole fractions, conditions and flow.
//
//   auto stream = refhost::MakeMaterialStream(refhost::ReadStreamFile("examples/light-naphtha.json"));
#pragma once

#include "comrt/com_ptr.h"
#include "refhost/stream/material_stream.h"
#include "refhost/streams/stream_fluid.h"
#include "refhost/streams/stream_definition.h"
#include "thermo/cubic_eos.h"

namespace refhost {

// Throws std::invalid_argument as BuildStreamFluid and MaterialStream::Create do.
comrt::ComPtr<MaterialStream> MakeMaterialStream(const StreamDefinition& definition,
                                                 thermo::EquationOfState eos = thermo::EquationOfState::PengRobinson,
                                                 const StreamFluidOptions& options = {});

}  // namespace refhost
