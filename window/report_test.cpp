#include "window/report.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>

#include "checksum/tallix.h"
#include "platform/files/files.h"
#include "platform/files/stream_read.h"
#include "platform/os/error.h"
#include "tests/support/temp_dir_test.h"
#include "tests/support/unprivileged.h"

namespace {

using Window::FileReport;
using Window::MeasureFile;
using Window::MeasureStream;
using Window::ReportText;

class ReportTest : public TestSupport::TempDirTest {
  protected:
    // The report with its timings set to 0, so the text is fixed.
    static std::string UntimedReportText(FileReport report) {
        report.Elapsed = {0, 0, 0};
        return ReportText(report);
    }
};

TEST_F(ReportTest, NineDigitsAndOneZeroByteGiveTheExactFourLines) {
    EXPECT_EQ(UntimedReportText(MeasureFile(Write("a.txt", "123456789"))),
              dir_ + "/a.txt" +
                  "(9バイト)\r\nCRC32 - CBF43926\r\nCRC16 - 6F91\r\n"
                  "ファイルオープン - 0ms , CRC32 - 0ms , CRC16 - 0ms");
    EXPECT_EQ(UntimedReportText(MeasureFile(Write("zero", std::string(1, '\0')))),
              dir_ + "/zero" +
                  "(1バイト)\r\nCRC32 - D202EF8D\r\nCRC16 - 0F87\r\n"
                  "ファイルオープン - 0ms , CRC32 - 0ms , CRC16 - 0ms");
}

TEST_F(ReportTest, TimingLineShowsEachStageAndEndsAtMs) {
    const FileReport report{"C:\\data\\a.txt", 1234567, "CBF43926", "6F91", {5, 120, 4000000000u}};
    const std::string text = ReportText(report);
    EXPECT_EQ(text,
              "C:\\data\\a.txt(1234567バイト)\r\nCRC32 - CBF43926\r\nCRC16 - 6F91\r\n"
              "ファイルオープン - 5ms , CRC32 - 120ms , CRC16 - 4000000000ms");
}

// Readings from just below the counter's sign change, spaced so that each
// stage's span is a different power of two: a reading paired with the wrong
// stage, or a stage across the sign change computed wrongly, shows. The
// file gets its content at the file stage's first reading and other bytes
// of the same length at its last, so the checksums show that the size
// query and the read ran between the two.
TEST_F(ReportTest, EachStageIsTimedBetweenItsOwnTwoReadings) {
    const std::string path = Write("a.txt", "");
    int readings = 0;
    const auto clock = [&]() -> std::int32_t {
        const int n = readings++;
        if (n == 0) {
            Write("a.txt", "123456789");
        } else if (n == 1) {
            Write("a.txt", "987654321");
        }
        const std::uint32_t base = std::numeric_limits<std::int32_t>::max() - 2;
        return static_cast<std::int32_t>(base + (1u << n) - 1);
    };
    const FileReport report = MeasureFile(path, clock);
    EXPECT_EQ(readings, 6);
    EXPECT_EQ(report.FileLength, 9);
    EXPECT_EQ(report.crc32, "CBF43926");
    EXPECT_EQ(report.crc16, "6F91");
    EXPECT_EQ(report.Elapsed, (std::array<std::uint32_t, 3>{1, 4, 16}));
}

TEST_F(ReportTest, AStreamIsMeasuredUnderItsNameLikeAFile) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    ASSERT_EQ(::write(fds[1], "123456789", 9), 9);
    ::close(fds[1]);
    EXPECT_EQ(UntimedReportText(MeasureStream(fds[0], "-")),
              "-(9バイト)\r\nCRC32 - CBF43926\r\nCRC16 - 6F91\r\n"
              "ファイルオープン - 0ms , CRC32 - 0ms , CRC16 - 0ms");
    ::close(fds[0]);

