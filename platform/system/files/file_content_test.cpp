#include "platform/system/files/files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "platform/system/os/error.h"
#include "tests/support/temp_dir_test.h"
#include "tests/support/unprivileged.h"

namespace {

using System::ByteBuffer;
using System::PlatformError;
using System::ReadFileContent;

std::string Text(const ByteBuffer& content) {
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

class FileContentTest : public TestSupport::TempDirTest {};

// /proc files report a size of 0 and hold text: the content is what a read
// to the end gives, never the empty file their size suggests. Files chosen
// for staying the same between two reads.
TEST_F(FileContentTest, ProcFilesAreReadToTheirEnd) {
    for (const std::string path : {"/proc/version", "/proc/sys/kernel/ostype"}) {
        EXPECT_EQ(System::QueryFileLength(path), 0) << path;
        const ByteBuffer content = ReadFileContent(path);
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
    ASSERT_NE(System::QueryFileLength(path), static_cast<std::int64_t>(expected.size()));
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

// Generated files that never end, or end only after gigabytes, are refused
// once past the cap instead of filling memory: one reports a size beyond it
// (refused unread), the other 0 and yields bytes on and on.
TEST_F(FileContentTest, PseudoFilesPastTheCapAreRefused) {
    const std::string tooLarge = "a generated kernel file of more than 64 MiB is not read";
    if (::access("/proc/kcore", R_OK) == 0) {
        EXPECT_EQ(ErrorReason([] { ReadFileContent("/proc/kcore"); }), tooLarge);
    }
    EXPECT_EQ(ErrorReason([] { ReadFileContent("/proc/self/pagemap"); }), tooLarge);
}

}  // namespace
