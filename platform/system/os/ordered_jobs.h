// Work on several threads, results taken in order: item i's result is
// delivered on the calling thread after item i-1's, whatever order the
// threads finish in, so what is written from the results is the same as
// from one thread. The items come one at a time from a source whose length
// need not be known (the lines of a list still being written), and only a
// bounded number of them is held at once.
#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <type_traits>
#include <utility>
#include <vector>

namespace System {

// At most kAheadPerJob * jobs items are taken from the source and not yet
// delivered, so memory stays bounded however many items there are.
inline constexpr std::size_t kAheadPerJob = 64;

// Starts a thread running its argument; throws std::system_error when the
// system cannot start one. Tests inject one that fails.
using ThreadStarter = std::function<std::thread(std::function<void()>)>;

inline std::thread StartThread(std::function<void()> run) {
    return std::thread(std::move(run));
}

// Whether next() has an item ready without waiting; by default it may not.
struct MayWait {
    bool operator()() const { return false; }
};

// Items a thread takes from the source at once, when they are ready, and
// how long a result done may wait to be told of while the rest of its batch
// is worked on.
inline constexpr std::size_t kBatch = 32;
inline constexpr std::chrono::microseconds kPatience{500};

// Takes items from next() (an empty optional ends them) and calls
// work(item) for each on up to `jobs` threads, and deliver(item, result)
// on the calling thread in the items' order. next() is called by one
// thread at a time, never while it holds results back: an item is
// delivered as soon as it and those before it are done, even while next()
// waits for more. A thread takes up to kBatch items at once while ready()
// says the next is there without waiting (names already read), so that
// items are not handed between threads one by one; each result is handed
// on when its batch is done, or kPatience after the one before it. `work` must not throw (it runs
// on threads of its own); what next() or deliver() throws is rethrown here once the threads have
// ended. When deliver returns false no more items are taken, the work running finishes and its
// results are dropped, and RunInOrder returns false. With one job everything runs on the calling
// thread; a thread that cannot start leaves the work to those that did, or to the calling thread
// when none did.
template <typename Next, typename Work, typename Deliver, typename Ready = MayWait>
bool RunInOrder(unsigned jobs, Next&& next, Work&& work, Deliver&& deliver,
                const ThreadStarter& start = StartThread, Ready&& ready = Ready()) {
    using Item = typename std::invoke_result_t<Next&>::value_type;
    using Result = std::invoke_result_t<Work&, Item&>;
    const auto alone = [&] {
        while (std::optional<Item> item = next()) {
            Result result = work(*item);
            if (!deliver(std::move(*item), std::move(result))) {
                return false;
            }
        }
        return true;
    };
    if (jobs <= 1) {
        return alone();
    }
    struct Done {
        Item item;
        Result result;
    };
    const std::size_t ahead = kAheadPerJob * jobs;
    std::vector<std::optional<Done>> slots(ahead);  // item i in slot i % ahead
    std::vector<std::optional<Item>> items(ahead);  // item i while it is worked on
    std::mutex mutex;                               // all below but the source
    std::mutex source;                              // taken while next() runs
    std::condition_variable done;  // the next result to deliver came in, or the items ended
    std::condition_variable room;  // slots were freed, or the run stops
    std::size_t taken = 0;         // items taken from the source
    std::size_t delivered = 0;     // items delivered so far
    bool ended = false;            // next() gave no more, or threw
    bool stop = false;
    std::exception_ptr failure;  // what next() threw

    const auto worker = [&] {
        for (;;) {
            std::unique_lock pulling(source);
            std::unique_lock lock(mutex);
            room.wait(lock, [&] { return stop || ended || taken < delivered + ahead; });
            if (stop || ended) {
                return;
            }
            const std::size_t first = taken;
            const std::size_t most = std::min(kBatch, delivered + ahead - taken);
            lock.unlock();
            std::size_t count = 0;
            bool last = false;
            std::exception_ptr thrown;
            try {
                do {
                    std::optional<Item> item = next();
                    last = !item.has_value();
                    if (!last) {
                        items[(first + count++) % ahead] = std::move(item);
                    }
                } while (!last && count < most && ready());
            } catch (...) {
                thrown = std::current_exception();
                last = true;
            }
            lock.lock();
            taken += count;
            if (last) {
                failure = thrown;
                ended = true;
                done.notify_one();
                room.notify_all();
            }
            lock.unlock();
            pulling.unlock();
            // Each result is put in its slot as it is done, but the calling
            // thread is woken for it only at the batch's end or once a
            // moment has passed: small files do not wake it one by one.
            auto told = std::chrono::steady_clock::now();
            for (std::size_t i = 0; i < count; ++i) {
                // The item's place is left empty before its result is in:
                // once delivered, the place is another item's.
                std::optional<Item>& item = items[(first + i) % ahead];
                Result result = work(*item);
                Done finished{std::move(*item), std::move(result)};
                item.reset();
                const auto now = std::chrono::steady_clock::now();
                const bool tell = i + 1 == count || now - told >= kPatience;
                lock.lock();
                slots[(first + i) % ahead].emplace(std::move(finished));
                if (tell) {
                    done.notify_one();
                    told = now;
                }
                lock.unlock();
            }
            if (last) {
                return;
            }
        }
    };
    // Nothing is allocated once a thread runs: an allocation that failed
    // then would leave the threads running while the stack unwinds.
    std::vector<Done> out;  // results taken out to be delivered
    out.reserve(ahead);
    std::vector<std::thread> threads;
    threads.reserve(jobs);
    for (unsigned t = 0; t < jobs; ++t) {
        try {
            threads.push_back(start(worker));
        } catch (const std::exception&) {
            break;  // no thread or no memory for one: the threads there are do the work
        }
    }
    if (threads.empty()) {
        return alone();
    }
    // Results are taken out a run at a time, and delivered unlocked.
    bool completed = true;
    std::exception_ptr thrown;
    std::unique_lock lock(mutex);
    for (;;) {
        done.wait(lock, [&] {
            return slots[delivered % ahead].has_value() || (ended && delivered == taken);
        });
        if (!slots[delivered % ahead].has_value()) {
            break;  // every item taken was delivered, and there are no more
        }
        for (std::size_t i = delivered; slots[i % ahead].has_value(); ++i) {
            out.push_back(std::move(*slots[i % ahead]));
            slots[i % ahead].reset();
        }
        lock.unlock();
        try {
            for (Done& result : out) {
                if (!deliver(std::move(result.item), std::move(result.result))) {
                    completed = false;
                    break;
                }
            }
        } catch (...) {
            thrown = std::current_exception();
            completed = false;
        }
        lock.lock();
        delivered += out.size();  // the rest of a run after a stop is dropped
        out.clear();
        stop = !completed;
        room.notify_all();
        if (stop) {
            break;
        }
    }
    lock.unlock();
    for (std::thread& thread : threads) {
        thread.join();
    }
    if (thrown) {
        std::rethrow_exception(thrown);
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
    return completed;
}

}  // namespace System
