#include "platform/system/files/memory_check.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/system/os/error.h"
#include "tests/support/temp_dir_test.h"

namespace {

using System::MemoryHeadroom;
using System::ReadMemoryHeadroom;
using System::RequireMemoryFor;

constexpr std::int64_t kMiB = std::int64_t{1} << 20;
constexpr std::int64_t kGiB = std::int64_t{1} << 30;

// A fake root holding the files the check reads: /proc/meminfo,
// /proc/self/cgroup and a cgroup v2 tree under /sys/fs/cgroup.
class MemoryCheckTest : public TestSupport::TempDirTest {
  protected:
    void Put(const std::string& relative, const std::string& content) const {
        std::filesystem::create_directories(
            std::filesystem::path(dir_ + "/" + relative).parent_path());
        Write(relative, content);
    }
    void MemAvailable(std::int64_t bytes) const {
        Put("proc/meminfo",
            "MemTotal:       32000000 kB\nMemFree:         1000 kB\nMemAvailable: " +
                std::to_string(bytes / 1024) + " kB\nBuffers:  12 kB\n");
    }
    void OwnCgroup(const std::string& path) const {
        // A hybrid system lists the v1 hierarchies too; only the "0::" line counts.
        Put("proc/self/cgroup", "4:memory:/elsewhere\n1:name=systemd:/x\n0::" + path + "\n");
    }
    void Limit(const std::string& group, const std::string& max, std::int64_t current) const {
        Put("sys/fs/cgroup" + group + "/memory.max", max + "\n");
        Put("sys/fs/cgroup" + group + "/memory.current", std::to_string(current) + "\n");
    }
    // The reason RequireMemoryFor gives for `length`, or "fits".
    static std::string Verdict(std::int64_t length, const MemoryHeadroom& headroom) {
        try {
            RequireMemoryFor("/data/big", length, headroom);
        } catch (const System::PlatformError& error) {
            EXPECT_EQ(error.path(), "/data/big");
            return error.reason();
        }
        return "fits";
    }
};

// The host has 8 GiB to give, the container 512 MiB: a 1 GiB file that
// MemAvailable alone lets through is refused with the same words, naming
// the cgroup's figure; the limit is the tightest of the group's ancestors.
TEST_F(MemoryCheckTest, CgroupLimitRefusesWhatTheHostWouldAllow) {
    MemAvailable(8 * kGiB);
    OwnCgroup("/box/inner");
    Limit("/box", std::to_string(kGiB), 512 * kMiB);
    Limit("/box/inner", std::to_string(4 * kGiB), 100 * kMiB);
    const MemoryHeadroom headroom = ReadMemoryHeadroom(dir_);
    EXPECT_EQ(headroom.available, 8 * kGiB);
    EXPECT_EQ(headroom.cgroup, 512 * kMiB);

    EXPECT_EQ(Verdict(kGiB, {8 * kGiB, -1}), "fits");
    EXPECT_EQ(Verdict(kGiB, headroom),
              "the file is 1 GiB (1073741824 bytes), more than the memory available, 512 MiB "
              "(536870912 bytes)");
    EXPECT_EQ(Verdict(512 * kMiB, headroom), "fits");
    // The host's own figure still refuses when it is the smaller one.
    EXPECT_EQ(Verdict(kGiB, {256 * kMiB, 512 * kMiB}),
              "the file is 1 GiB (1073741824 bytes), more than the memory available, 256 MiB "
              "(268435456 bytes)");
}

// A group's file cache is memory the kernel drops before it refuses an
// allocation, as MemAvailable counts the system's.
TEST_F(MemoryCheckTest, CgroupFileCacheCountsAsFree) {
    OwnCgroup("/box");
    Limit("/box", std::to_string(kGiB), 900 * kMiB);
    Put("sys/fs/cgroup/box/memory.stat",
        "anon 104857600\nfile 838860800\nactive_file 314572800\ninactive_file 524288000\n");
    EXPECT_EQ(ReadMemoryHeadroom(dir_).cgroup, 124 * kMiB + 800 * kMiB);
}

// cgroup v1: the memory controller's own hierarchy, its limit file and
// its "total_" cache counts; the root's figure of "no limit" is none.
TEST_F(MemoryCheckTest, CgroupV1LimitIsHonouredAsV2s) {
    MemAvailable(8 * kGiB);
    Put("proc/self/cgroup", "5:cpu,memory:/box/inner\n1:name=systemd:/x\n0::/\n");
    const std::string group = "sys/fs/cgroup/memory/box/inner/";
    Put(group + "memory.limit_in_bytes", std::to_string(kGiB) + "\n");
    Put(group + "memory.usage_in_bytes", std::to_string(900 * kMiB) + "\n");
    Put(group + "memory.stat", "active_file 1\ninactive_file 1\ntotal_active_file " +
                                   std::to_string(100 * kMiB) + "\ntotal_inactive_file 0\n");
    Put("sys/fs/cgroup/memory/memory.limit_in_bytes", "9223372036854771712\n");
    Put("sys/fs/cgroup/memory/memory.usage_in_bytes", "1\n");
    EXPECT_EQ(ReadMemoryHeadroom(dir_).cgroup, 224 * kMiB);
}

TEST_F(MemoryCheckTest, MaxAndMissingFilesMeanNoLimit) {
    MemAvailable(2 * kGiB);
    OwnCgroup("/box");
    Limit("/box", "max", 900 * kMiB);
    EXPECT_EQ(ReadMemoryHeadroom(dir_).cgroup, -1);
    EXPECT_EQ(ReadMemoryHeadroom(dir_).available, 2 * kGiB);

    // The cgroup directory is not there (cgroup v1, or not mounted).
    OwnCgroup("/elsewhere");
    EXPECT_EQ(ReadMemoryHeadroom(dir_).cgroup, -1);
    // At the root of the hierarchy or inside a cgroup namespace: no limit file.
    OwnCgroup("/");
    EXPECT_EQ(ReadMemoryHeadroom(dir_).cgroup, -1);

    // Nothing at all: no figure, and nothing is refused.
    const std::string empty = dir_ + "/nothing";
    std::filesystem::create_directory(empty);
    const MemoryHeadroom none = ReadMemoryHeadroom(empty);
    EXPECT_EQ(none.available, -1);
    EXPECT_EQ(none.cgroup, -1);
    EXPECT_EQ(Verdict(std::int64_t{1} << 50, none), "fits");
}

TEST_F(MemoryCheckTest, MalformedFiguresAreIgnoredRatherThanTrusted) {
    Put("proc/meminfo", "MemAvailable: lots kB\n");
    OwnCgroup("/box");
    Limit("/box", "-5", 0);
    const MemoryHeadroom headroom = ReadMemoryHeadroom(dir_);
    EXPECT_EQ(headroom.available, -1);
    EXPECT_EQ(headroom.cgroup, -1);
    // A group using more than its limit (possible after the limit was
    // lowered) has no room at all.
    Limit("/box", std::to_string(kGiB), 2 * kGiB);
    EXPECT_EQ(ReadMemoryHeadroom(dir_).cgroup, 0);
}

TEST(MemoryCheckLiveTest, TheRunningSystemReportsAvailableMemory) {
    EXPECT_GT(ReadMemoryHeadroom().available, 0);
}

}  // namespace
