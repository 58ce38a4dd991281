// Streams per second of `volacor batch`: the bundled samples repeated to 48 streams,
// run as a user runs them (a fresh process, the library loaded, every method created),
// at --jobs 1 and 2. The figure includes start-up, so it is what a user waits for.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr int kRepeats = 6;

// A batch file of the samples' rows repeated, removed when the benchmark ends.
struct BatchFile {
    std::string path;
    int count = 0;
    ~BatchFile() { std::remove(path.c_str()); }
};

BatchFile MakeBatch() {
    std::ifstream in(SAMPLES_CSV);
    std::string header, line, rows;
    std::getline(in, header);
    int count = 0;
    std::vector<std::string> lines;
    while (std::getline(in, line)) {
        if (!line.empty()) lines.push_back(line);
    }
    for (int r = 0; r < kRepeats; ++r) {
        for (const std::string& row : lines) {
            rows += row + "\n";
            ++count;
        }
    }
    char path[] = "/tmp/volacor-bench-XXXXXX.csv";
    const int fd = ::mkstemps(path, 4);
    if (fd < 0) throw std::runtime_error("cannot create the batch file");
    const std::string text = header + "\n" + rows;
    if (::write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
        throw std::runtime_error("cannot write the batch file");
    }
    ::close(fd);
    return {path, count};
}

// Runs volacor with its output thrown away; throws unless it exits 0.
void RunVolacor(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int error = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) throw std::runtime_error("cannot start volacor");
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) throw std::runtime_error("volacor batch failed");
}

void BM_Batch(benchmark::State& state) {
    static const BatchFile batch = MakeBatch();
    const std::string jobs = std::to_string(state.range(0));
    for (auto _ : state) {
        RunVolacor({VOLACOR_BINARY, "batch", "--no-progress", "--jobs", jobs, batch.path});
    }
    state.SetItemsProcessed(state.iterations() * batch.count);
    state.counters["streams"] = batch.count;
}
BENCHMARK(BM_Batch)->ArgName("jobs")->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
