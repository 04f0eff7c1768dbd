// tallix-report end to end: the built program run on temporary files.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/temp_dir_test.h"

namespace {

namespace fs = std::filesystem;

struct Result {
    int status;
    std::string out;
    std::string err;
};

std::string Quoted(const std::string& arg) {
    std::string quoted(1, '\'');
    for (const char c : arg) {
        if (c == '\'') {
            quoted.append("'\\''");
        } else {
            quoted.push_back(c);
        }
    }
    quoted.push_back('\'');
    return quoted;
}

// The text with each run of digits before "ms" made "N", so reports can be
// compared whatever the timings were.
std::string WithTimingsMasked(const std::string& text) {
    std::string masked;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = at;
        while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end])))
            ++end;
        if (end > at && text.compare(end, 2, "ms") == 0) {
            masked += "N";
            at = end;
        } else {
            masked.append(text, at, std::max(end, at + 1) - at);
            at = std::max(end, at + 1);
        }
    }
    return masked;
}

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class ReportCommandTest : public TestSupport::TempDirTest {
  protected:
    // Runs the program under a time limit, so a hang fails instead of blocking.
    Result Run(const std::vector<std::string>& args) {
        std::string command = "timeout 60 ";
        command.append(Quoted(TALLIX_REPORT_BINARY));
        for (const auto& arg : args) {
            command.append(" ").append(Quoted(arg));
        }
        command.append(" >").append(Quoted(dir_ + "/stdout"));
        command.append(" 2>").append(Quoted(dir_ + "/stderr")).append(" </dev/null");
        const int raw = std::system(command.c_str());
        const int status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        return {status, ReadText(dir_ + "/stdout"), ReadText(dir_ + "/stderr")};
    }
};

TEST_F(ReportCommandTest, PrintsTheFourLinesOfTheWindowReport) {
    const std::string path = Write("digits.txt", "123456789");
    const Result result = Run({path});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(WithTimingsMasked(result.out),
              path +
                  "(9バイト)\nCRC32 - CBF43926\nCRC16 - 6F91\n"
                  "ファイルオープン - Nms , CRC32 - Nms , CRC16 - Nms\n");
}

TEST_F(ReportCommandTest, ReportsTheOtherFilesWhenOneIsMissing) {
    const std::string digits = Write("digits.txt", "123456789");
    const std::string empty = Write("empty", "");
    const std::string missing = dir_ + "/missing";

    const Result brief = Run({"--brief", digits, missing, empty});
    EXPECT_EQ(brief.status, 1);
    EXPECT_EQ(brief.out, "CBF43926 6F91 9 " + digits + "\n00000000 FFFF 0 " + empty + "\n");
    EXPECT_EQ(brief.err, "tallix-report: " + missing + ": No such file or directory\n");

    const Result full = Run({missing, digits, empty});
    EXPECT_EQ(full.status, 1);
    const std::string timings = "ファイルオープン - Nms , CRC32 - Nms , CRC16 - Nms\n";
    EXPECT_EQ(WithTimingsMasked(full.out),
              digits + "(9バイト)\nCRC32 - CBF43926\nCRC16 - 6F91\n" + timings + "\n" + empty +
                  "(0バイト)\nCRC32 - 00000000\nCRC16 - FFFF\n" + timings);
}

TEST_F(ReportCommandTest, RefusesDirectoriesFifosAndDevicesWithoutOpeningThem) {
    const std::string fifo = dir_ + "/fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const Result result = Run({"--brief", fifo, dir_, "/dev/zero"});
    EXPECT_EQ(result.status, 1);  // not 124: it did not wait for a writer
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "tallix-report: " + fifo + ": not a regular file\n" +
                              "tallix-report: " + dir_ + ": Is a directory\n" +
                              "tallix-report: /dev/zero: not a regular file\n");
}

TEST_F(ReportCommandTest, UsageErrorsHelpAndVersion) {
    const Result none = Run({});
    EXPECT_EQ(none.status, 2);
    EXPECT_NE(none.err.find("no file named"), std::string::npos);
    EXPECT_EQ(none.out, "");
    EXPECT_EQ(Run({"--bogus", "file"}).status, 2);

    const Result help = Run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Usage: tallix-report [--brief] FILE..."), std::string::npos);
    const Result version = Run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(version.out.starts_with("tallix-report ")) << version.out;

    const std::string dashed = Write("--brief", "123456789");  // a file named like an option
    EXPECT_EQ(Run({"--", dashed}).out.substr(0, dashed.size() + 1), dashed + "(");
}

// A sparse file of 4 GiB + 17 zero bytes: a size beyond 32 bits, read whole.
// Expected values computed once with Python's zlib.crc32 and crcmod's
// crc-16-mcrf4xx over the same zeros.
TEST_F(ReportCommandTest, ReportsAFileBeyondFourGibibytes) {
    const std::string path = Write("sparse", "");
    const std::int64_t size = (std::int64_t{1} << 32) + 17;
    ASSERT_EQ(::truncate(path.c_str(), size), 0);
    const Result result = Run({"--brief", path});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "671BCF4D 9BEC 4294967313 " + path + "\n");
}

}  // namespace
