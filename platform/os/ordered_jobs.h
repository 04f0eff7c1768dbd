// Work on several threads, results taken in order: item i's result is
// delivered on the calling thread after item i-1's, whatever order the
// threads finish in, so what is written from the results is the same as
// from one thread.
#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <thread>
#include <type_traits>
#include <vector>

namespace Platform {

// Calls work(i) for each i in [0, count) on up to `jobs` threads and
// deliver(i, result) on the calling thread in the order of i. `work` must
// not throw (it is run on threads of its own). At most kAheadPerJob * jobs
// results wait for delivery, so memory stays bounded however many items
// there are. When deliver returns false no more work starts, the work
// running finishes and its results are dropped, and RunInOrder returns
// false. With one job (or one item) everything runs on the calling thread.
inline constexpr std::size_t kAheadPerJob = 64;

// How many items a thread takes at once when `left` are left for `jobs`
// threads: many while many are left, so threads meet seldom over small
// items; down to one near the end, so no thread is left holding several
// large ones while the others wait (guided scheduling). A batch is at most
// a quarter of a thread's share of the items that may wait, so the other
// threads always find items to take.
inline std::size_t BatchSize(std::size_t left, unsigned jobs) {
    constexpr std::size_t kLargestBatch = kAheadPerJob / 4;
    const std::size_t share = left / (std::size_t{4} * jobs);
    return share < 1 ? 1 : share > kLargestBatch ? kLargestBatch : share;
}

template <typename Work, typename Deliver>
bool RunInOrder(std::size_t count, unsigned jobs, Work&& work, Deliver&& deliver) {
    if (jobs <= 1 || count <= 1) {
        for (std::size_t i = 0; i < count; ++i) {
            if (!deliver(i, work(i))) {
                return false;
            }
        }
        return true;
    }
    using Result = std::invoke_result_t<Work&, std::size_t>;
    const std::size_t ahead = kAheadPerJob * jobs;
    std::vector<std::optional<Result>> slots(ahead);  // item i in slot i % ahead
    std::mutex mutex;
    std::condition_variable done;  // the next result to deliver came in
    std::condition_variable room;  // slots were freed, or the run stops
    std::size_t next = 0;          // the next item to start
    std::size_t delivered = 0;     // items delivered so far
    bool stop = false;

    const auto worker = [&] {
        std::vector<Result> results;
        std::unique_lock lock(mutex);
        for (;;) {
            room.wait(lock, [&] { return stop || next == count || next < delivered + ahead; });
            if (stop || next == count) {
                return;
            }
            const std::size_t first = next;
            const std::size_t last =
                std::min({count, delivered + ahead, first + BatchSize(count - first, jobs)});
            next = last;
            lock.unlock();
            results.clear();
            for (std::size_t i = first; i < last; ++i) {
                results.push_back(work(i));
            }
            lock.lock();
            for (std::size_t i = first; i < last; ++i) {
                slots[i % ahead].emplace(std::move(results[i - first]));
            }
            if (first <= delivered) {
                done.notify_one();
            }
        }
    };
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < jobs && t < count; ++t) {
        threads.emplace_back(worker);
    }
    // Results are taken out a run at a time, and delivered unlocked.
    bool completed = true;
    std::vector<Result> ready;
    std::unique_lock lock(mutex);
    while (completed && delivered < count) {
        done.wait(lock, [&] { return slots[delivered % ahead].has_value(); });
        for (std::size_t i = delivered; i < count && slots[i % ahead].has_value(); ++i) {
            ready.push_back(std::move(*slots[i % ahead]));
            slots[i % ahead].reset();
        }
        lock.unlock();
        std::size_t taken = 0;
        for (Result& result : ready) {
            if (!deliver(delivered + taken, std::move(result))) {
                completed = false;
                break;
            }
            ++taken;
        }
        lock.lock();
        delivered += ready.size();  // the rest of a run after a stop is dropped
        ready.clear();
        stop = !completed;
        room.notify_all();
    }
    lock.unlock();
    for (std::thread& thread : threads) {
        thread.join();
    }
    return completed;
}

}  // namespace Platform
