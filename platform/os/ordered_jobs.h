// Work on several threads, results taken in order: item i's result is
// delivered on the calling thread after item i-1's, whatever order the
// threads finish in, so what is written from the results is the same as
// from one thread.
#pragma once

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
inline constexpr std::size_t kAheadPerJob = 16;

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
    std::condition_variable done;  // a result came in
    std::condition_variable room;  // a slot was freed, or the run stops
    std::size_t next = 0;          // the next item to start
    std::size_t delivered = 0;     // items delivered so far
    bool stop = false;

    const auto worker = [&] {
        std::unique_lock lock(mutex);
        for (;;) {
            room.wait(lock, [&] { return stop || next == count || next < delivered + ahead; });
            if (stop || next == count) {
                return;
            }
            const std::size_t i = next++;
            lock.unlock();
            Result result = work(i);
            lock.lock();
            slots[i % ahead].emplace(std::move(result));
            if (i == delivered) {
                done.notify_one();
            }
        }
    };
    std::vector<std::thread> threads;
    const std::size_t started = jobs < count ? jobs : count;
    for (std::size_t t = 0; t < started; ++t) {
        threads.emplace_back(worker);
    }
    bool completed = true;
    std::unique_lock lock(mutex);
    while (delivered < count) {
        std::optional<Result>& slot = slots[delivered % ahead];
        done.wait(lock, [&] { return slot.has_value(); });
        Result result = std::move(*slot);
        slot.reset();
        lock.unlock();
        const bool more = deliver(delivered, std::move(result));
        lock.lock();
        ++delivered;
        if (!more) {
            stop = true;
            completed = false;
        }
        room.notify_all();
        if (!more) {
            break;
        }
    }
    lock.unlock();
    for (std::thread& thread : threads) {
        thread.join();
    }
    return completed;
}

}  // namespace Platform
