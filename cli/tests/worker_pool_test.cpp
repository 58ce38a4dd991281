// The worker pool against a stand-in worker: answers in request order whatever order
// the workers finish in, work spread over several processes, and a worker that dies
// costing only its own request.
#include "cli/worker_pool.h"

#include <set>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace volacor::cli {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

struct Delivered {
    std::vector<std::size_t> order;
    std::vector<WorkerAnswer> answers;
};

Delivered RunPool(const std::vector<std::string>& requests, int workers) {
    Delivered delivered;
    WorkerPool pool({FAKE_WORKER}, workers);
    pool.Run(requests, [&](std::size_t index, const WorkerAnswer& answer) {
        delivered.order.push_back(index);
        delivered.answers.push_back(answer);
    });
    return delivered;
}

std::string Pid(const WorkerAnswer& answer) { return answer.line.substr(answer.line.rfind(' ') + 1); }

TEST(WorkerPool, DeliversInRequestOrderWhenLaterRequestsFinishFirst) {
    // The first request is the slowest: the second worker answers the rest meanwhile.
    const std::vector<std::string> requests{"0:300", "1", "2", "3", "4:20", "5"};
    const Delivered delivered = RunPool(requests, 2);
    ASSERT_EQ(delivered.order, (std::vector<std::size_t>{0, 1, 2, 3, 4, 5}));
    std::set<std::string> workers;
    for (std::size_t i = 0; i < requests.size(); ++i) {
        EXPECT_THAT(delivered.answers[i].line, StartsWith("done " + std::to_string(i) + " by "));
        EXPECT_EQ(delivered.answers[i].failure, "");
        workers.insert(Pid(delivered.answers[i]));
    }
    EXPECT_EQ(workers.size(), 2u) << "both processes took part";
    EXPECT_NE(Pid(delivered.answers[0]), Pid(delivered.answers[1]));
}

TEST(WorkerPool, AWorkerThatDiesFailsOnlyItsRequestAndIsReplaced) {
    const std::vector<std::string> requests{"0", "crash", "2", "exit", "4", "5"};
    for (int workers : {1, 3}) {
        const Delivered delivered = RunPool(requests, workers);
        ASSERT_EQ(delivered.answers.size(), requests.size()) << workers << " workers";
        EXPECT_THAT(delivered.answers[1].failure, HasSubstr("signal 6"));
        EXPECT_EQ(delivered.answers[1].line, "");
        EXPECT_THAT(delivered.answers[3].failure, HasSubstr("ended with status 3"));
        for (std::size_t i : {0u, 2u, 4u, 5u}) {
            EXPECT_THAT(delivered.answers[i].line, StartsWith("done " + std::to_string(i)));
            EXPECT_EQ(delivered.answers[i].failure, "");
        }
    }
}

TEST(WorkerPool, MoreWorkersThanRequestsAndNoRequests) {
    EXPECT_EQ(RunPool({"0"}, 4).answers.size(), 1u);
    EXPECT_TRUE(RunPool({}, 4).answers.empty());
}

TEST(WorkerPool, AProgramThatCannotStartIsReportedNotWaitedFor) {
    WorkerPool pool({"/nonexistent/volacor-worker"}, 2);
    EXPECT_THROW(pool.Run({"0", "1"}, [](std::size_t, const WorkerAnswer&) {}), std::system_error);
}

}  // namespace
}  // namespace volacor::cli
