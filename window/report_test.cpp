#include "window/report.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "checksum/kernels/crc_kernels.h"
#include "checksum/tallix.h"
#include "platform/system/files/files.h"
#include "platform/system/files/stream_read.h"
#include "platform/system/os/error.h"
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
        report.elapsed = {0, 0, 0};
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

// Which of the engine's tables its checksums have filled in this process:
// 10 for the CRC-32's, 1 for the CRC-16's, the two added.
std::size_t FilledTables() {
    const auto filled = [](std::span<const std::uint32_t, 256> table) {
        return table[255] != 0 ? std::size_t{1} : 0;  // the last entry, never 0 once filled
    };
    return 10 * filled(Tallix::CRC32ByteLoopTable()) + filled(Tallix::CRC16ByteLoopTable());
}

// Readings from just below the counter's sign change, spaced so that each
// stage's span is a different power of two: a reading paired with the wrong
// stage, or a stage across the sign change computed wrongly, shows. The
// file gets its content at the file stage's first reading and other bytes
// of the same length at its last, so the checksums show that the read ran
// between the two. The engine's tables, filled by the first checksum of a
// process, show which readings each checksum ran between: the measurement
// runs in a fresh process (the death test re-executes the binary), where no
// table is filled yet. Returns what went wrong, or "" (in the child).
template <typename Measure>
std::string StageSpansOf(const std::string& path, Measure measure) {
    std::vector<std::size_t> fills;
    int readings = 0;
    const auto clock = [&]() -> std::int32_t {
        const int n = readings++;
        if (n == 0) {
            std::ofstream(path, std::ios::binary) << "123456789";
        } else if (n == 1) {
            std::ofstream(path, std::ios::binary) << "987654321";
        }
        fills.push_back(FilledTables());
        const std::uint32_t base = std::numeric_limits<std::int32_t>::max() - 2;
        return static_cast<std::int32_t>(base + (1u << n) - 1);
    };
    const FileReport report = measure(clock);
    std::ostringstream wrong;
    if (report.fileLength != 9 || report.crc32 != "CBF43926" || report.crc16 != "6F91") {
        wrong << "read outside the file stage: " << report.fileLength << " " << report.crc32 << " "
              << report.crc16 << "; ";
    }
    if (report.elapsed != std::array<std::uint32_t, 3>{1, 4, 16}) {
        wrong << "elapsed " << report.elapsed[0] << " " << report.elapsed[1] << " "
              << report.elapsed[2] << "; ";
    }
    // The tables filled at each of the 6 readings.
    if (fills != std::vector<std::size_t>{0, 0, 0, 10, 10, 11}) {
        wrong << "table fills at the readings:";
        for (const std::size_t f : fills) {
            wrong << " " << f;
        }
    }
    return wrong.str();
}

TEST_F(ReportTest, EachStageDoesItsWorkBetweenItsOwnTwoReadings) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const std::string path = Write("a.txt", "");
    const auto childChecks = [](const std::string& wrong) {
        std::cerr << wrong;
        std::_Exit(wrong.empty() ? 0 : 1);
    };
    EXPECT_EXIT(
        childChecks(StageSpansOf(path, [&](auto clock) { return MeasureFile(path, clock); })),
        ::testing::ExitedWithCode(0), "^$");
    EXPECT_EXIT(childChecks(StageSpansOf(path,
                                         [&](auto clock) {
                                             const int fd = ::open(path.c_str(), O_RDONLY);
                                             FileReport report = MeasureStream({fd}, "-", clock);
                                             ::close(fd);
                                             return report;
                                         })),
                ::testing::ExitedWithCode(0), "^$");
}

TEST_F(ReportTest, AStreamIsMeasuredUnderItsNameLikeAFile) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    ASSERT_EQ(::write(fds[1], "123456789", 9), 9);
    ::close(fds[1]);
    EXPECT_EQ(UntimedReportText(MeasureStream({fds[0]}, "-")),
              "-(9バイト)\r\nCRC32 - CBF43926\r\nCRC16 - 6F91\r\n"
              "ファイルオープン - 0ms , CRC32 - 0ms , CRC16 - 0ms");
    ::close(fds[0]);

    ASSERT_EQ(::pipe(fds), 0);
    ::close(fds[1]);
    const FileReport empty = MeasureStream({fds[0]}, "-");
    ::close(fds[0]);
    EXPECT_EQ(empty.fileLength, 0);
    EXPECT_EQ(empty.crc32 + " " + empty.crc16, "00000000 FFFF");
}

TEST_F(ReportTest, SizesOf2GiBAndMoreAreShownWhole) {
    FileReport report{"/big", (std::int64_t{1} << 31) + 5, "00000000", "FFFF", {0, 0, 0}};
    EXPECT_TRUE(ReportText(report).starts_with("/big(2147483653バイト)\r\n"));
}

