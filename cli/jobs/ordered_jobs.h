// Work on several threads, results taken in order: item i's result is
// delivered on the calling thread after item i-1's, whatever order the
// threads finish in, so what is written from the results is the same as
// from one thread. The items come one at a time from a source whose length
// need not be known (the lines of a list still being written), and only a
// bounded number of them is held at once.
#pragma once

#include <chrono>
#include <cstddef>
#include <exception>
#include <functional>
#include <optional>
#include <thread>
#include <type_traits>
#include <utility>
#include <vector>

#include "cli/jobs/in_order_slots.h"

namespace Cli {

// At most kAheadPerJob * jobs items are taken from the source and not yet
// delivered, so memory stays bounded however many items there are.
inline constexpr std::size_t kAheadPerJob = 64;

// How long a result done may wait to be told of while the rest of its
// batch is worked on.
inline constexpr std::chrono::microseconds kPatience{500};

// Starts a thread running its argument; throws std::system_error when the
// system cannot start one.
using ThreadStarter = std::function<std::thread(std::function<void()>)>;

std::thread StartThread(std::function<void()> run);

// Whether next() has an item ready without waiting; by default it may not.
struct MayWait {
    bool operator()() const { return false; }
};

class OrderedJobs {
  public:
    // Up to `jobs` threads, each started by `start`.
    explicit OrderedJobs(unsigned jobs, ThreadStarter start = StartThread)
        : jobs_(jobs), start_(std::move(start)) {}

    // Takes items from next() (an empty optional ends them) and calls
    // work(item) for each on the threads, and deliver(item, result) on the
    // calling thread in the items' order. next() is called by one thread at
    // a time, never while it holds results back: an item is delivered as
    // soon as it and those before it are done, even while next() waits for
    // more. A thread takes up to kBatch items at once while ready() says the
    // next is there without waiting (names already read), so that items are
    // not handed between threads one by one; each result is handed on when
    // its batch is done, or kPatience after the one before it. `work` must
    // not throw (it runs on threads of its own); what next() or deliver()
    // throws is rethrown here once the threads have ended. When deliver
    // returns false no more items are taken, the work running finishes and
    // its results are dropped, and RunInOrder returns false. With one job
    // everything runs on the calling thread; a thread that cannot start
    // leaves the work to those that did, or to the calling thread when none
    // did.
    template <typename Next, typename Work, typename Deliver, typename Ready = MayWait>
    bool RunInOrder(Next&& next, Work&& work, Deliver&& deliver, Ready&& ready = Ready()) const {
        using Item = typename std::invoke_result_t<Next&>::value_type;
        using Result = std::invoke_result_t<Work&, Item&>;
        if (jobs_ <= 1) {
            return Alone(next, work, deliver);
        }
        InOrderSlots<Item, Result> slots(kAheadPerJob * jobs_);
        std::vector<std::thread> threads = Start([&] { WorkOn(slots, next, work, ready); });
        if (threads.empty()) {
            return Alone(next, work, deliver);
        }
        std::exception_ptr thrown;
        const bool completed = DeliverInOrder(slots, deliver, thrown);
        for (std::thread& thread : threads) {
            thread.join();
        }
        if (thrown) {
            std::rethrow_exception(thrown);
        }
        if (slots.failure()) {
            std::rethrow_exception(slots.failure());
        }
        return completed;
    }

  private:
    // Every item worked on and delivered on the calling thread.
    template <typename Next, typename Work, typename Deliver>
    static bool Alone(Next& next, Work& work, Deliver& deliver) {
        while (auto item = next()) {
            auto result = work(*item);
            if (!deliver(std::move(*item), std::move(result))) {
                return false;
            }
        }
        return true;
    }

    // The threads running `worker`, as many of the jobs as could start.
    std::vector<std::thread> Start(const std::function<void()>& worker) const;

    // A thread's loop: a batch taken, then worked on. Each result is put in
    // its place as it is done, but the calling thread is woken for it only
    // at the batch's end or once a moment has passed: small files do not
    // wake it one by one.
    template <typename Slots, typename Next, typename Work, typename Ready>
    static void WorkOn(Slots& slots, Next& next, Work& work, Ready& ready) {
        while (const auto batch = slots.Take(next, ready)) {
            auto told = std::chrono::steady_clock::now();
            for (std::size_t i = 0; i < batch->count; ++i) {
                auto finished = slots.WorkOn(batch->first + i, work);
                const auto now = std::chrono::steady_clock::now();
                const bool tell = i + 1 == batch->count || now - told >= kPatience;
                slots.Put(batch->first + i, std::move(finished), tell);
                if (tell) {
                    told = now;
                }
            }
            if (batch->last) {
                return;
            }
        }
    }

    // The calling thread's loop: the results taken out a run at a time and
    // delivered unlocked, until all are or deliver stops the run (returning
    // false or throwing, which goes to `thrown`). Whether all were.
    template <typename Slots, typename Deliver>
    static bool DeliverInOrder(Slots& slots, Deliver& deliver, std::exception_ptr& thrown) {
        bool completed = true;
        for (auto run = slots.TakeRun(); !run.empty(); run = slots.TakeRun()) {
            try {
                for (auto& done : run) {
                    if (!deliver(std::move(done.item), std::move(done.result))) {
                        completed = false;
                        break;
                    }
                }
            } catch (...) {
                thrown = std::current_exception();
                completed = false;
            }
            slots.Delivered(!completed);
            if (!completed) {
                break;
            }
        }
        return completed;
    }

    unsigned jobs_;
    ThreadStarter start_;
};

}  // namespace Cli
