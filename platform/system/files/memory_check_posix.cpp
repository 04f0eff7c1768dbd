#include "platform/system/files/memory_check.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <optional>
#include <string_view>

#include "platform/system/os/decimal_text.h"
#include "platform/system/os/error.h"

namespace System {
namespace {

// The whole text of a small kernel file, or nothing when it cannot be read.
// These files have no trustworthy size, so they are read to their end.
std::optional<std::string> ReadSmallFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        return std::nullopt;
    }
    constexpr std::size_t kLimit = std::size_t{1} << 20;
    std::string text;
    std::size_t used = 0;
    bool failed = false;
    while (used < kLimit) {
        text.resize(used + 4096);
        const ssize_t got = ::read(fd, text.data() + used, text.size() - used);
        if (got > 0) {
            used += static_cast<std::size_t>(got);
        } else if (got == 0) {
            break;
        } else if (errno != EINTR) {
            failed = true;
            break;
        }
    }
    ::close(fd);
    if (failed) {
        return std::nullopt;
    }
    text.resize(used);
    return text;
}

// The leading decimal number of `text` after any blanks; nothing when there
// is none (for instance "max").
std::optional<std::int64_t> LeadingNumber(std::string_view text) {
    const std::size_t start = text.find_first_not_of(" \t");
    if (start == std::string_view::npos) {
        return std::nullopt;
    }
    std::int64_t value = 0;
    const char* first = text.data() + start;
    const auto [end, error] = std::from_chars(first, text.data() + text.size(), value);
    if (error != std::errc() || end == first || value < 0) {
        return std::nullopt;
    }
    return value;
}

// The value after `key` on the line that starts with it, as in
// "MemAvailable:   123 kB" or "active_file 4096".
std::optional<std::int64_t> KeyedValue(std::string_view text, std::string_view key) {
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        const std::string_view line = text.substr(at, end - at);
        if (line.starts_with(key)) {
            return LeadingNumber(line.substr(key.size()));
        }
        at = end + 1;
    }
    return std::nullopt;
}

std::int64_t AvailableBytes(const std::string& root) {
    const std::optional<std::string> meminfo = ReadSmallFile(root + "proc/meminfo");
    if (!meminfo) {
        return -1;
    }
    const std::optional<std::int64_t> kib = KeyedValue(*meminfo, "MemAvailable:");
    return kib && *kib <= INT64_MAX / 1024 ? *kib * 1024 : -1;
}

// Where a cgroup hierarchy keeps a group's memory figures.
struct CgroupFiles {
    bool unified;                 // v2, whose line in /proc/self/cgroup is "0::PATH"
    std::string_view mount;       // the hierarchy's directory under the root
    std::string_view limit;       // the limit, or "max" (v2)
    std::string_view usage;       // what the group uses now, its file cache included
    std::string_view activeFile;  // the keys of the group's file cache in memory.stat
    std::string_view inactiveFile;
};
constexpr CgroupFiles kCgroupV2{true,           "sys/fs/cgroup", "memory.max", "memory.current",
                                "active_file ", "inactive_file "};
// cgroup v1's memory controller; its memory.stat counts the group alone
// under the plain keys and the group with its children under "total_".
constexpr CgroupFiles kCgroupV1{false,
                                "sys/fs/cgroup/memory",
                                "memory.limit_in_bytes",
                                "memory.usage_in_bytes",
                                "total_active_file ",
                                "total_inactive_file "};

// cgroup v1 shows "no limit" as the largest page count in bytes
// (9223372036854771712 with 4 KiB pages); no real limit comes near 2^62.
constexpr std::int64_t kUnlimited = std::int64_t{1} << 62;

// Whether `controllers`, a comma-separated list, names the memory controller.
bool NamesMemoryController(std::string_view controllers) {
    while (!controllers.empty()) {
        const std::size_t comma = std::min(controllers.find(','), controllers.size());
        if (controllers.substr(0, comma) == "memory") {
            return true;
        }
        controllers.remove_prefix(std::min(comma + 1, controllers.size()));
    }
    return false;
}

