#include "window/report.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/error.h"
#include "tests/support/temp_dir_test.h"

namespace {

using Window::FileReport;
using Window::MeasureFile;
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
// its report. Root reads anything, so the check runs in a child that first
// drops to an unprivileged user.
TEST_F(ReportTest, ZeroLengthFileReportsWithoutBeingOpened) {
    const std::string path = Write("empty", "");
    ASSERT_EQ(::chmod(path.c_str(), 0), 0);
    const std::string expected = path +
                                 "(0バイト)\r\nCRC32 - 00000000\r\nCRC16 - FFFF\r\n"
                                 "ファイルオープン - 0ms , CRC32 - 0ms , CRC16 - 0ms";
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
            ::_exit(3);
        }
        try {
            ::_exit(UntimedReportText(MeasureFile(path)) == expected ? 0 : 1);
        } catch (...) {
            ::_exit(2);
        }
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: wrong text; 2: error; 3: could not drop privileges";
}

}  // namespace
