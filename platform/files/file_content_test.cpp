#include "platform/files/file_content.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <string>

#include "platform/files/files.h"
#include "platform/os/error.h"
#include "tests/support/temp_dir_test.h"
#include "tests/support/unprivileged.h"

namespace {

using Platform::FileContent;
using Platform::kMappedFileThreshold;
using Platform::PlatformError;
using Platform::ReadFileContent;

std::string Text(const FileContent& content) {
    return std::string(content.bytes().begin(), content.bytes().end());
}

// The file read by plain reads until read() returns 0.
std::string ReadToEndByHand(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    EXPECT_GE(fd, 0) << path;
    std::string text;
    char chunk[4096];
    for (ssize_t got; (got = ::read(fd, chunk, sizeof chunk)) > 0;) {
        text.append(chunk, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return text;
}

template <typename F>
std::string ErrorReason(F&& call) {
    try {
        call();
    } catch (const PlatformError& error) {
        return error.reason();
    }
    return "no error";
}

std::string Pattern(std::size_t size, unsigned seed) {
    std::string content(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        content[i] = static_cast<char>(i * seed + i / 251);
    }
    return content;
}

class FileContentTest : public TestSupport::TempDirTest {};

// /proc files report a size of 0 and hold text: the content is what a read
// to the end gives, never the empty file their size suggests. Files chosen
// for staying the same between two reads.
TEST_F(FileContentTest, ProcFilesAreReadToTheirEnd) {
    for (const std::string path : {"/proc/version", "/proc/sys/kernel/ostype"}) {
        EXPECT_EQ(Platform::QueryFileLength(path), 0) << path;
        const FileContent content = ReadFileContent(path);
        EXPECT_FALSE(content.mapped());
        EXPECT_FALSE(content.empty()) << path;
        EXPECT_EQ(Text(content), ReadToEndByHand(path)) << path;
    }
}

// A sysfs attribute reports 4096 bytes and holds a few: the bytes read, not
// an error for a file that "shrank".
TEST_F(FileContentTest, SysfsFilesGiveTheBytesTheyHoldNotTheirSize) {
    const std::string path = "/sys/devices/system/cpu/online";
    if (::access(path.c_str(), R_OK) != 0) {
        GTEST_SKIP() << path << " is not there";
    }
    const std::string expected = ReadToEndByHand(path);
    ASSERT_NE(Platform::QueryFileLength(path), static_cast<std::int64_t>(expected.size()));
    EXPECT_EQ(Text(ReadFileContent(path)), expected);
}

// A pseudo file is opened and read like any other file, so failures of
// either are errors, never the report of an empty file.
TEST_F(FileContentTest, UnreadablePseudoFilesAreErrors) {
    // Reading at offset 0 of the process's own memory fails: nothing is
    // mapped there.
    EXPECT_EQ(ErrorReason([] { ReadFileContent("/proc/self/mem"); }), "Input/output error");

    struct stat init {};
    if (::stat("/proc/1/environ", &init) != 0 || init.st_uid != 0) {
        GTEST_SKIP() << "process 1 is not root's";
    }
    EXPECT_EQ(TestSupport::RunUnprivileged([] {
                  const std::string reason =
                      ErrorReason([] { ReadFileContent("/proc/1/environ"); });
                  return reason == "Permission denied" ? "" : "reason: " + reason;
              }),
              "");
}

// Around the size from which files are mapped, every size gives exactly the
// file's bytes, whether read or mapped.
TEST_F(FileContentTest, FilesAroundTheMappingSizeGiveExactlyTheirBytes) {
    const auto threshold = static_cast<std::size_t>(kMappedFileThreshold);
    for (const std::size_t size : {threshold - 1, threshold, threshold + 1, 3 * threshold + 4097}) {
        const std::string content = Pattern(size, 13);
        const FileContent read = ReadFileContent(Write("f", content));
        EXPECT_EQ(read.mapped(), size >= threshold) << size;
        ASSERT_EQ(read.size(), size);
        EXPECT_EQ(std::memcmp(read.bytes().data(), content.data(), size), 0) << size;
        EXPECT_EQ(read.Read([](auto bytes) { return bytes.size(); }), size);
        read.CheckUnchanged();
    }
}

TEST_F(FileContentTest, EmptyFilesAreNotOpenedAndOtherKindsAreRefused) {
    const std::string empty = Write("empty", "");
    ASSERT_EQ(::chmod(empty.c_str(), 0), 0);
    EXPECT_EQ(TestSupport::RunUnprivileged(
                  [&] { return ReadFileContent(empty).empty() ? "" : "not empty"; }),
              "");
    EXPECT_EQ(ErrorReason([&] { ReadFileContent(dir_); }), "Is a directory");
    EXPECT_EQ(ErrorReason([&] { ReadFileContent("/dev/null"); }), "not a regular file");
    EXPECT_EQ(ErrorReason([&] { ReadFileContent(dir_ + "/missing"); }),
              "No such file or directory");
}

// A file cut short while its mapping is read: the lost pages raise SIGBUS,
// which ends the reading with the error instead of the process, and the
// signal's disposition is back to what it was afterwards.
TEST_F(FileContentTest, TruncatedMappingIsAnErrorNotACrash) {
    const std::string path = Write("big", Pattern(4 * kMappedFileThreshold, 7));
    struct sigaction before {};
    ASSERT_EQ(::sigaction(SIGBUS, nullptr, &before), 0);

    const FileContent content = ReadFileContent(path);
    ASSERT_TRUE(content.mapped());
    int calls = 0;
    const std::string reason = ErrorReason([&] {
        content.Read([&](std::span<const std::uint8_t> bytes) {
            ++calls;
            EXPECT_EQ(::truncate(path.c_str(), 4096), 0);
            unsigned sum = 0;
            for (std::size_t i = 0; i < bytes.size(); i += 4096) {
                sum += *static_cast<const volatile std::uint8_t*>(&bytes[i]);
            }
            return sum;
        });
    });
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(reason, "the file changed while it was being read");
    EXPECT_EQ(ErrorReason([&] { content.CheckUnchanged(); }),
              "the file changed while it was being read");

    struct sigaction after {};
    ASSERT_EQ(::sigaction(SIGBUS, nullptr, &after), 0);
    EXPECT_EQ(after.sa_handler, before.sa_handler);
}

// Same size, new bytes: only the times tell, and they do. The file's times
// are first set far in the past, so the change shows even where the clock
// that stamps files is coarse.
TEST_F(FileContentTest, ContentChangedInPlaceFailsTheCheck) {
    const std::string path = Write("big", Pattern(2 * kMappedFileThreshold, 3));
    const timespec past[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), past, 0), 0);
    const FileContent content = ReadFileContent(path);
    ASSERT_TRUE(content.mapped());
    content.CheckUnchanged();

    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::pwrite(fd, "changed", 7, 1000), 7);
    ::close(fd);
    EXPECT_EQ(ErrorReason([&] { content.CheckUnchanged(); }),
              "the file changed while it was being read");
}

// Only faults on the mapping being read are taken over: a bus error
// anywhere else still ends the process as it would have.
TEST_F(FileContentTest, OtherBusErrorsStillEndTheProcess) {
    const std::string path = Write("big", Pattern(2 * kMappedFileThreshold, 5));
    const std::string other = Write("other", Pattern(8192, 9));
    const auto died = [](int status) { return !WIFEXITED(status) || WEXITSTATUS(status) != 0; };
    EXPECT_EXIT(
        {
            const FileContent content = ReadFileContent(path);
            const int fd = ::open(other.c_str(), O_RDONLY);
            auto* elsewhere = static_cast<const volatile std::uint8_t*>(
                ::mmap(nullptr, 8192, PROT_READ, MAP_PRIVATE, fd, 0));
            if (::truncate(other.c_str(), 0) != 0) {
                std::_Exit(0);
            }
            content.Read([&](auto) { return elsewhere[4096]; });
            std::_Exit(0);
        },
        died, "");
    EXPECT_EXIT(
        {
            const FileContent content = ReadFileContent(path);
            content.Read([](auto) { return ::raise(SIGBUS); });
            std::_Exit(0);
        },
        died, "");
}

}  // namespace
