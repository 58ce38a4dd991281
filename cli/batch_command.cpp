#include "cli/batch_command.h"

#include <algorithm>
#include <filesystem>
#include <iostream>

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include "cli/batch_reader.h"
#include "cli/commands.h"
#include "cli/csv_writer.h"
#include "cli/errors.h"
#include "cli/outcome_json.h"
#include "cli/output_format.h"
#include "cli/progress_bar.h"
#include "cli/stream_calculator.h"
#include "cli/worker_pool.h"
#include "cli/worker_protocol.h"

namespace volacor::cli {
namespace {

// Writes each stream's outcome as it is ready and keeps the exit status.
class BatchOutput {
public:
    BatchOutput(const BatchOptions& options, PressureUnit unit) : csv_(options.format == "csv"), unit_(unit) {
        if (csv_) WriteCsvHeader(std::cout);
    }
    void Write(const StreamOutcome& outcome) {
        if (!outcome.error.empty()) {
            status_ = outcome.badInput ? kExitBadInput : std::max(status_, kExitFailure);
        }
        for (const MethodOutcome& method : outcome.methods) {
            if (!method.failure.empty()) status_ = std::max(status_, kExitFailure);
        }
        if (csv_) {
            WriteCsvRows(std::cout, outcome, unit_);
        } else {
            std::cout << OutcomeToJson(outcome, unit_).dump() << "\n";
        }
    }
    int status() const { return status_; }

private:
    bool csv_;
    PressureUnit unit_;
    int status_ = kExitSuccess;
};

StreamOutcome Unreadable(const BatchEntry& entry, const std::string& file) {
    StreamOutcome outcome;
    outcome.name = entry.name;
    outcome.source = file + ":" + std::to_string(entry.line);
    outcome.error = entry.error;
    outcome.badInput = true;
    return outcome;
}

std::string ExecutablePath() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) throw std::runtime_error("The command cannot find its own program file to start worker processes.");
    return self.string();
}

}  // namespace

void AddBatchCommand(CLI::App& app, CommandRun& run) {
    auto options = std::make_shared<BatchOptions>();
    CLI::App* command = app.add_subcommand(
        "batch", "RVP of many streams from a JSON-lines or CSV file, one output line (or CSV rows) per stream");
    command->add_option("FILE", options->file, "Batch file: JSON lines (.jsonl) or CSV (.csv), see the README")
        ->required();
    AddCalculationOptions(*command, options->calculation);
    command->add_option("--unit", options->unit, "Pressure unit of the results: kPa, psi or bar")->capture_default_str();
    command->add_option("--format", options->format, "jsonl (one JSON object a line, a line a stream; json says the same) or csv")->capture_default_str();
    command->add_option("-j,--jobs", options->jobs, "Worker processes that calculate streams side by side")
        ->capture_default_str();
    command->add_flag("--no-progress{false}", options->progress, "Draw no progress bar on standard error");
    command->callback([options, &run] { run = [options] { return run_batch(*options); }; });
}

int run_batch(const BatchOptions& options) {
    const PressureUnit unit = ParsePressureUnit(options.unit);
    CheckFormat(options.format, {"jsonl", "json", "csv"});  // json: the same JSON lines
    if (options.jobs < 1 || options.jobs > 256) {
        throw InputError("The number of jobs must be a whole number from 1 to 256.");
    }
    const std::vector<BatchEntry> entries = ReadBatchFile(options.file);
    // Created here even when workers calculate: a bad method name or a library that
    // cannot be reached stops the batch once, before any worker starts.
    StreamCalculator calculator(options.calculation, std::cerr);

    BatchOutput output(options, unit);
    ProgressBar progress(options.progress);
    if (options.jobs == 1) {
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const BatchEntry& entry = entries[i];
            output.Write(entry.error.empty()
                             ? calculator.CalculateText(entry.text, options.file, entry.line, entry.name)
                             : Unreadable(entry, options.file));
            progress.Update(i + 1, entries.size());
        }
        std::cout.flush();
        return output.status();
    }

    // Entries that could not be made into streams never go to a worker; they are
    // written in their place among the workers' answers.
    std::vector<std::size_t> sent;  // entry index of each request
    std::vector<std::string> requests;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (!entries[i].error.empty()) continue;
        sent.push_back(i);
        requests.push_back(WorkerRequest(entries[i], options.file));
    }
    std::size_t written = 0;  // entries written so far
    auto writeUnreadableUpTo = [&](std::size_t end) {
        for (; written < end; ++written) output.Write(Unreadable(entries[written], options.file));
    };
    std::vector<std::string> argv{ExecutablePath(), "worker"};
    for (std::string& arg : CalculationArguments(options.calculation)) argv.push_back(std::move(arg));
    WorkerPool pool(std::move(argv), options.jobs);
    const std::size_t unreadable = entries.size() - requests.size();
    pool.Run(
        requests,
        [&](std::size_t index, const WorkerAnswer& answer) {
            const BatchEntry& entry = entries[sent[index]];
            writeUnreadableUpTo(sent[index]);
            output.Write(AnswerOutcome(answer, entry, options.file));
            ++written;
        },
        [&](std::size_t done, std::size_t) { progress.Update(done + unreadable, entries.size()); });
    writeUnreadableUpTo(entries.size());
    std::cout.flush();
    return output.status();
}

}  // namespace volacor::cli