    ASSERT_EQ(::pipe(fds), 0);
    ::close(fds[1]);
    const FileReport empty = MeasureStream(fds[0], "-");
    ::close(fds[0]);
    EXPECT_EQ(empty.FileLength, 0);
    EXPECT_EQ(empty.crc32 + " " + empty.crc16, "00000000 FFFF");
}

TEST_F(ReportTest, SizesOf2GiBAndMoreAreShownWhole) {
    FileReport report{"/big", (std::int64_t{1} << 31) + 5, "00000000", "FFFF", {0, 0, 0}};
    EXPECT_TRUE(ReportText(report).starts_with("/big(2147483653バイト)\r\n"));
}

TEST_F(ReportTest, MeasuresTheWholeFileAndTimesEachStage) {
    std::string content(1234567, 'x');
    const FileReport report = MeasureFile(Write("big", content));
    EXPECT_EQ(report.FileLength, 1234567);
    EXPECT_EQ(report.crc32.size(), 8u);
    EXPECT_EQ(report.crc16.size(), 4u);
    // Each stage took well under a minute; a wrong sign would show as ~4e9.
    for (const std::uint32_t ms : report.Elapsed) {
        EXPECT_LT(ms, 60000u);
    }
}

TEST_F(ReportTest, MissingFileIsAnErrorNamingThePath) {
    const std::string missing = dir_ + "/gone";
    try {
        MeasureFile(missing);
        FAIL() << "no error";
    } catch (const Platform::PlatformError& error) {
        EXPECT_EQ(error.path(), missing);
    }
}

// An empty file is never opened: even one the process may not read gives
// its report.
TEST_F(ReportTest, ZeroLengthFileReportsWithoutBeingOpened) {
    const std::string path = Write("empty", "");
    ASSERT_EQ(::chmod(path.c_str(), 0), 0);
    const std::string expected = path +
                                 "(0バイト)\r\nCRC32 - 00000000\r\nCRC16 - FFFF\r\n"
                                 "ファイルオープン - 0ms , CRC32 - 0ms , CRC16 - 0ms";
    EXPECT_EQ(TestSupport::RunUnprivileged([&] {
                  const std::string text = UntimedReportText(MeasureFile(path));
                  return text == expected ? "" : "report: " + text;
              }),
              "");
}

// /proc/version reports a size of 0: its report shows the bytes it holds,
// the length of what was read and their checksums.
TEST_F(ReportTest, PseudoFileReportsTheBytesReadFromIt) {
    const std::string expected = [] {
        const int fd = ::open("/proc/version", O_RDONLY | O_CLOEXEC);
        std::string text;
        char chunk[512];
        for (ssize_t got; (got = ::read(fd, chunk, sizeof chunk)) > 0;) {
            text.append(chunk, static_cast<std::size_t>(got));
        }
        ::close(fd);
        return text;
    }();
    ASSERT_FALSE(expected.empty());
    const std::string copy = Write("version", expected);
    const FileReport pseudo = MeasureFile("/proc/version");
    const FileReport plain = MeasureFile(copy);
    EXPECT_EQ(pseudo.FileLength, static_cast<std::int64_t>(expected.size()));
    EXPECT_EQ(pseudo.crc32 + " " + pseudo.crc16, plain.crc32 + " " + plain.crc16);
    EXPECT_NE(pseudo.crc32, "00000000");
}

// Files just below, at and above the size from which they are mapped rather
// than read give the checksums of their bytes either way.
TEST_F(ReportTest, FilesAroundTheMappingSizeGiveExactChecksums) {
    const auto threshold = static_cast<std::size_t>(Platform::kMappedFileThreshold);
    for (const std::size_t size : {threshold - 1, threshold, threshold + 1}) {
        std::string content(size, '\0');
        for (std::size_t i = 0; i < size; ++i) {
            content[i] = static_cast<char>(i * 31 + i / 509);
        }
        const FileReport report = MeasureFile(Write("f", content));
        const std::span<const std::uint8_t> bytes(
            reinterpret_cast<const std::uint8_t*>(content.data()), size);
        EXPECT_EQ(report.FileLength, static_cast<std::int64_t>(size));
        EXPECT_EQ(report.crc32, Tallix::CalcCRC32(bytes)) << size;
        EXPECT_EQ(report.crc16, Tallix::CalcCRC16(bytes)) << size;
    }
}

