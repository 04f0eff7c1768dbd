// What the threads of an ordered run share (cli/jobs/ordered_jobs.h): the
// items taken from the source and not yet delivered, item i in place
// i % ahead, first while it is worked on, then with its result until the
// calling thread delivers it.
#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace Cli {

// Items a thread takes from the source at once, when they are ready.
inline constexpr std::size_t kBatch = 32;

template <typename Item, typename Result>
class InOrderSlots {
  public:
    struct Done {
        Item item;
        Result result;
    };

    // Items first .. first + count - 1, taken together; `last` when the
    // source ended (or threw) after them.
    struct Batch {
        std::size_t first = 0;
        std::size_t count = 0;
        bool last = false;
    };

    // Room for `ahead` items. Everything is allocated here, before a thread
    // runs: an allocation that failed then would leave the threads running
    // while the stack unwinds.
    explicit InOrderSlots(std::size_t ahead) : ahead_(ahead), items_(ahead), slots_(ahead) {
        run_.reserve(ahead);
    }

    // Waits for room, then takes up to kBatch items from next() while
    // ready() says the next is there without waiting. next() is called by
    // one thread at a time and without the slots locked, so results are
    // delivered while it waits. Nothing once the run stopped or the items
    // ended.
    template <typename Next, typename Ready>
    std::optional<Batch> Take(Next& next, Ready& ready) {
        std::unique_lock pulling(source_);
        std::unique_lock lock(mutex_);
        room_.wait(lock, [&] { return stop_ || ended_ || taken_ < delivered_ + ahead_; });
        if (stop_ || ended_) {
            return std::nullopt;
        }
        Batch batch{taken_};
        const std::size_t most = std::min(kBatch, delivered_ + ahead_ - taken_);
        lock.unlock();
        std::exception_ptr thrown;
        try {
            do {
                std::optional<Item> item = next();
                batch.last = !item.has_value();
                if (!batch.last) {
                    items_[(batch.first + batch.count++) % ahead_] = std::move(item);
                }
            } while (!batch.last && batch.count < most && ready());
        } catch (...) {
            thrown = std::current_exception();
            batch.last = true;
        }
        lock.lock();
        taken_ += batch.count;
        if (batch.last) {
            failure_ = thrown;
            ended_ = true;
            done_.notify_one();
            room_.notify_all();
        }
        return batch;
    }

    // Item `index` taken, worked on. Its place is left empty before its
    // result is in: once delivered, the place is another item's.
    template <typename Work>
    Done WorkOn(std::size_t index, Work& work) {
        std::optional<Item>& item = items_[index % ahead_];
        Result result = work(*item);
        Done finished{std::move(*item), std::move(result)};
        item.reset();
        return finished;
    }

    // Puts the result of item `index` in its place; `tell` wakes the
    // calling thread for it.
    void Put(std::size_t index, Done&& finished, bool tell) {
        const std::lock_guard lock(mutex_);
        slots_[index % ahead_].emplace(std::move(finished));
        if (tell) {
            done_.notify_one();
        }
    }

    // On the calling thread: waits for the next result to deliver and takes
    // it out with those done after it; empty when every item taken was
    // delivered and there are no more.
    std::span<Done> TakeRun() {
        std::unique_lock lock(mutex_);
        done_.wait(lock, [&] {
            return slots_[delivered_ % ahead_].has_value() || (ended_ && delivered_ == taken_);
        });
        for (std::size_t i = delivered_; slots_[i % ahead_].has_value(); ++i) {
            run_.push_back(std::move(*slots_[i % ahead_]));
            slots_[i % ahead_].reset();
        }
        return run_;
    }

    // The run taken out is done with, its places free: delivered, or with
    // `stop` what was left of it dropped, and no more items taken.
    void Delivered(bool stop) {
        const std::lock_guard lock(mutex_);
        delivered_ += run_.size();
        run_.clear();
        stop_ = stop;
        room_.notify_all();
    }

    // What next() threw, once the threads have ended.
    std::exception_ptr failure() const { return failure_; }

  private:
    const std::size_t ahead_;
    std::vector<std::optional<Item>> items_;  // item i while it is worked on
    std::vector<std::optional<Done>> slots_;  // item i with its result
    std::vector<Done> run_;                   // results taken out to be delivered
    std::mutex mutex_;                        // all here but the source and run_
    std::mutex source_;                       // taken while next() runs
    std::condition_variable done_;  // the next result to deliver came in, or the items ended
    std::condition_variable room_;  // places were freed, or the run stops
    std::size_t taken_ = 0;         // items taken from the source
    std::size_t delivered_ = 0;     // items delivered so far
    bool ended_ = false;            // next() gave no more, or threw
    bool stop_ = false;
    std::exception_ptr failure_;  // what next() threw
};

}  // namespace Cli
