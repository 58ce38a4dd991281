// `volacor methods`: the nine classes with their names and ids, and whether the
// registry knows each.
#include <iostream>

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include "cli/commands.h"
#include "cli/errors.h"
#include "cli/method_catalog.h"
#include "cli/output_format.h"
#include "cli/text_table.h"

namespace volacor::cli {

struct MethodsOptions {
    std::string format = "table";
};

int run_methods(const MethodsOptions& options) {
    CheckFormat(options.format, {"table", "json"});
    const std::string registryFile = RegistryFileName();
    std::string unreadable;
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    TextTable table({"method", "name", "programmatic id", "class id", "registered"});
    for (const MethodIdentity& method : AllMethods()) {
        RegistryKnowledge knowledge;
        try {
            knowledge = LookUpInRegistry(method);
        } catch (const std::runtime_error& error) {
            unreadable = error.what();
        }
        table.AddRow({method.shortName, method.displayName, method.progId, method.classId,
                      knowledge.registered ? "yes" : "no"});
        list.push_back({{"short_name", method.shortName},
                        {"display_name", method.displayName},
                        {"prog_id", method.progId},
                        {"class_id", method.classId},
                        {"registered", knowledge.registered},
                        {"library", knowledge.library}});
    }
    if (!unreadable.empty()) std::cerr << "volacor: " << unreadable << "\n";
    if (options.format == "json") {
        std::cout << nlohmann::ordered_json{{"registry", registryFile}, {"methods", list}}.dump(2) << "\n";
    } else {
        table.Write(std::cout);
        std::cout << "\nRegistry: " << registryFile << "\n";
    }
    return unreadable.empty() ? kExitSuccess : kExitFailure;
}

void AddMethodsCommand(CLI::App& app, CommandRun& run) {
    auto options = std::make_shared<MethodsOptions>();
    CLI::App* command = app.add_subcommand(
        "methods", "The nine RVP methods: short name, name, programmatic id, class id, and whether they are registered");
    command->add_option("--format", options->format, "table or json")->capture_default_str();
    command->callback([options, &run] { run = [options] { return run_methods(*options); }; });
}

}  // namespace volacor::cli
