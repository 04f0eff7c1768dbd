// The progress line on standard error while a long run reads: files and
// bytes done and the speed, redrawn a few times a second from a second on,
// and erased at the end. Used only when standard error is a terminal.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <ostream>
#include <string>
#include <string_view>
#include <thread>

namespace Cli {

class Progress {
  public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    // How long a run goes before the line shows, and how often it is redrawn.
    static constexpr std::chrono::milliseconds kQuietStart{1000};
    static constexpr std::chrono::milliseconds kRedraw{250};
    // Erases the line, leaving the cursor at the start of an empty line.
    static constexpr std::string_view kErase = "\r\x1b[K";

    // The run starts now, by `clock` (steady time unless a test injects one).
    explicit Progress(std::ostream& err, Clock clock = std::chrono::steady_clock::now);
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // Redraws every kRedraw on a thread of its own until Stop(); when no
    // thread can be started there is no line.
    void Start();
    // Ends the redrawing and erases the line.
    void Stop();

    // What the run has done, counted by whoever does it (any thread).
    std::atomic<std::int64_t> files{0};
    std::atomic<std::int64_t> bytes{0};

    // The line erased, and kept off while the returned lock is held: every
    // other write to the terminal goes through it.
    std::unique_lock<std::mutex> Quiet();

    // Draws the line when the run has taken kQuietStart; the redrawing
    // thread calls it, tests call it with their clock.
    void Tick();

  private:
    std::string Line(std::chrono::steady_clock::duration elapsed) const;
    void EraseLocked();

    std::ostream& err_;
    Clock clock_;
    const std::chrono::steady_clock::time_point start_;
    std::mutex mutex_;  // the terminal's line and `stopping_`
    std::condition_variable wake_;
    bool shown_ = false;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace Cli
