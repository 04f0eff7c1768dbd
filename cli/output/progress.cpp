#include "cli/output/progress.h"
#include "platform/system/os/translation.h"

#include <array>
#include <cstdio>
#include <system_error>

namespace Cli {
namespace {

// "CR, text, erase to the end of the line" redraws in place; an erase alone
// leaves the cursor at the start of an empty line.
constexpr char kReturn[] = "\r";
constexpr char kEraseToEnd[] = "\x1b[K";

// `count` bytes in decimal units with one decimal: "1.2 GB".
std::string Quantity(double count, const char* unit) {
    static constexpr std::array<const char*, 5> kPrefixes = {"", "k", "M", "G", "T"};
    std::size_t prefix = 0;
    for (; count >= 1000 && prefix + 1 < kPrefixes.size(); ++prefix) {
        count /= 1000;
    }
    char text[32];
    std::snprintf(text, sizeof text, prefix == 0 ? "%.0f %s%s" : "%.1f %s%s", count,
                  kPrefixes[prefix], unit);
    return text;
}

}  // namespace

Progress::Progress(std::ostream& err, Clock clock)
    : err_(err), clock_(std::move(clock)), start_(clock_()) {}

Progress::~Progress() {
    Stop();
}

void Progress::Start() {
    try {
        thread_ = std::thread([this] {
            std::unique_lock lock(mutex_);
            while (!wake_.wait_for(lock, kRedraw, [this] { return stopping_; })) {
                lock.unlock();
                Tick();
                lock.lock();
            }
        });
    } catch (const std::system_error&) {
    }
}

void Progress::Stop() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
    const std::lock_guard lock(mutex_);
    EraseLocked();
}

std::unique_lock<std::mutex> Progress::Quiet() {
    std::unique_lock lock(mutex_);
    EraseLocked();
    return lock;
}

void Progress::Tick() {
    const auto elapsed = clock_() - start_;
    if (elapsed < kQuietStart) {
        return;
    }
    const std::string line = Line(elapsed);
    const std::lock_guard lock(mutex_);
    if (!stopping_) {
        err_ << kReturn << line << kEraseToEnd << std::flush;
        shown_ = true;
    }
}

std::string Progress::Line(std::chrono::steady_clock::duration elapsed) const {
    const double seconds = std::chrono::duration<double>(elapsed).count();
    const auto done = static_cast<double>(bytes.load());
    const std::int64_t count = files.load();
    return System::Filled(
        System::TrCount("{1} file, {2}, {3}", "{1} files, {2}, {3}",
                        static_cast<unsigned long>(count)),
        {std::to_string(count), Quantity(done, "B"), Quantity(done / seconds, "B/s")});
}

void Progress::EraseLocked() {
    if (shown_) {
        err_ << kErase << std::flush;
        shown_ = false;
    }
}

}  // namespace Cli
