// tallix-report --check: files checked against lists of their checksums.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/command_test.h"
#include "tests/support/unprivileged.h"

namespace {

using CliTest::Quoted;
using CliTest::Result;

constexpr char kDigitsCrcs[] = "CBF43926 6F91 9";  // of "123456789"

class CheckCommandTest : public CliTest::CommandTest {};

// --brief of awkward names, read back from another directory: the list's
// relative paths are taken from the list's own directory.
TEST_F(CheckCommandTest, ReadsBackWhatBriefWrote) {
    std::filesystem::create_directory(dir_ + "/files");
    const std::vector<std::string> names{"files/with  spaces.txt",
                                         "files/new\nline",
                                         "files/back\\slash",
                                         "files/\xff\xfe.bin",
                                         "files/x\nCBF43926 6F91 9 important.bin",
                                         "files/cr\r",
                                         "files/empty"};
    std::vector<std::string> args{"--brief", "--"};
    for (std::size_t i = 0; i < names.size(); ++i) {
        Write(names[i], std::string(i * 1000, static_cast<char>('a' + i)));
        args.push_back(names[i]);
    }
    const std::string list = dir_ + "/list";
    ASSERT_EQ(
        Run(args, CliTest::OutputTo(list) + " </dev/null", "cd " + Quoted(dir_) + " &&").status, 0);

    const Result result = Run({"--check", list}, "", "cd / &&");
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out,
              "files/with  spaces.txt: OK\n"
              "\\files/new\\nline: OK\n"
              "\\files/back\\\\slash: OK\n"
              "files/\xff\xfe.bin: OK\n"
              "\\files/x\\nCBF43926 6F91 9 important.bin: OK\n"
              "\\files/cr\\r: OK\n"
              "files/empty: OK\n");
}

TEST_F(CheckCommandTest, ReportsEachFileThatDoesNotMatchOrCannotBeRead) {
    std::vector<std::string> args{"--brief"};
    for (const char* name : {"byte", "size", "gone", "denied", "same"}) {
        args.push_back(Write(name, "123456789"));
    }
    const Result made = RunIn(args);
    ASSERT_EQ(made.status, 0) << made.err;
    const std::string list = Write("list", made.out);
    Write("byte", "123456780");
    Write("size", "1234567890");
    std::filesystem::remove(dir_ + "/gone");
    ASSERT_EQ(::chmod((dir_ + "/denied").c_str(), 0), 0);

    const auto check = [&](const std::vector<std::string>& checkArgs) {
        return TestSupport::RunUnprivileged([&] {
            const Result result = RunIn(checkArgs);
            return std::to_string(result.status) + "\n" + result.out + "--\n" + result.err;
        });
    };
    const std::string failures =
        dir_ + "/byte: FAILED (CRC-32, CRC-16)\n" + dir_ + "/size: FAILED (size, CRC-32, CRC-16)\n";
    const std::string errors = "tallix-report: " + dir_ + "/gone: No such file or directory\n" +
                               "tallix-report: " + dir_ + "/denied: Permission denied\n" +
                               "tallix-report: WARNING: 2 listed files did NOT match, " +
                               "2 listed files could not be read\n";
    EXPECT_EQ(check({"--check", list}), "1\n" + failures + dir_ + "/same: OK\n--\n" + errors);
    EXPECT_EQ(check({"-c", "--quiet", list}), "1\n" + failures + "--\n" + errors);
}

TEST_F(CheckCommandTest, ReadsSfvListsWrittenByHand) {
    std::filesystem::create_directory(dir_ + "/sub");
    Write("sub/digits.txt", "123456789");
    Write("EMPTY.BIN", "");
    const std::string list = Write("check.sfv",
                                   "\xEF\xBB\xBF; made by hand, with a byte-order mark\r\n"
                                   "\r\n"
                                   "sub/digits.txt cbf43926\r\n"
                                   ";EMPTY.BIN 12345678\r\n"
                                   "EMPTY.BIN    00000000\r\n"
                                   "sub/digits.txt CBF43927\r\n");
    const Result result = RunIn({"--check", list});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "sub/digits.txt: OK\nEMPTY.BIN: OK\nsub/digits.txt: FAILED (CRC-32)\n");
    EXPECT_EQ(result.err, "tallix-report: WARNING: 1 listed file did NOT match\n");
}

TEST_F(CheckCommandTest, CountsMalformedLinesWithoutStopping) {
    Write("digits", "123456789");
    const std::string list =
        Write("list", std::string("digits CBF43926\n") + "digits CBF4392\n" + kDigitsCrcs +
                          " digits\n" + "\\CBF43926 6F91 9 bad\\qescape\n");
    const Result result = RunIn({"--check", list});
    EXPECT_EQ(result.status, 0);  // every file listed matched
    EXPECT_EQ(result.out, "digits: OK\n");
    // A --brief line in a list the first line made SFV is malformed too.
    EXPECT_EQ(result.err, "tallix-report: " + list + ":2: improperly formatted line\n" +
                              "tallix-report: " + list + ":3: improperly formatted line\n" +
                              "tallix-report: " + list + ":4: improperly formatted line\n" +
                              "tallix-report: WARNING: 3 lines are improperly formatted\n");

    const std::string nothing = Write("nothing", "not a list\n; nor this\n");
    const Result none = RunIn({"--check", nothing});
    EXPECT_EQ(none.status, 2);
    EXPECT_EQ(none.err, "tallix-report: " + nothing + ":1: improperly formatted line\n" +
                            "tallix-report: " + nothing + ": no checksum line found\n" +
                            "tallix-report: WARNING: 1 line is improperly formatted, " +
                            "1 list has no checksum line\n");
}