// The process's group in the hierarchy `files` describes, from its line of
// /proc/self/cgroup ("ID:CONTROLLERS:PATH"; PATH is "/" at the root or
// inside a cgroup namespace).
std::optional<std::string> OwnCgroupPath(const std::string& root, const CgroupFiles& files) {
    const std::optional<std::string> groups = ReadSmallFile(root + "proc/self/cgroup");
    if (!groups) {
        return std::nullopt;
    }
    const std::string_view text = *groups;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        const std::string_view line = text.substr(at, end - at);
        at = end + 1;
        const std::size_t first = line.find(':');
        const std::size_t second =
            first == std::string_view::npos ? first : line.find(':', first + 1);
        if (second == std::string_view::npos || !line.substr(second + 1).starts_with('/')) {
            continue;
        }
        const std::string_view controllers = line.substr(first + 1, second - first - 1);
        const bool ours =
            files.unified ? line.starts_with("0::") : NamesMemoryController(controllers);
        if (ours) {
            return std::string(line.substr(second + 1));
        }
    }
    return std::nullopt;
}

// What one cgroup directory still allows, or nothing when it sets no limit.
std::optional<std::int64_t> GroupHeadroom(const std::string& dir, const CgroupFiles& files) {
    const std::optional<std::string> max = ReadSmallFile(dir + "/" + std::string(files.limit));
    if (!max) {
        return std::nullopt;
    }
    const std::optional<std::int64_t> limit = LeadingNumber(*max);
    if (!limit || *limit >= kUnlimited) {
        return std::nullopt;  // "max", or v1's largest value: no limit
    }
    const std::optional<std::string> current = ReadSmallFile(dir + "/" + std::string(files.usage));
    const std::optional<std::int64_t> used = current ? LeadingNumber(*current) : std::nullopt;
    if (!used) {
        return std::nullopt;
    }
    std::int64_t cache = 0;
    if (const std::optional<std::string> stat = ReadSmallFile(dir + "/memory.stat")) {
        cache = KeyedValue(*stat, files.activeFile).value_or(0) +
                KeyedValue(*stat, files.inactiveFile).value_or(0);
    }
    return std::max<std::int64_t>(0, *limit - *used + std::min(cache, *used));
}

// The tightest limit of the process's group and its ancestors in the
// hierarchy `files` describes, or -1: a limit on a parent binds its
// children too. The root counts as well: a container may see its own group
// mounted there.
std::int64_t HierarchyBytes(const std::string& root, const CgroupFiles& files) {
    const std::optional<std::string> group = OwnCgroupPath(root, files);
    if (!group) {
        return -1;
    }
    const std::string top = root + std::string(files.mount);
    std::int64_t tightest = -1;
    for (std::string path = *group;; path.resize(path.find_last_of('/'))) {
        const bool atRoot = path.empty() || path == "/";
        if (const std::optional<std::int64_t> room =
                GroupHeadroom(atRoot ? top : top + path, files)) {
            tightest = tightest < 0 ? *room : std::min(tightest, *room);
        }
        if (atRoot) {
            return tightest;
        }
    }
}

// The tighter of the two hierarchies' limits: memory is controlled by one
// of them, whichever the system mounts it in.
std::int64_t CgroupBytes(const std::string& root) {
    const std::int64_t v2 = HierarchyBytes(root, kCgroupV2);
    const std::int64_t v1 = HierarchyBytes(root, kCgroupV1);
    return v2 < 0 ? v1 : v1 < 0 ? v2 : std::min(v1, v2);
}

}  // namespace

MemoryHeadroom ReadMemoryHeadroom(const std::string& root) {
    const std::string base = root.ends_with('/') ? root : root + "/";
    return {AvailableBytes(base), CgroupBytes(base)};
}

}  // namespace System
