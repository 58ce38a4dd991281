// A pool of worker processes, each running a command that reads one request line on
// its standard input and answers one line on its standard output, request after
// request. Each worker is its own process, so calculations in one never overlap.
// Requests are handed out as workers become free; answers are delivered in request
// order. A worker that dies takes only its current request with it: that request is
// answered with the reason, a new worker takes its place, and the rest goes on.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace volacor::cli {

struct WorkerAnswer {
    std::string line;     // the worker's answer without its line end; empty when it died
    std::string failure;  // why there is no answer ("the worker process ended by signal 11")
};

class WorkerPool {
public:
    // argv[0] is the program's path; the workers inherit the environment and standard
    // error. Nothing starts until Run.
    WorkerPool(std::vector<std::string> argv, int workers);

    using Deliver = std::function<void(std::size_t index, const WorkerAnswer& answer)>;
    using Progress = std::function<void(std::size_t done, std::size_t total)>;

    // Runs every request (lines without line ends) and calls deliver for each in order
    // 0, 1, 2, ...; progress after each answer. Throws std::system_error when no worker
    // can be started at all.
    void Run(const std::vector<std::string>& requests, const Deliver& deliver, const Progress& progress = {});

private:
    std::vector<std::string> argv_;
    int workers_;
};

}  // namespace volacor::cli
