#include "platform/files/memory_check.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <optional>
#include <string_view>

#include "platform/os/decimal_text.h"
#include "platform/os/error.h"

namespace Platform {
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

// The cgroup v2 path of the process: the part after "0::" on its line of
// /proc/self/cgroup ("/" at the root or inside a cgroup namespace).
std::optional<std::string> OwnCgroupPath(const std::string& root) {
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
        if (line.starts_with("0::/")) {
            return std::string(line.substr(3));
        }
        at = end + 1;
    }
    return std::nullopt;
}

// What one cgroup directory still allows, or nothing when it sets no limit.
std::optional<std::int64_t> GroupHeadroom(const std::string& dir) {
    const std::optional<std::string> max = ReadSmallFile(dir + "/memory.max");
    if (!max) {
        return std::nullopt;
    }
    const std::optional<std::int64_t> limit = LeadingNumber(*max);
    if (!limit) {
        return std::nullopt;  // "max": no limit
    }
    const std::optional<std::string> current = ReadSmallFile(dir + "/memory.current");
    const std::optional<std::int64_t> used = current ? LeadingNumber(*current) : std::nullopt;
    if (!used) {
        return std::nullopt;
    }
    std::int64_t cache = 0;
    if (const std::optional<std::string> stat = ReadSmallFile(dir + "/memory.stat")) {
        cache = KeyedValue(*stat, "active_file ").value_or(0) +
                KeyedValue(*stat, "inactive_file ").value_or(0);
    }
    return std::max<std::int64_t>(0, *limit - *used + std::min(cache, *used));
}

// The tightest limit of the process's cgroup and its ancestors: a limit on
// a parent binds its children too.
std::int64_t CgroupBytes(const std::string& root) {
    std::optional<std::string> group = OwnCgroupPath(root);
    if (!group) {
        return -1;
    }
    const std::string top = root + "sys/fs/cgroup";
    std::int64_t tightest = -1;
    for (std::string path = *group; !path.empty() && path != "/";
         path.resize(path.find_last_of('/'))) {
        if (const std::optional<std::int64_t> room = GroupHeadroom(top + path)) {
            tightest = tightest < 0 ? *room : std::min(tightest, *room);
        }
    }
    return tightest;
}

}  // namespace

MemoryHeadroom ReadMemoryHeadroom(const std::string& root) {
    const std::string base = root.ends_with('/') ? root : root + "/";
    return {AvailableBytes(base), CgroupBytes(base)};
}

}  // namespace Platform
