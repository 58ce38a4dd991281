// `volacor worker`: the process behind `batch --jobs N`. It reads one request line at a
// time on standard input and answers each with one line on the standard output it was
// started with; anything else that would reach standard output (a library's stray
// print) goes to standard error instead, so it cannot break an answer.
#include <unistd.h>

#include <cerrno>
#include <iostream>
#include <string>

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include "cli/commands.h"
#include "cli/errors.h"
#include "cli/outcome_json.h"
#include "cli/stream_calculator.h"
#include "cli/worker_protocol.h"

namespace volacor::cli {
namespace {

bool WriteLine(int fd, const std::string& text) {
    const std::string line = text + "\n";
    std::size_t done = 0;
    while (done < line.size()) {
        const ssize_t n = ::write(fd, line.data() + done, line.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

int run_worker(const CalculationOptions& options) {
    std::cout.flush();
    const int answers = ::dup(STDOUT_FILENO);
    if (answers < 0 || ::dup2(STDERR_FILENO, STDOUT_FILENO) < 0) return kExitFailure;
    StreamCalculator calculator(options, std::cerr);
    std::string line;
    while (std::getline(std::cin, line)) {
        StreamOutcome outcome;
        try {
            const StreamRequest request = ParseWorkerRequest(line);
            outcome = calculator.CalculateText(request.text, request.source, request.line, request.name);
        } catch (const nlohmann::json::exception&) {
            outcome.error = "The calculation process received a request it cannot read.";
        }
        if (!WriteLine(answers, OutcomeToJson(outcome, PressureUnit::kPa).dump())) break;
    }
    ::close(answers);
    return kExitSuccess;
}

}  // namespace

void AddWorkerCommand(CLI::App& app, CommandRun& run) {
    auto options = std::make_shared<CalculationOptions>();
    CLI::App* command = app.add_subcommand("worker", "Calculates streams for 'volacor batch --jobs N'");
    command->group("");  // not listed in --help: only the batch starts it
    AddCalculationOptions(*command, *options);
    command->callback([options, &run] { run = [options] { return run_worker(*options); }; });
}

}  // namespace volacor::cli
