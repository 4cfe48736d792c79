// The worker threads: every task of a batch runs exactly once, batch after batch, and a task's
// exception reaches the caller after the batch.
#include "colfit/worker_pool.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <vector>

namespace colfit {
namespace {

TEST(WorkerPool, EveryTaskRunsOnceAndFailuresReachTheCaller) {
    WorkerPool pool(3);
    for (const std::size_t count : {0u, 1u, 7u, 1000u}) {
        std::vector<std::atomic<int>> runs(count);
        pool.run(count, [&](std::size_t task, unsigned worker) {
            ASSERT_LT(worker, pool.size());
            ++runs[task];
        });
        for (const auto& r : runs) EXPECT_EQ(r.load(), 1);
    }
    EXPECT_THROW(pool.run(50,
                          [](std::size_t task, unsigned) {
                              if (task == 17) throw std::runtime_error("task 17");
                          }),
                 std::runtime_error);
    std::atomic<int> after = 0;
    pool.run(10, [&](std::size_t, unsigned) { ++after; });
    EXPECT_EQ(after.load(), 10);
}

}  // namespace
}  // namespace colfit
