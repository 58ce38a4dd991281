// The RVP of streams by the chosen methods, through the reference host: each stream
// file becomes a material stream, each method a correlation object created once and
// calculated for every stream in turn.
#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "cli/calculation_options.h"
#include "cli/outcome.h"

namespace volacor::cli {

class StreamCalculator {
public:
    // Selects and creates the methods and sets their parameters. Throws InputError for
    // an unknown method or bad option, refhost::CorrelationError when the library cannot
    // be reached. With options.verbose the activation is described on diagnostics.
    StreamCalculator(const CalculationOptions& options, std::ostream& diagnostics);
    ~StreamCalculator();

    const std::vector<MethodIdentity>& methods() const;

    // Never throws for a stream's own problems: a file that cannot be read or a stream
    // that cannot be built comes back with error set (and badInput), a failed method
    // with its failure.
    StreamOutcome CalculateFile(const std::string& path);
    // A stream given as the JSON text of a stream file: `source` names it in messages,
    // `firstLine` is the line of the batch file the text starts on.
    StreamOutcome CalculateText(const std::string& text, const std::string& source, int firstLine,
                                const std::string& nameHint);

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace volacor::cli
