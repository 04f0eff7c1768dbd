#include "platform/system/os/ordered_jobs.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <optional>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <vector>

namespace {

// The items 0 .. count-1, one at a time, with how many were asked for.
struct Counter {
    std::size_t count;
    std::size_t given = 0;
    std::optional<std::size_t> operator()() {
        return given < count ? std::optional(given++) : std::nullopt;
    }
};

// Items that finish out of order (later ones sooner) still arrive in order,
// each once, whether taken one at a time or in batches (a source that is
// always ready); a stop delivers nothing more and takes little more from
// the source.
TEST(RunInOrder, DeliversInOrderAndStopsWhenTold) {
    for (const auto& [jobs, ready] :
         {std::pair{1u, false}, std::pair{4u, false}, std::pair{4u, true}}) {
        const auto isReady = [ready = ready] { return ready; };
        const auto work = [&](std::size_t i) {
            std::this_thread::sleep_for(std::chrono::microseconds((i % 7) * 300));
            return i * 3;
        };
        std::vector<std::size_t> delivered;
        const bool completed = System::RunInOrder(
            jobs, Counter{300}, work,
            [&](std::size_t i, std::size_t r) {
                EXPECT_EQ(r, i * 3);
                delivered.push_back(i);
                return true;
            },
            System::StartThread, isReady);
        EXPECT_TRUE(completed);
        ASSERT_EQ(delivered.size(), 300u) << jobs;
        for (std::size_t i = 0; i < delivered.size(); ++i) {
            ASSERT_EQ(delivered[i], i);
        }

        delivered.clear();
        Counter source{300};
        const bool stopped = System::RunInOrder(
            jobs, [&] { return source(); }, work,
            [&](std::size_t i, std::size_t) {
                delivered.push_back(i);
                return i < 9;
            },
            System::StartThread, isReady);
        EXPECT_FALSE(stopped);
        EXPECT_EQ(delivered.size(), 10u) << jobs;
        EXPECT_LE(source.given, 10 + System::kAheadPerJob * jobs) << jobs;
    }
}

// An item is delivered while the source is still waiting for the next:
// the source here gives its second item only once the first was delivered.
TEST(RunInOrder, DeliversBeforeTheSourceEnds) {
    std::atomic<bool> firstDelivered{false};
    std::size_t given = 0;
    const auto next = [&]() -> std::optional<int> {
        if (given == 1) {
            while (!firstDelivered) {
                std::this_thread::yield();
            }
        }
        return given < 2 ? std::optional(static_cast<int>(given++)) : std::nullopt;
    };
    std::vector<int> delivered;
    EXPECT_TRUE(System::RunInOrder(
        3, next, [](int i) { return i; },
        [&](int i, int) {
            delivered.push_back(i);
            firstDelivered = true;
            return true;
        }));
    EXPECT_EQ(delivered, (std::vector<int>{0, 1}));
}

// Threads the system will not start leave the work to those it did, or to
// the calling thread; what the source throws comes out of the run.
TEST(RunInOrder, GoesOnWithTheThreadsItGets) {
    for (const int startable : {0, 1}) {
        int started = 0;
        const System::ThreadStarter refusing = [&](std::function<void()> run) {
            if (started++ >= startable) {
                throw std::system_error(
                    std::make_error_code(std::errc::resource_unavailable_try_again));
            }
            return std::thread(std::move(run));
        };
        std::size_t next = 0;
        const bool completed = System::RunInOrder(
            8, Counter{500}, [](std::size_t i) { return i; },
            [&](std::size_t i, std::size_t) { return i == next++; }, refusing);
        EXPECT_TRUE(completed) << startable;
        EXPECT_EQ(next, 500u) << startable;
    }
    // The items taken before the source failed are still delivered, in a
    // batch or not.
    for (const bool ready : {false, true}) {
        std::size_t given = 0;
        const auto failing = [&]() -> std::optional<std::size_t> {
            if (given == 100) {
                throw std::runtime_error("source failed");
            }
            return given++;
        };
        std::size_t delivered = 0;
        EXPECT_THROW(System::RunInOrder(
                         4, failing, [](std::size_t i) { return i; },
                         [&](std::size_t i, std::size_t) { return i == delivered++; },
                         System::StartThread, [ready] { return ready; }),
                     std::runtime_error);
        EXPECT_EQ(delivered, 100u) << ready;
    }
}

}  // namespace
