#include "cli/stream_calculator.h"

#include <stdexcept>

#include "cli/activation.h"
#include "cli/host_outcome.h"
#include "cli/method_catalog.h"
#include "cli/method_selection.h"
#include "refhost/calculation/stream_calculation.h"
#include "refhost/manager/correlation_manager.h"
#include "refhost/streams/stream_reader.h"

namespace volacor::cli {

struct StreamCalculator::State {
    explicit State(Activation activated) : activation(std::move(activated)) {}
    CalculationOptions options;
    std::vector<MethodIdentity> methods;
    Activation activation;
    std::vector<refhost::Correlation> correlations;  // one per method, in the same order
    std::vector<refhost::Correlation*> chosen;       // the same, as the calculation takes them

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
    for (refhost::Correlation& correlation : state_->correlations) state_->chosen.push_back(&correlation);
}

StreamCalculator::~StreamCalculator() = default;

const std::vector<MethodIdentity>& StreamCalculator::methods() const { return state_->methods; }

StreamOutcome StreamCalculator::State::Calculate(const refhost::StreamDefinition& definition, const std::string& source) {
    try {
        const refhost::StreamCalculation calculation =
            refhost::CalculateStream(definition, source, refhost::EquationOfStateNamed(options.eos), chosen);
        return OutcomeOf(calculation, definition.name, source, options.temperature_C);
    } catch (const refhost::StreamMakeUpError& error) {
        StreamOutcome outcome;
        outcome.name = definition.name;
        outcome.source = source;
        outcome.temperature_C = options.temperature_C;
        outcome.warnings = definition.warnings;
        outcome.error = error.what();
        outcome.badInput = true;
        return outcome;
    }
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
