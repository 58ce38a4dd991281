#include "refhost/calculation/stream_calculation.h"

#include <cstdio>

#include "refhost/manager/host_flash.h"
#include "refhost/stream/material_stream.h"
#include "refhost/stream/stream_from_definition.h"

namespace refhost {

thermo::EquationOfState EquationOfStateNamed(std::string_view name) {
    if (name == "pr") return thermo::EquationOfState::PengRobinson;
    if (name == "srk") return thermo::EquationOfState::SoaveRedlichKwong;
    throw std::invalid_argument("unknown equation of state \"" + std::string(name) + "\"; use \"pr\" or \"srk\"");
}

comrt::ComPtr<MaterialStream> MakeStreamOf(const StreamDefinition& definition, const std::string& source,
                                           thermo::EquationOfState eos) {
    try {
        return MakeMaterialStream(definition, eos);
    } catch (const std::invalid_argument& error) {
        throw StreamMakeUpError(source + ": the stream cannot be made up: " + error.what());
    }
}

std::string FailureSentence(HRESULT status) {
    char text[80];
    std::snprintf(text, sizeof text, "The method could not calculate this stream (status 0x%08X).",
                  static_cast<unsigned>(status));
    return text;
}

StreamCalculation CalculateStream(const StreamDefinition& definition, const std::string& source,
                                  thermo::EquationOfState eos, std::span<Correlation* const> correlations) {
    comrt::ComPtr<MaterialStream> stream = MakeStreamOf(definition, source, eos);
    StreamCalculation calculation;
    calculation.warnings = definition.warnings;
    calculation.present[volacor::FEED] = true;
    try {
        const FlashReport flash =
            FlashStream(*stream.get(), definition.temperature_C, definition.pressure_kPa, std::nullopt);
        for (size_t p = 0; p < flash.phases.size(); ++p) calculation.present[p] = flash.phases[p].present;
    } catch (const std::exception& error) {
        calculation.warnings.push_back(
            std::string("The stream could not be flashed at its own conditions, so only the feed is shown: ") +
            error.what());
    }
    for (Correlation* correlation : correlations) {
        MethodCalculation method{&correlation->method(), correlation->Calculate(*stream.get()), {}};
        if (!method.result.ok()) method.failure = FailureSentence(method.result.status);
        calculation.methods.push_back(std::move(method));
    }
    return calculation;
}

}  // namespace refhost
