#include <fcntl.h>
#include <sched.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <string>

#include "platform/os/hardware.h"

namespace Platform {
namespace {

// The queue of the block device `device`, or of the disk it is a partition
// of (a partition's directory lies inside its disk's).
bool OnRotationalDevice(dev_t device) {
    const std::string base =
        "/sys/dev/block/" + std::to_string(major(device)) + ":" + std::to_string(minor(device));
    for (const char* queue : {"/queue/rotational", "/../queue/rotational"}) {
        std::ifstream flag(base + queue);
        char value = 0;
        if (flag >> value) {
            return value == '1';
        }
    }
    return false;
}

// cachestat(2), Linux 6.5: how many of the file's pages are in the page
// cache. Named by number, as the C library may not know it yet.
constexpr long kCachestat = 451;
struct CachestatRange {
    std::uint64_t offset;
    std::uint64_t length;  // 0: to the end of the file
};
struct Cachestat {
    std::uint64_t cached, dirty, writeback, evicted, recentlyEvicted;
};

bool AllCached(int fd, const struct stat& info) {
    CachestatRange range{0, 0};
    Cachestat found{};
    if (::syscall(kCachestat, fd, &range, &found, 0) != 0) {
        return false;
    }
    const auto page = static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
    return found.cached >= (static_cast<std::uint64_t>(info.st_size) + page - 1) / page;
}

}  // namespace

unsigned UsableCPUs() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof set, &set) != 0) {
        return 1;
    }
    const int count = CPU_COUNT(&set);
    return count > 0 ? static_cast<unsigned>(count) : 1;
}

// Examined by its path first: only a regular file on a rotational disk is
// opened, so no device or FIFO is.
bool ReadsWouldSeek(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) ||
        !OnRotationalDevice(info.st_dev)) {
        return false;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        return false;
    }
    const bool cached = AllCached(fd, info);
    ::close(fd);
    return !cached;
}

}  // namespace Platform
