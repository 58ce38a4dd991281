#include "cli/rvp_command.h"

#include <algorithm>
#include <iostream>

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include "cli/commands.h"
#include "cli/csv_writer.h"
#include "cli/outcome_json.h"
#include "cli/output_format.h"
#include "cli/stream_calculator.h"
#include "cli/table_writer.h"

namespace volacor::cli {

void AddRvpCommand(CLI::App& app, CommandRun& run) {
    auto options = std::make_shared<RvpOptions>();
    CLI::App* command = app.add_subcommand("rvp", "Reid vapour pressure of stream files by every method (or those chosen)");
    command->add_option("STREAM", options->streams, "Stream files (JSON, see the README's \"Stream files\")")
        ->required();
    AddCalculationOptions(*command, options->calculation);
    command->add_option("--unit", options->unit, "Pressure unit of the results: kPa, psi or bar")->capture_default_str();
    command->add_option("--format", options->format, "table (for people), json or csv (for programs)")
        ->capture_default_str();
    command->callback([options, &run] { run = [options] { return run_rvp(*options); }; });
}

int run_rvp(const RvpOptions& options) {
    const PressureUnit unit = ParsePressureUnit(options.unit);
    CheckFormat(options.format, {"table", "json", "csv"});
    StreamCalculator calculator(options.calculation, std::cerr);

    int status = kExitSuccess;
    nlohmann::ordered_json documents = nlohmann::ordered_json::array();
    if (options.format == "csv") WriteCsvHeader(std::cout);
    bool first = true;
    for (const std::string& path : options.streams) {
        const StreamOutcome outcome = calculator.CalculateFile(path);
        for (const std::string& warning : outcome.warnings) std::cerr << "volacor: " << path << ": " << warning << "\n";
        if (!outcome.error.empty()) {
            std::cerr << "volacor: " << outcome.error << "\n";
            status = outcome.badInput ? kExitBadInput : std::max(status, kExitFailure);
        }
        for (const MethodOutcome& method : outcome.methods) {
            if (!method.failure.empty() && status == kExitSuccess) status = kExitFailure;
        }
        if (options.format == "json") {
            documents.push_back(OutcomeToJson(outcome, unit));
        } else if (options.format == "csv") {
            WriteCsvRows(std::cout, outcome, unit);
        } else if (outcome.error.empty()) {
            if (!first) std::cout << "\n";
            WriteTable(std::cout, outcome, unit);
            first = false;
        }
    }
    if (options.format == "json") std::cout << documents.dump(2) << "\n";
    std::cout.flush();
    return status;
}

}  // namespace volacor::cli
