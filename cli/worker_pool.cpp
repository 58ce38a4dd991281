#include "cli/worker_pool.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <algorithm>
#include <optional>
#include <system_error>
#include <utility>

extern char** environ;

namespace volacor::cli {
namespace {

// A file descriptor that closes itself.
class Descriptor {
public:
    Descriptor() = default;
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(Descriptor&& other) noexcept : fd_(other.release()) {}
    Descriptor& operator=(Descriptor&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~Descriptor() { reset(); }
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }
    void reset(int fd = -1) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = fd;
    }
    explicit operator bool() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

struct Pipe {
    Descriptor read, write;
};

Pipe MakePipe() {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) throw std::system_error(errno, std::generic_category(), "pipe");
    return {Descriptor(fds[0]), Descriptor(fds[1])};
}

struct Worker {
    pid_t pid = -1;
    Descriptor requests;  // we write requests here
    Descriptor answers;   // and read answers here
    std::string buffer;   // answer bytes not yet a whole line
    std::optional<std::size_t> job;
};

std::string EndReason(int status) {
    if (WIFSIGNALED(status)) {
        const int signal = WTERMSIG(status);
        return std::string("the calculation process was stopped by signal ") + std::to_string(signal) + " (" +
               ::strsignal(signal) + ") while it worked on this stream";
    }
    if (WIFEXITED(status)) {
        return "the calculation process ended with status " + std::to_string(WEXITSTATUS(status)) +
               " while it worked on this stream";
    }
    return "the calculation process ended while it worked on this stream";
}

Worker Spawn(const std::vector<std::string>& argv) {
    Pipe toWorker = MakePipe();
    Pipe fromWorker = MakePipe();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // dup2 clears close-on-exec on the copies; every other pipe end closes at exec.
    posix_spawn_file_actions_adddup2(&actions, toWorker.read.get(), STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fromWorker.write.get(), STDOUT_FILENO);
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    pid_t pid = -1;
    const int error = ::posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) throw std::system_error(error, std::generic_category(), "starting " + argv[0]);
    Worker worker;
    worker.pid = pid;
    worker.requests = std::move(toWorker.write);
    worker.answers = std::move(fromWorker.read);
    return worker;
}

bool WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

int Reap(Worker& worker) {
    worker.requests.reset();
    worker.answers.reset();
    int status = 0;
    while (::waitpid(worker.pid, &status, 0) < 0 && errno == EINTR) {
    }
    worker.pid = -1;
    return status;
}

// Writing to a worker that has died must fail with EPIPE, not kill this process.
class IgnoreSigpipe {
public:
    IgnoreSigpipe() {
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        ::sigaction(SIGPIPE, &ignore, &previous_);
    }
    ~IgnoreSigpipe() { ::sigaction(SIGPIPE, &previous_, nullptr); }

private:
    struct sigaction previous_ {};
};

}  // namespace

WorkerPool::WorkerPool(std::vector<std::string> argv, int workers)
    : argv_(std::move(argv)), workers_(workers < 1 ? 1 : workers) {}

void WorkerPool::Run(const std::vector<std::string>& requests, const Deliver& deliver, const Progress& progress) {
    IgnoreSigpipe sigpipe;
    std::vector<std::optional<WorkerAnswer>> answers(requests.size());
    std::size_t nextJob = 0, nextDelivery = 0, done = 0;
    std::vector<Worker> pool;
    const std::size_t size = std::min<std::size_t>(static_cast<std::size_t>(workers_), requests.size());
    for (std::size_t i = 0; i < size; ++i) pool.push_back(Spawn(argv_));

    auto finish = [&](std::size_t job, WorkerAnswer answer) {
        answers[job] = std::move(answer);
        ++done;
        if (progress) progress(done, requests.size());
        while (nextDelivery < answers.size() && answers[nextDelivery]) {
            deliver(nextDelivery, *answers[nextDelivery]);
            answers[nextDelivery].reset();  // delivered: free its memory
            ++nextDelivery;
        }
    };
    // A worker that died: its job is answered with the reason, and, while there is work
    // left, a fresh worker takes its place.
    auto replace = [&](Worker& worker) {
        const int status = Reap(worker);
        if (worker.job) finish(*std::exchange(worker.job, std::nullopt), {"", EndReason(status)});
        if (nextJob < requests.size()) worker = Spawn(argv_);
    };

    while (done < requests.size()) {
        for (Worker& worker : pool) {
            while (worker.pid > 0 && !worker.job && nextJob < requests.size()) {
                worker.job = nextJob++;
                if (!WriteAll(worker.requests.get(), requests[*worker.job] + "\n")) replace(worker);
            }
        }
        std::vector<pollfd> waiting;
        std::vector<Worker*> owners;
        for (Worker& worker : pool) {
            if (worker.pid > 0 && worker.job) {
                waiting.push_back({worker.answers.get(), POLLIN, 0});
                owners.push_back(&worker);
            }
        }
        if (waiting.empty()) break;  // cannot happen while jobs remain; never spin
        if (::poll(waiting.data(), waiting.size(), -1) < 0) {
            if (errno == EINTR) continue;
            throw std::system_error(errno, std::generic_category(), "poll");
        }
        for (std::size_t i = 0; i < waiting.size(); ++i) {
            if (waiting[i].revents == 0) continue;
            Worker& worker = *owners[i];
            char chunk[65536];
            const ssize_t n = ::read(worker.answers.get(), chunk, sizeof chunk);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                replace(worker);
                continue;
            }
            worker.buffer.append(chunk, static_cast<std::size_t>(n));
            const std::size_t end = worker.buffer.find('\n');
            if (end != std::string::npos) {
                WorkerAnswer answer{worker.buffer.substr(0, end), ""};
                worker.buffer.erase(0, end + 1);
                finish(*std::exchange(worker.job, std::nullopt), std::move(answer));
            }
        }
    }
    for (Worker& worker : pool) {
        if (worker.pid > 0) Reap(worker);  // closing its input ends a worker
    }
}

}  // namespace volacor::cli
