#include "cli/stream_calculator.h"

#include <cstdio>
#include <stdexcept>

#include "cli/activation.h"
#include "cli/method_catalog.h"
#include "cli/method_selection.h"
#include "refhost/manager/correlation_manager.h"
#include "refhost/manager/host_flash.h"
#include "refhost/stream/material_stream.h"
#include "refhost/streams/stream_fluid.h"
#include "refhost/streams/stream_reader.h"

namespace volacor::cli {
namespace {

// The host numbers phases VAP, LIQ1, LIQ2, SOLID, FEED; the command shows FEED first.
std::size_t HostIndex(int phase) { return static_cast<std::size_t>((phase + kPhaseCount - 1) % kPhaseCount); }

thermo::EquationOfState Eos(const std::string& name) {
    return name == "srk" ? thermo::EquationOfState::SoaveRedlichKwong : thermo::EquationOfState::PengRobinson;
}

std::string StatusText(HRESULT status) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(status));
    return text;
}

}  // namespace

struct StreamCalculator::State {
    explicit State(Activation activated) : activation(std::move(activated)) {}
    CalculationOptions options;
    std::vector<MethodIdentity> methods;
    Activation activation;
    std::vector<refhost::Correlation> correlations;  // one per method, in the same order

    StreamOutcome Calculate(const refhost::StreamDefinition& definition, const std::string& source);
};

StreamCalculator::StreamCalculator(const CalculationOptions& options, std::ostream& diagnostics) {
    CheckCalculationOptions(options);
    std::vector<MethodIdentity> methods = SelectMethods(AllMethods(), options.methods);
    state_ = std::make_unique<State>(Activate(methods));
    state_->options = options;
    state_->methods = std::move(methods);
    if (options.verbose) diagnostics << state_->activation.description << "\n";
    for (const MethodIdentity& method : state_->methods) {
        refhost::Correlation correlation = state_->activation.manager.Create(method.shortName);
        refhost::Parameters parameters;
        parameters.referenceTemperature_C = options.temperature_C;
        parameters.removeNcMolePercent = options.removeNcPercent;
        if (correlation.method().hasVlRatio) parameters.vlRatio = options.vlRatio;
        correlation.SetParameters(parameters);
        state_->correlations.push_back(std::move(correlation));
    }
}

StreamCalculator::~StreamCalculator() = default;

const std::vector<MethodIdentity>& StreamCalculator::methods() const { return state_->methods; }

StreamOutcome StreamCalculator::State::Calculate(const refhost::StreamDefinition& definition, const std::string& source) {
    StreamOutcome outcome;
    outcome.name = definition.name;
    outcome.source = source;
    outcome.temperature_C = options.temperature_C;
    outcome.warnings = definition.warnings;
    comrt::ComPtr<refhost::MaterialStream> stream;
    try {
        refhost::StreamFluid built = refhost::BuildStreamFluid(definition, Eos(options.eos));
        stream = refhost::MaterialStream::Create(
            std::move(built.fluid),
            {definition.name, definition.temperature_C, definition.pressure_kPa, definition.molar_flow_kmol_h, std::move(built.z)});
    } catch (const std::invalid_argument& error) {
        outcome.error = source + ": the stream cannot be made up: " + error.what();
        outcome.badInput = true;
        return outcome;
    }

    // The phases present at the stream's own conditions decide the columns shown.
    outcome.phasePresent[static_cast<std::size_t>(Phase::Feed)] = true;
    try {
        const refhost::FlashReport flash =
            refhost::FlashStream(*stream.get(), definition.temperature_C, definition.pressure_kPa, std::nullopt);
        for (int p = 1; p < kPhaseCount; ++p) {
            outcome.phasePresent[static_cast<std::size_t>(p)] = flash.phases[HostIndex(p)].present;
        }
    } catch (const std::exception& error) {
        outcome.warnings.push_back(std::string("The stream could not be flashed at its own conditions, so only "
                                               "the feed is shown: ") + error.what());
    }

    for (std::size_t i = 0; i < correlations.size(); ++i) {
        MethodOutcome result;
        result.method = methods[i];
        const refhost::CalculationResult calculated = correlations[i].Calculate(*stream.get());
        for (int p = 0; p < kPhaseCount; ++p) {
            result.rvp_kPa[static_cast<std::size_t>(p)] = calculated.rvp_kPa[HostIndex(p)];
        }
        result.messages = calculated.messages;
        if (!calculated.ok()) {
            result.failure = "The method could not calculate this stream (status " + StatusText(calculated.status) + ").";
        }
        outcome.methods.push_back(std::move(result));
    }
    return outcome;
}

namespace {
// A stream that could not be calculated, for its own output line: the batch goes on.
StreamOutcome Failed(const std::string& name, const std::string& source, std::string error, bool badInput) {
    StreamOutcome outcome;
    outcome.name = name;
    outcome.source = source;
    outcome.error = std::move(error);
    outcome.badInput = badInput;
    return outcome;
}
}  // namespace

StreamOutcome StreamCalculator::CalculateFile(const std::string& path) {
    try {
        return state_->Calculate(refhost::ReadStreamFile(path), path);
    } catch (const refhost::StreamInputError& error) {
        return Failed("", path, error.what(), true);
    } catch (const std::exception& error) {
        return Failed("", path, path + ": the stream could not be calculated: " + error.what(), false);
    }
}

StreamOutcome StreamCalculator::CalculateText(const std::string& text, const std::string& source, int firstLine,
                                              const std::string& nameHint) {
    const std::string where = source + ":" + std::to_string(firstLine);
    try {
        return state_->Calculate(refhost::ParseStreamText(text, source, firstLine), where);
    } catch (const refhost::StreamInputError& error) {
        return Failed(nameHint, where, error.what(), true);
    } catch (const std::exception& error) {
        return Failed(nameHint, where, where + ": the stream could not be calculated: " + error.what(), false);
    }
}

}  // namespace volacor::cli
