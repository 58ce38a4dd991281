// A stand-in worker for the pool's tests: answers each request line "N" or "N:ms" with
// "done N" after waiting ms milliseconds, "crash" by aborting, "exit" by leaving quietly
// without an answer.
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <string>
#include <thread>

int main() {
    std::string line;
    while (std::getline(std::cin, line)) {
        if (line == "crash") std::abort();
        if (line == "exit") return 3;
        const auto colon = line.find(':');
        if (colon != std::string::npos) {
            std::this_thread::sleep_for(std::chrono::milliseconds(std::stoi(line.substr(colon + 1))));
            line.resize(colon);
        }
        std::cout << "done " << line << " by " << ::getpid() << std::endl;
    }
    return 0;
}
