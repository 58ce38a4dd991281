// The subcommands of `volacor`, one file each. Every Add*Command registers its options
// on the application and, when its subcommand is chosen, leaves in `run` the call that
// does the work and returns the exit status.
#pragma once

#include <functional>

namespace CLI {
class App;
}

namespace volacor::cli {

using CommandRun = std::function<int()>;

void AddRvpCommand(CLI::App& app, CommandRun& run);
void AddFlashCommand(CLI::App& app, CommandRun& run);
void AddMethodsCommand(CLI::App& app, CommandRun& run);
void AddComponentsCommand(CLI::App& app, CommandRun& run);
void AddBatchCommand(CLI::App& app, CommandRun& run);
// Hidden: the calculating process behind `batch --jobs N`.
void AddWorkerCommand(CLI::App& app, CommandRun& run);

}  // namespace volacor::cli