// A file large enough to be mapped, changed by the clock reading that
// starts a checksum stage, so while the checksums read it.
class ChangedDuringChecksumTest : public ReportTest {
  protected:
    std::string path_ = Write(
        "big", std::string(static_cast<std::size_t>(2 * Platform::kMappedFileThreshold), 'x'));

    // The reason MeasureFile gives when `change` runs at the clock reading
    // numbered `reading` (2 starts the CRC-32 stage, 4 the CRC-16 stage).
    template <typename Change>
    std::string Reason(int reading, Change change) {
        int readings = 0;
        const auto clock = [&]() -> std::int32_t {
            if (readings++ == reading) {
                change();
            }
            return 0;
        };
        try {
            const FileReport report = MeasureFile(path_, clock);
            return "reported " + report.crc32;
        } catch (const Platform::PlatformError& error) {
            EXPECT_EQ(error.path(), path_);
            return error.reason();
        }
    }
};

TEST_F(ChangedDuringChecksumTest, TruncatedFileIsAnErrorNotACrash) {
    for (const int reading : {2, 4}) {
        Write("big",
              std::string(static_cast<std::size_t>(2 * Platform::kMappedFileThreshold), 'x'));
        EXPECT_EQ(Reason(reading, [&] { ASSERT_EQ(::truncate(path_.c_str(), 10), 0); }),
                  "the file changed while it was being read")
            << reading;
    }
    // Cut to nothing and grown back to its size: same size, other times
    // (set far in the past first, so the change shows on a coarse clock).
    Write("big", std::string(static_cast<std::size_t>(2 * Platform::kMappedFileThreshold), 'x'));
    const timespec past[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path_.c_str(), past, 0), 0);
    EXPECT_EQ(Reason(2,
                     [&] {
                         ASSERT_EQ(::truncate(path_.c_str(), 0), 0);
                         ASSERT_EQ(::truncate(path_.c_str(), 2 * Platform::kMappedFileThreshold),
                                   0);
                     }),
              "the file changed while it was being read");
    // The report goes on working afterwards.
    Write("big", "123456789");
    EXPECT_EQ(MeasureFile(path_).crc32, "CBF43926");
}

// Same size, other bytes: the file's modification and change times tell.
// They are first set far in the past so the change shows whatever the
// granularity of the clock that stamps files.
TEST_F(ChangedDuringChecksumTest, ContentRewrittenInPlaceIsAnError) {
    const timespec past[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path_.c_str(), past, 0), 0);
    const auto rewrite = [&] {
        const int fd = ::open(path_.c_str(), O_WRONLY | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::pwrite(fd, "yyyy", 4, 12345), 4);
        ::close(fd);
    };
    EXPECT_EQ(Reason(2, rewrite), "the file changed while it was being read");
    ASSERT_EQ(::utimensat(AT_FDCWD, path_.c_str(), past, 0), 0);
    EXPECT_EQ(Reason(4, rewrite), "the file changed while it was being read");
    // Left alone, the same file reports.
    EXPECT_EQ(Reason(2, [] {}).substr(0, 9), "reported ");
}

