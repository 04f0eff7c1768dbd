// The check made before a whole file is taken into memory. With overcommit
// an allocation far beyond what the system can give succeeds, and the
// process is killed later while the read fills it; so a large size is
// compared first with the memory the system says it can still give and with
// what the process's own control group (cgroup v2 or v1) still allows.
#pragma once

#include <cstdint>
#include <string>

namespace System {

// Sizes below this are taken without consulting the system's figures. The
// figures cost several small file reads (about 50 µs), which would be most
// of the work for a small file, while a few MiB more or less decide nothing:
// a program that cannot get 16 MiB more is already at the end of its memory
// (the window alone uses more than that). From 16 MiB up a read takes at
// least 2 ms, so the check adds under 3 %.
inline constexpr std::int64_t kMemoryCheckThreshold = std::int64_t{16} << 20;

// Free memory as the system and the process's cgroup see it, in bytes; -1
// where a figure is unknown or there is no limit.
struct MemoryHeadroom {
    // MemAvailable of /proc/meminfo; on Windows the physical memory
    // available (ullAvailPhys of GlobalMemoryStatusEx, which like
    // MemAvailable counts the cache the system can drop).
    std::int64_t available = -1;
    // The tightest limit of the process's cgroup and its ancestors:
    // memory.max − memory.current (v1: memory.limit_in_bytes −
    // memory.usage_in_bytes), plus the file cache the group holds
    // (active_file and inactive_file of memory.stat, v1's total_ ones),
    // which the kernel drops before it fails an allocation, as MemAvailable
    // counts the cache too. On Windows the limit of the job object the
    // process runs in, less what the process (or the whole job) has
    // committed.
    std::int64_t cgroup = -1;

    // The smaller of the known figures; -1 when neither is known.
    std::int64_t Bytes() const noexcept;
};

// Reads the figures from `root` + "proc/meminfo", `root` +
// "proc/self/cgroup" (its "0::<path>" line for v2, its line naming the
// memory controller for v1) and the files of that path and its ancestors
// under `root` + "sys/fs/cgroup" (v1: "sys/fs/cgroup/memory"). `root` is
// "/" on a live system; tests point it at a directory of their own. A
// missing or unreadable file, or a limit of "max" (v1: 2^62 bytes or more),
// means no limit from it. On Windows `root` is not used: the figures come
// from the system's calls.
MemoryHeadroom ReadMemoryHeadroom(const std::string& root = "/");

// Throws PlatformError(Operation::kRead, path, "the file is 1 GiB (1073741824 bytes),
// more than the memory available, 512 MiB (536870912 bytes)") when `length`
// exceeds what `headroom` allows.
void RequireMemoryFor(const std::string& path, std::int64_t length, const MemoryHeadroom& headroom);

}  // namespace System