TEST_F(ReportTest, MeasuresTheWholeFileAndTimesEachStage) {
    std::string content(1234567, 'x');
    const FileReport report = MeasureFile(Write("big", content));
    EXPECT_EQ(report.fileLength, 1234567);
    EXPECT_EQ(report.crc32.size(), 8u);
    EXPECT_EQ(report.crc16.size(), 4u);
    // Each stage took well under a minute; a wrong sign would show as ~4e9.
    for (const std::uint32_t ms : report.elapsed) {
        EXPECT_LT(ms, 60000u);
    }
}

TEST_F(ReportTest, MissingFileIsAnErrorNamingThePath) {
    const std::string missing = dir_ + "/gone";
    try {
        MeasureFile(missing);
        FAIL() << "no error";
    } catch (const System::PlatformError& error) {
        EXPECT_EQ(error.path(), missing);
    }
}

// Kibibytes of this process's pages whose contents it has handed back to the
// system (madvise MADV_FREE), or -1 when the system does not say.
long LazyFreeKiB() {
    std::ifstream smaps("/proc/self/smaps_rollup");
    for (std::string line; std::getline(smaps, line);) {
        if (line.starts_with("LazyFree:")) {
            return std::stol(line.substr(9));
        }
    }
    return -1;
}

// Once the checksums are done the report hands its array's pages back: the
// system may take their memory, while the array keeps them mapped for the
// next report.
TEST_F(ReportTest, TheArraysPagesGoBackToTheSystemAfterTheChecksums) {
    const std::string path = Write("big", std::string(8 << 20, 'x'));
    System::ReportArray array;
    const long before = LazyFreeKiB();
    if (before < 0) {
        GTEST_SKIP() << "the system does not tell the pages handed back";
    }
    EXPECT_EQ(MeasureFile(path, array).fileLength, 8 << 20);
    EXPECT_GE(LazyFreeKiB() - before, 4096);  // most of the 8 MiB, whatever a batch holds back
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
    EXPECT_EQ(pseudo.fileLength, static_cast<std::int64_t>(expected.size()));
    EXPECT_EQ(pseudo.crc32 + " " + pseudo.crc16, plain.crc32 + " " + plain.crc16);
    EXPECT_NE(pseudo.crc32, "00000000");
}

// Reads as the system may give them: in pieces (a loop over short reads
// gives every byte), or failing with its reason, never passed off as a
// changed file.
TEST_F(ReportTest, ShortReadsGiveTheWholeFileAndAReadErrorGivesItsReason) {
    std::string content(300001, '\0');
    for (std::size_t i = 0; i < content.size(); ++i) {
        content[i] = static_cast<char>(i * 31 + i / 509);
    }
    const std::string path = Write("f", content);
    const FileReport whole = MeasureFile(path);

    int requests = 0;
    System::ReportArray inPieces([&](std::size_t count) {
        ++requests;
        return static_cast<std::int64_t>(std::min<std::size_t>(count, 4093));
    });
    const FileReport pieces = MeasureFile(path, inPieces);
    EXPECT_GT(requests, 70);
    EXPECT_EQ(pieces.fileLength, whole.fileLength);
    EXPECT_EQ(pieces.crc32 + " " + pieces.crc16, whole.crc32 + " " + whole.crc16);

    System::ReportArray failing([](std::size_t) { return -std::int64_t{EIO}; });
    try {
        MeasureFile(path, failing);
        FAIL() << "no error";
    } catch (const System::PlatformError& error) {
        EXPECT_EQ(error.reason(), "Input/output error");
        EXPECT_EQ(error.path(), path);
    }
}

// The checksums are of the bytes the file stage read into the report's own
// array: whatever happens to the file afterwards (new times, new mode, cut
// short) changes nothing.
TEST_F(ReportTest, ChangesToTheFileDuringTheChecksumsDoNotTouchTheReport) {
    const std::string path = Write("a.txt", std::string(3 << 20, 'x') + "123456789");
    const FileReport before = MeasureFile(path);
    int readings = 0;
    const auto clock = [&]() -> std::int32_t {
        if (readings++ == 2) {
            EXPECT_EQ(::chmod(path.c_str(), 0600), 0);
            EXPECT_EQ(::truncate(path.c_str(), 10), 0);
        }
        return 0;
    };
    const FileReport during = MeasureFile(path, clock);
    EXPECT_EQ(during.fileLength, before.fileLength);
    EXPECT_EQ(during.crc32 + " " + during.crc16, before.crc32 + " " + before.crc16);
}

}  // namespace
