#include <fcntl.h>
#include <malloc.h>
#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <string>

#include "cli/system/hardware.h"

namespace Cli::Os {
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

unsigned JobsTheMemoryAllows(unsigned jobs) {
    rlimit space{};
    if (::getrlimit(RLIMIT_AS, &space) != 0 || space.rlim_cur == RLIM_INFINITY) {
        return jobs;
    }
    // The address space in use: the first field of statm, in pages.
    std::ifstream statm("/proc/self/statm");
    std::uint64_t pages = 0;
    if (!(statm >> pages)) {
        return jobs;
    }
    const std::uint64_t used = pages * static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
    // Each job has a thread's stack, as large as threads are given by
    // default, and reads through buffers of its own.
    std::uint64_t stackBytes = std::uint64_t{8} << 20;
    pthread_attr_t defaults;
    if (::pthread_getattr_default_np(&defaults) == 0) {
        std::size_t size = 0;
        if (::pthread_attr_getstacksize(&defaults, &size) == 0 && size > 0) {
            stackBytes = size;
        }
        ::pthread_attr_destroy(&defaults);
    }
    const std::uint64_t perJob = stackBytes + (std::uint64_t{2} << 20);
#ifdef M_ARENA_MAX
    // glibc reserves 64 MiB of address space for each heap it adds for
    // threads: under a limit the threads share the main one instead.
    ::mallopt(M_ARENA_MAX, 1);
#endif
    const std::uint64_t room = space.rlim_cur > used ? (space.rlim_cur - used) / 2 : 0;
    return static_cast<unsigned>(std::clamp<std::uint64_t>(room / perJob, 1, jobs));
}

}  // namespace Cli::Os
