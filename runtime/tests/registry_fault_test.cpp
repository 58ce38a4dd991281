// The registry under faults of other processes: writers at the same time, a writer that
// dies between writing its new file and putting it in place.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "comrt/registry.h"
#include "temp_registry.h"

namespace {

using namespace comrt::registry;

KeyPath P(const std::string& text) { return ParseKeyPath(text); }

// Runs body in a child process and gives its exit status (-signal when killed).
template <class Body>
pid_t Spawn(Body body) {
    const pid_t pid = fork();
    if (pid == 0) {
        int status = 0;
        try {
            body();
        } catch (...) {
            status = 99;
        }
        _exit(status);
    }
    return pid;
}

int Wait(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

TEST(RegistryFaults, TwoProcessesWritingAtOnceLoseNothing) {
    TempRegistry registry;
    constexpr int kWrites = 40;
    auto writer = [&](int who) {
        return Spawn([who] {
            for (int i = 0; i < kWrites; ++i)
                Update([&](Tree& tree) {
                    tree.create(P("HKCR\\Writer" + std::to_string(who) + "\\Key" + std::to_string(i))).setDefault("x");
                });
        });
    };
    const pid_t a = writer(1);
    const pid_t b = writer(2);
    ASSERT_EQ(Wait(a), 0);
    ASSERT_EQ(Wait(b), 0);
    const Tree tree = Load();
    for (int who : {1, 2})
        for (int i = 0; i < kWrites; ++i)
            EXPECT_NE(tree.find(P("HKCR\\Writer" + std::to_string(who) + "\\Key" + std::to_string(i))), nullptr)
                << "writer " << who << " write " << i << " was lost";
    EXPECT_EQ(registry.Leftovers(), 0);
}

TEST(RegistryFaults, AWriterThatDiesBeforeTheRenameLeavesTheOldFileWhole) {
    TempRegistry registry;
    Update([](Tree& tree) { tree.create(P("HKCR\\Old")).setDefault("kept"); });
    const std::string before = registry.Text();
    const pid_t child = Spawn([] {
        comrt::registry::testing::SetBeforeCommitHook([] { _exit(42); });
        Update([](Tree& tree) {
            tree.remove(P("HKCR\\Old"));
            tree.create(P("HKCR\\New"));
        });
    });
    ASSERT_EQ(Wait(child), 42) << "the writer must end at the hook";
    EXPECT_EQ(registry.Text(), before);
    EXPECT_EQ(registry.Leftovers(), 1) << "its temporary file is left";
    // The next writer clears what the dead one left.
    Update([](Tree& tree) { tree.create(P("HKCR\\Next")); });
    EXPECT_EQ(registry.Leftovers(), 0);
    EXPECT_NE(Load().find(P("HKCR\\Old")), nullptr);
}

TEST(RegistryFaults, KillingAWriterAtAnyMomentLeavesAReadableFile) {
    TempRegistry registry;
    // Big enough that much of a write's time goes into writing.
    const std::string bulk(64 * 1024, 'v');
    for (int round = 0; round < 12; ++round) {
        const pid_t child = Spawn([&] {
            for (int i = 0;; ++i)
                Update([&](Tree& tree) {
                    for (int k = 0; k < 16; ++k) tree.create(P("HKCR\\Bulk" + std::to_string(k))).setDefault(bulk + std::to_string(i));
                });
        });
        usleep(static_cast<useconds_t>(2000 + round * 1700));
        kill(child, SIGKILL);
        ASSERT_EQ(Wait(child), -SIGKILL);
        ASSERT_NO_THROW(Load()) << "round " << round;
    }
}

}  // namespace
