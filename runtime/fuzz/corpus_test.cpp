// Replays every fuzzing corpus input (seeds and inputs that once failed) through the
// fuzzers' own checks, so a fault found once stays fixed.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "fuzz_targets.h"

namespace {

void Replay(const char* folder, void (*check)(const uint8_t*, size_t)) {
    const std::filesystem::path root = std::filesystem::path(COMRT_FUZZ_CORPUS) / folder;
    int inputs = 0;
    for (const auto& entry : std::filesystem::directory_iterator(root)) {
        if (!entry.is_regular_file()) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string bytes(std::istreambuf_iterator<char>(in), {});
        SCOPED_TRACE(entry.path().string());
        check(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        ++inputs;
    }
    EXPECT_GT(inputs, 0) << "the corpus " << root << " is empty";
}

TEST(FuzzCorpus, RegistryFiles) { Replay("registry_file", &comrt::fuzz::CheckRegistryText); }
TEST(FuzzCorpus, Scripts) { Replay("script", &comrt::fuzz::CheckScript); }
TEST(FuzzCorpus, TypeLibraries) { Replay("typelib", &comrt::fuzz::CheckTypeLibrary); }

}  // namespace
