// One stream by the chosen methods, as every host front end calculates it: the material
// stream made from its definition, the phases present at the stream's own conditions
// (which decide the phases shown), then each correlation's RVP and messages in turn.
//
//   std::vector<refhost::Correlation*> chosen = ...;  // made and parametrised by the caller
//   refhost::StreamCalculation c = refhost::CalculateStream(definition, "gasoline.json",
//                                                           thermo::EquationOfState::PengRobinson, chosen);
#pragma once

#include <array>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "comrt/com_ptr.h"
#include "host/phase.h"
#include "refhost/manager/correlation_manager.h"
#include "refhost/stream/material_stream.h"
#include "refhost/streams/stream_definition.h"
#include "thermo/cubic_eos.h"

namespace refhost {

// "pr" (Peng-Robinson) or "srk" (Soave-Redlich-Kwong); throws std::invalid_argument
// naming both for any other name.
thermo::EquationOfState EquationOfStateNamed(std::string_view name);

// The definition could not be made into a stream (a cut that cannot be characterised,
// fractions that add up to 0). what(): "<source>: the stream cannot be made up: <why>".
class StreamMakeUpError : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

struct MethodCalculation {
    const MethodInfo* method = nullptr;
    CalculationResult result;
    std::string failure;  // when the calculation itself failed: a sentence with its status
};

struct StreamCalculation {
    // By PhaseIndex: present in the stream at its own conditions. FEED always; only FEED
    // when the stream could not be flashed there (then a warning says why).
    std::array<bool, volacor::PHASE_COUNT> present{};
    std::vector<std::string> warnings;       // the definition's, then the flash's
    std::vector<MethodCalculation> methods;  // one per correlation, in their order
};

// The material stream of the definition, as the calculation makes it up; throws
// StreamMakeUpError.
comrt::ComPtr<MaterialStream> MakeStreamOf(const StreamDefinition& definition, const std::string& source,
                                           thermo::EquationOfState eos);

// Throws StreamMakeUpError (see above); a failing method is reported in its own
// MethodCalculation and the others still calculate.
StreamCalculation CalculateStream(const StreamDefinition& definition, const std::string& source,
                                  thermo::EquationOfState eos, std::span<Correlation* const> correlations);

// "The method could not calculate this stream (status 0x80004005)."
std::string FailureSentence(HRESULT status);

}  // namespace refhost