TEST_F(CheckCommandTest, ListsThatCannotBeUsed) {
    Write("digits", "123456789");
    const std::string good = Write("good", "digits CBF43926\n");
    const std::string empty = Write("empty", "");
    const Result result = RunIn({"--check", good, empty, dir_, dir_ + "/missing", "/dev/zero"});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.out, "digits: OK\n");
    EXPECT_EQ(result.err, "tallix-report: " + empty + ": no checksum line found\n" +
                              "tallix-report: " + dir_ + ": Is a directory\n" +
                              "tallix-report: " + dir_ + "/missing: No such file or directory\n" +
                              "tallix-report: /dev/zero: not a regular file or FIFO\n" +
                              "tallix-report: WARNING: 3 lists could not be read, " +
                              "1 list has no checksum line\n");
}

TEST_F(CheckCommandTest, ReadsStandardInputAsTheList) {
    Write("digits", "123456789");
    Write("-", "");  // in a list, "-" is a file of that name
    const Result result = Run({"--check", "-"}, CliTest::OutputTo(dir_ + "/.stdout"),
                              "cd " + Quoted(dir_) + " && printf 'digits CBF43926\\n- 00000000' |");
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "digits: OK\n-: OK\n");

    EXPECT_EQ(RunIn({"--check", "-", "-"}).status, 2);  // read once only
    EXPECT_EQ(RunIn({"--check", "-"}, "\n\n").status, 2);
}

TEST_F(CheckCommandTest, RefusesListedFifosDirectoriesAndDevicesWithoutBlocking) {
    ASSERT_EQ(::mkfifo((dir_ + "/fifo").c_str(), 0600), 0);
    std::filesystem::create_directory(dir_ + "/sub");
    const std::string list = Write("list", "fifo 00000000\nsub 00000000\n/dev/zero 00000000\n");
    const Result result = Run({"--check", list});
    EXPECT_EQ(result.status, 1);  // not 124: nothing waited
    EXPECT_EQ(result.out, "");
    // Messages name the path opened, not the name as listed.
    EXPECT_EQ(result.err, "tallix-report: " + dir_ + "/fifo: not a regular file\n" +
                              "tallix-report: " + dir_ + "/sub: Is a directory\n" +
                              "tallix-report: /dev/zero: not a regular file\n" +
                              "tallix-report: WARNING: 3 listed files could not be read\n");
}

// A list in a FIFO is a stream: read once its writer has come, whichever
// of the two opens first, with its names taken from the current directory
// (as for process substitution's /dev/fd/63).
TEST_F(CheckCommandTest, ReadsAListFromAFifo) {
    Write("digits", "123456789");
    std::filesystem::create_directory(dir_ + "/sub");
    const std::string fifo = dir_ + "/sub/list.fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string list = Write("list", "digits CBF43926\n");
    const Result result = Run(
        {"--check", fifo}, "",
        "cd " + Quoted(dir_) + "; (timeout 60 cat " + Quoted(list) + " >" + Quoted(fifo) + ") &");
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "digits: OK\n");
}

TEST_F(CheckCommandTest, HostileLists) {
    Write("digits", "123456789");
    const std::string list =
        Write("list", std::string("digits CBF43926\n") + std::string(1 << 20, 'x') + "\n" +
                          std::string("dig\0its CBF43926\n", 17) + std::string(5000, 'n') +
                          " CBF43926\n" + "digits CBF43926");  // no final newline
    const Result result = RunIn({"--check", list});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "digits: OK\ndigits: OK\n");
    EXPECT_EQ(result.err, "tallix-report: " + list + ":2: improperly formatted line\n" +
                              "tallix-report: " + list + ":3: improperly formatted line\n" +
                              "tallix-report: " + dir_ + "/" + std::string(5000, 'n') +
                              ": File name too long\n" +
                              "tallix-report: WARNING: 1 listed file could not be read, " +
                              "2 lines are improperly formatted\n");
}

TEST_F(CheckCommandTest, StopsAtTheFirstFailedWrite) {
    Write("digits", "123456789");
    const std::string list = Write("list", "digits CBF43926\nmissing CBF43926\n");
    Cli::StringOutput out(0, EPIPE);
    const Result result = RunIn({"--check", list}, out);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "tallix-report: write error: Broken pipe\n");  // nothing on "missing"

    const Result full = Run({"--check", list}, ">/dev/full </dev/null");
    EXPECT_EQ(full.status, 1);
    EXPECT_EQ(full.err, "tallix-report: write error: No space left on device\n");

    // With --quiet nothing needs writing when all matched; failures do.
    const std::string good = Write("good", "digits CBF43926\n");
    EXPECT_EQ(Run({"--check", "--quiet", good}, ">/dev/full </dev/null").status, 0);
    const std::string bad = Write("bad", "digits 00000000\n");
    EXPECT_EQ(Run({"--check", "--quiet", bad}, ">/dev/full </dev/null").status, 1);

    const Result piped = RunIntoClosedPipe({"--check", list});
    EXPECT_EQ(piped.status, 1);
    EXPECT_EQ(piped.err, "tallix-report: write error: Broken pipe\n");
}

}  // namespace
