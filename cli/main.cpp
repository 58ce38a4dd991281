// volacor: the RVP of process streams by the nine Volacor methods, through the
// reference host, as a host simulator would compute them. Data goes to standard output,
// diagnostics to standard error; exit 0 on success, 2 for bad input, 1 otherwise.
#include <exception>
#include <iostream>
#include <string>
#include <string_view>

#include <CLI/CLI.hpp>

#include "cli/commands.h"
#include "cli/errors.h"
#include "refhost/manager/correlation_manager.h"

int main(int argc, char** argv) {
    using namespace volacor::cli;
    CLI::App app{"Reid vapour pressure (RVP) of process streams by nine methods: API 5B1.1, API 5B1.2, a "
                 "closed-form API variant, ASTM D323-73/79, D323-82, D4953-91, D5191-91, D6377-16 and a "
                 "modified ASTM method.",
                 "volacor"};
    app.require_subcommand(1);
    app.footer("Run 'volacor COMMAND --help' for the options of a command. Exit status: 0 success, "
               "2 bad input (options, stream or batch files), 1 any other failure.");
    CommandRun run;
    AddRvpCommand(app, run);
    AddFlashCommand(app, run);
    AddMethodsCommand(app, run);
    AddComponentsCommand(app, run);
    AddBatchCommand(app, run);
    AddWorkerCommand(app, run);
    const auto isCommand = [&app](const char* name) {
        try {
            return app.get_subcommand(name) != nullptr;
        } catch (const CLI::OptionNotFound&) {
            return false;
        }
    };
    if (argc > 1 && argv[1][0] != '-' && !isCommand(argv[1])) {
        std::cerr << "volacor: '" << argv[1]
                  << "' is not a command; the commands are rvp, flash, methods, components and batch "
                     "(see 'volacor --help').\n";
        return kExitBadInput;
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& help) {
        return app.exit(help);
    } catch (const CLI::CallForAllHelp& help) {
        return app.exit(help);
    } catch (const CLI::ParseError& error) {
        if (error.get_exit_code() == 0) return app.exit(error);
        // CLI11's own words, as one sentence with the way to the help.
        std::string what = error.what();
        constexpr std::string_view unconverted = "Could not convert: ";
        if (what.starts_with(unconverted)) {  // "Could not convert: --temperature-C = abc"
            const std::string detail = what.substr(unconverted.size());
            const auto equals = detail.find(" = ");
            what = equals == std::string::npos
                       ? "A value is not a number: " + detail
                       : "The value '" + detail.substr(equals + 3) + "' of " + detail.substr(0, equals) +
                             " is not a number";
        }
        if (!what.empty() && what.back() != '.') what += '.';
        std::string command = "volacor";
        for (const CLI::App* sub : app.get_subcommands()) command += " " + sub->get_name();
        std::cerr << "volacor: " << what << " Run '" << command << " --help' for the options.\n";
        return kExitBadInput;
    }
    try {
        return run ? run() : kExitBadInput;
    } catch (const InputError& error) {
        std::cerr << "volacor: " << error.what() << "\n";
        return kExitBadInput;
    } catch (const refhost::CorrelationError& error) {
        std::cerr << "volacor: " << error.what() << "\n";
        return kExitFailure;
    } catch (const std::exception& error) {
        std::cerr << "volacor: " << error.what() << "\n";
        return kExitFailure;
    }
}
