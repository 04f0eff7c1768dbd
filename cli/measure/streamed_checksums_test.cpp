// The report's checksums streamed a piece at a time against the window's
// whole-file report.
#include "cli/measure/streamed_checksums.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

#include "platform/system/files/stream_read.h"
#include "platform/system/os/error.h"
#include "tests/support/temp_dir_test.h"

namespace {

using Window::FileReport;
using Window::MeasureFile;
using Window::MeasureStream;

class StreamedChecksumsTest : public TestSupport::TempDirTest {};

// The streamed checksums against the whole-file report, line for line:
// sizes around the folding kernels' block sizes and the read buffer, a file
// split between threads at several counts, sparse files whose data crosses
// the parts' bounds, a pseudo file, a stream, and the errors.
TEST_F(StreamedChecksumsTest, StreamedChecksumsEqualTheWholeFileReport) {
    const auto same = [](const FileReport& streamed, const FileReport& whole) {
        return streamed.filename == whole.filename && streamed.fileLength == whole.fileLength &&
               streamed.crc32 == whole.crc32 && streamed.crc16 == whole.crc16 &&
               streamed.elapsed == std::array<std::uint32_t, 3>{};
    };
    const auto pattern = [](std::size_t size) {
        std::string content(size, '\0');
        for (std::size_t i = 0; i < size; ++i) {
            content[i] = static_cast<char>(i * 31 + i / 509);
        }
        return content;
    };
    constexpr std::size_t kChunk = Cli::kStreamChunkBytes;
    for (const std::size_t size :
         {std::size_t{0}, std::size_t{1}, std::size_t{15}, std::size_t{16}, std::size_t{17},
          std::size_t{255}, std::size_t{257}, kChunk - 1, kChunk, kChunk + 1, 3 * kChunk + 77}) {
        const std::string path = Write("f", pattern(size));
        EXPECT_TRUE(same(Cli::ChecksumFile(path, 3), MeasureFile(path))) << size;
    }
    const auto split = static_cast<std::size_t>(Cli::kSplitFileBytes);
    const std::string big = Write("big", pattern(3 * split + 12345));
    for (const unsigned threads : {1u, 2u, 3u, 4u}) {
        EXPECT_TRUE(same(Cli::ChecksumFile(big, threads), MeasureFile(big))) << threads;
    }
    const std::string sparse = dir_ + "/sparse";
    for (const std::int64_t length : {std::int64_t{5} << 20, 3 * Cli::kSplitFileBytes + 9}) {
        const int fd = ::open(sparse.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, length), 0);
        const std::string data = pattern(3 * kChunk);
        for (const std::int64_t at : {length / 3 - 100, length / 2, length - 5}) {
            const auto count = std::min(static_cast<std::size_t>(length - at), data.size());
            ASSERT_EQ(::pwrite(fd, data.data(), count, at), static_cast<ssize_t>(count));
        }
        ::close(fd);
        EXPECT_TRUE(same(Cli::ChecksumFile(sparse, 1), MeasureFile(sparse))) << length;
        EXPECT_TRUE(same(Cli::ChecksumFile(sparse, 3), MeasureFile(sparse))) << length;
    }
    EXPECT_TRUE(same(Cli::ChecksumFile("/proc/version", 2), MeasureFile("/proc/version")));
    const int fd = ::open(big.c_str(), O_RDONLY | O_CLOEXEC);
    const FileReport streamed = Cli::ChecksumStream({fd}, "-");
    ASSERT_EQ(::lseek(fd, 0, SEEK_SET), 0);
    EXPECT_TRUE(same(streamed, MeasureStream({fd}, "-")));
    ::close(fd);
    for (const std::string& wrong : {dir_ + "/missing", dir_}) {
        const auto reason = [&](auto measure) {
            try {
                measure();
            } catch (const System::PlatformError& error) {
                return std::string(error.what());
            }
            return std::string("no error");
        };
        EXPECT_EQ(reason([&] { Cli::ChecksumFile(wrong); }), reason([&] { MeasureFile(wrong); }));
    }
}

// A file cut short while it is read, and one whose holes at the end were cut
// off (the lost end looks like a hole, which is never read), are errors, as
// the whole-file read finds them.
TEST_F(StreamedChecksumsTest, FileCutShortIsAnError) {
    const std::string sparse = dir_ + "/sparse";
    const int fd = ::open(sparse.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ASSERT_EQ(::ftruncate(fd, 64 << 20), 0);
    ASSERT_EQ(::pwrite(fd, "x", 1, 0), 1);
    ::close(fd);
    for (const unsigned threads : {1u, 2u}) {
        System::FileReader reader = System::FileReader::Open(sparse);
        ASSERT_EQ(::truncate(sparse.c_str(), 1 << 20), 0);
        EXPECT_THROW(Cli::ChecksumOpenFile(reader, threads), System::PlatformError) << threads;
        ASSERT_EQ(::truncate(sparse.c_str(), 64 << 20), 0);
    }
    System::FileReader reader = System::FileReader::Open(sparse);
    ASSERT_EQ(::truncate(sparse.c_str(), 1 << 20), 0);
    std::uint8_t byte[2];
    EXPECT_THROW(reader.ReadAt((1 << 20) - 1, byte), System::PlatformError);
}

}  // namespace