// The streamed checksums against the whole-file report, line for line:
// sizes around the folding kernels' block sizes and the read buffer, a file
// split between threads at several counts, sparse files whose data crosses
// the parts' bounds, a pseudo file, a stream, and the errors.
TEST_F(ReportTest, StreamedChecksumsEqualTheWholeFileReport) {
    const auto same = [](const FileReport& streamed, const FileReport& whole) {
        return streamed.filename == whole.filename && streamed.FileLength == whole.FileLength &&
               streamed.crc32 == whole.crc32 && streamed.crc16 == whole.crc16 &&
               streamed.Elapsed == std::array<std::uint32_t, 3>{};
    };
    const auto pattern = [](std::size_t size) {
        std::string content(size, '\0');
        for (std::size_t i = 0; i < size; ++i) {
            content[i] = static_cast<char>(i * 31 + i / 509);
        }
        return content;
    };
    constexpr std::size_t kChunk = Window::kStreamChunkBytes;
    for (const std::size_t size :
         {std::size_t{0}, std::size_t{1}, std::size_t{15}, std::size_t{16}, std::size_t{17},
          std::size_t{255}, std::size_t{257}, kChunk - 1, kChunk, kChunk + 1, 3 * kChunk + 77}) {
        const std::string path = Write("f", pattern(size));
        EXPECT_TRUE(same(Window::ChecksumFile(path, 3), MeasureFile(path))) << size;
    }
    const auto split = static_cast<std::size_t>(Window::kSplitFileBytes);
    const std::string big = Write("big", pattern(3 * split + 12345));
    for (const unsigned threads : {1u, 2u, 3u, 4u}) {
        EXPECT_TRUE(same(Window::ChecksumFile(big, threads), MeasureFile(big))) << threads;
    }
    const std::string sparse = dir_ + "/sparse";
    for (const std::int64_t length : {std::int64_t{5} << 20, 3 * Window::kSplitFileBytes + 9}) {
        const int fd = ::open(sparse.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, length), 0);
        const std::string data = pattern(3 * kChunk);
        for (const std::int64_t at : {length / 3 - 100, length / 2, length - 5}) {
            const auto count = std::min(static_cast<std::size_t>(length - at), data.size());
            ASSERT_EQ(::pwrite(fd, data.data(), count, at), static_cast<ssize_t>(count));
        }
        ::close(fd);
        EXPECT_TRUE(same(Window::ChecksumFile(sparse, 1), MeasureFile(sparse))) << length;
        EXPECT_TRUE(same(Window::ChecksumFile(sparse, 3), MeasureFile(sparse))) << length;
    }
    EXPECT_TRUE(same(Window::ChecksumFile("/proc/version", 2), MeasureFile("/proc/version")));
    const int fd = ::open(big.c_str(), O_RDONLY | O_CLOEXEC);
    const FileReport streamed = Window::ChecksumStream(fd, "-");
    ASSERT_EQ(::lseek(fd, 0, SEEK_SET), 0);
    EXPECT_TRUE(same(streamed, MeasureStream(fd, "-")));
    ::close(fd);
    for (const std::string& wrong : {dir_ + "/missing", dir_}) {
        const auto reason = [&](auto measure) {
            try {
                measure();
            } catch (const Platform::PlatformError& error) {
                return error.operation() + " " + error.path() + ": " + error.reason();
            }
            return std::string("no error");
        };
        EXPECT_EQ(reason([&] { Window::ChecksumFile(wrong); }),
                  reason([&] { MeasureFile(wrong); }));
    }
}

// A file cut short while it is read, and one whose holes at the end were cut
// off, are errors, as the whole-file read finds them.
TEST_F(ReportTest, StreamedFileCutShortIsAnError) {
    const std::string sparse = dir_ + "/sparse";
    const int fd = ::open(sparse.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ASSERT_EQ(::ftruncate(fd, 64 << 20), 0);
    ASSERT_EQ(::pwrite(fd, "x", 1, 0), 1);
    ::close(fd);
    Platform::FileReader reader = Platform::FileReader::Open(sparse);
    ASSERT_EQ(::truncate(sparse.c_str(), 1 << 20), 0);
    EXPECT_EQ(reader.DataFrom(2 << 20), reader.length());  // the lost end looks like a hole
    EXPECT_THROW(reader.RequireLength(), Platform::PlatformError);
    std::uint8_t byte[2];
    EXPECT_THROW(reader.ReadAt((1 << 20) - 1, byte), Platform::PlatformError);
}

}  // namespace
