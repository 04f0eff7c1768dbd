#include "platform/os/ordered_jobs.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <thread>
#include <vector>

namespace {

// Items that finish out of order (later ones sooner) still arrive in order,
// each once; a stop delivers nothing more and starts little more work.
TEST(RunInOrder, DeliversInOrderAndStopsWhenTold) {
    for (const unsigned jobs : {1u, 4u}) {
        std::atomic<std::size_t> started{0};
        std::vector<std::size_t> delivered;
        const auto work = [&](std::size_t i) {
            ++started;
            std::this_thread::sleep_for(std::chrono::microseconds((i % 7) * 300));
            return i * 3;
        };
        const bool completed =
            Platform::RunInOrder(300, jobs, work, [&](std::size_t i, std::size_t r) {
                EXPECT_EQ(r, i * 3);
                delivered.push_back(i);
                return true;
            });
        EXPECT_TRUE(completed);
        ASSERT_EQ(delivered.size(), 300u) << jobs;
        for (std::size_t i = 0; i < delivered.size(); ++i) {
            ASSERT_EQ(delivered[i], i);
        }

        delivered.clear();
        started = 0;
        const bool stopped = Platform::RunInOrder(300, jobs, work, [&](std::size_t i, std::size_t) {
            delivered.push_back(i);
            return i < 9;
        });
        EXPECT_FALSE(stopped);
        EXPECT_EQ(delivered.size(), 10u) << jobs;
        EXPECT_LE(started.load(), 10 + Platform::kAheadPerJob * jobs) << jobs;
    }
}

}  // namespace
