// tallix-report --check: files checked against lists of their checksums.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>
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
    const std::string at = dir_ + "/files/";  // each named as it was opened
    EXPECT_EQ(result.out, at + "with  spaces.txt: OK\n\\" + at + "new\\nline: OK\n\\" + at +
                              "back\\\\slash: OK\n" + at + "\xff\xfe.bin: OK\n\\" + at +
                              "x\\nCBF43926 6F91 9 important.bin: OK\n\\" + at + "cr\\r: OK\n" +
                              at + "empty: OK\n");
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
    EXPECT_EQ(result.out, dir_ + "/sub/digits.txt: OK\n" + dir_ + "/EMPTY.BIN: OK\n" + dir_ +
                              "/sub/digits.txt: FAILED (CRC-32)\n");
    EXPECT_EQ(result.err, "tallix-report: WARNING: 1 listed file did NOT match\n");
}

// As SFV writers write them: a ';' header, a name ending in a space (one
// space before the CRC), a tab before the CRC and CR CR LF, and a name
// shaped like a --brief line.
TEST_F(CheckCommandTest, ReadsListsAsOtherToolsWriteThem) {
    Write("trailing space ", "123456789");
    Write("tab", "");
    Write("DEADBEEF CAFE 12 foo", "x");
    const std::string list = Write("list.sfv",
                                   "; Generated by another tool\n;\n"
                                   "trailing space  CBF43926\n"
                                   "tab\t00000000\r\r\n"
                                   "DEADBEEF CAFE 12 foo 8CDC1683\n");
    const Result result = RunIn({"--check", list});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, dir_ + "/trailing space : OK\n" + dir_ + "/tab: OK\n" + dir_ +
                              "/DEADBEEF CAFE 12 foo: OK\n");
}

// Each difference alone fails its line.
TEST_F(CheckCommandTest, NamesEachDifference) {
    Write("digits", "123456789");
    const std::string list = Write("list",
                                   "CBF43926 6F91 8 digits\nCBF43927 6F91 9 digits\n"
                                   "CBF43926 6F92 9 digits\nCBF43926 6F91 9 digits\n");
    const Result result = RunIn({"--check", list});
    EXPECT_EQ(result.status, 1);
    const std::string digits = dir_ + "/digits";
    EXPECT_EQ(result.out, digits + ": FAILED (size)\n" + digits + ": FAILED (CRC-32)\n" + digits +
                              ": FAILED (CRC-16)\n" + digits + ": OK\n");
}

TEST_F(CheckCommandTest, IgnoreMissingPassesOverFilesThatDoNotExist) {
    Write("digits", "123456789");
    const std::string list = Write("list", "digits CBF43926\ngone 00000000\n");
    EXPECT_EQ(RunIn({"--check", list}).status, 1);
    const Result ignoring = RunIn({"--check", "--ignore-missing", list});
    EXPECT_EQ(ignoring.status, 0) << ignoring.err;
    EXPECT_EQ(ignoring.out, dir_ + "/digits: OK\n");
    EXPECT_EQ(ignoring.err, "");

    // Only what does not exist is passed over: a path through a file is an error.
    const Result throughFile =
        RunIn({"--check", "--ignore-missing", Write("through", "digits/x 00000000\n")});
    EXPECT_EQ(throughFile.status, 1);
    EXPECT_EQ(throughFile.err, "tallix-report: " + dir_ + "/digits/x: Not a directory\n" +
                                   "tallix-report: WARNING: 1 listed file could not be read\n");

    const std::string none = Write("none", "gone 00000000\nalso/gone 00000000\n");
    const Result nothing = RunIn({"--check", "--ignore-missing", none});
    EXPECT_EQ(nothing.status, 1);
    EXPECT_EQ(nothing.out, "");
    EXPECT_EQ(nothing.err, "tallix-report: " + none + ": no file was verified\n");
}

// Lists cksfv and rhash write over hostile names verify here (rhash takes
// a backslash for a separator, so it is given the names without one);
// cksfv verifies the list --sfv writes over them, rhash those of tamer names.
TEST_F(CheckCommandTest, AgreesWithOtherSfvTools) {
    if (std::system("command -v cksfv >/dev/null && command -v rhash >/dev/null") != 0) {
        GTEST_SKIP() << "cksfv or rhash is not installed";
    }
    std::filesystem::create_directory(dir_ + "/sub");
    const std::vector<std::string> names{
        " lead",      "trail ",     "with  spaces", "DEADBEEF CAFE 12 foo",
        "x 12345678", "tab\tin",    "a;b",          "esc\x1B[31m",
        "\xff\xfe",   "sub/ both ", "back\\slash",  "\\CBF43926 6F91 9 x"};
    constexpr std::size_t kWithoutBackslash = 10;  // the names before the last two
    std::string all;
    std::string withoutBackslash;
    for (std::size_t i = 0; i < names.size(); ++i) {
        Write(names[i], std::string(i * 100, static_cast<char>('a' + i)));
        (i < kWithoutBackslash ? withoutBackslash : all).append(" ").append(Quoted(names[i]));
    }
    all = withoutBackslash + all;
    const std::string inDir = "cd " + Quoted(dir_) + " && ";
    ASSERT_EQ(std::system((inDir + "cksfv" + all + " >cksfv.sfv && rhash --sfv" + withoutBackslash +
                           " >rhash.sfv")
                              .c_str()),
              0);
    for (const auto& [list, count] :
         {std::pair{"/cksfv.sfv", names.size()}, std::pair{"/rhash.sfv", kWithoutBackslash}}) {
        const Result result = Run({"--check", dir_ + list}, "", "cd / &&");
        EXPECT_EQ(result.status, 0) << list << ": " << result.err;
        EXPECT_EQ(std::count(result.out.begin(), result.out.end(), '\n'), count) << result.out;
    }

    std::vector<std::string> args{"--sfv", "--"};
    args.insert(args.end(), names.begin(), names.end());
    ASSERT_EQ(Run(args, CliTest::OutputTo(dir_ + "/ours.sfv") + " </dev/null", inDir).status, 0);
    EXPECT_EQ(std::system((inDir + "cksfv -q -f ours.sfv >/dev/null 2>&1").c_str()), 0);
    // rhash verifies the names that neither start nor end with a space and
    // hold no backslash or control character but a tab.
    std::vector<std::string> forRhash{"--sfv", "--"};
    for (const std::size_t i : {2, 3, 4, 5, 6, 8}) {
        forRhash.push_back(names[i]);
    }
    ASSERT_EQ(Run(forRhash, CliTest::OutputTo(dir_ + "/some.sfv") + " </dev/null", inDir).status,
              0);
    EXPECT_EQ(std::system((inDir + "rhash -c some.sfv >/dev/null 2>&1").c_str()), 0);
}

// Lists as Windows tools write them: UTF-16 (PowerShell's `>`), a code
// page named with --list-encoding, backslashes between names.
TEST_F(CheckCommandTest, ReadsListsInTheirEncodings) {
    std::filesystem::create_directory(dir_ + "/sub");
    Write("テスト.bin", "123456789");
    Write("café", "");
    Write("sub/d", "123456789");
    const auto encoded = [&](const std::string& name, const std::string& text,
                             const std::string& encoding) {
        const std::string path = dir_ + "/" + name;
        const std::string command =
            "printf %s " + Quoted(text) + " | iconv -f UTF-8 -t " + encoding + " >" + Quoted(path);
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        return path;
    };
    const std::string lines = "sub\\d CBF43926\r\nテスト.bin CBF43926\r\n.\\sub\\d CBF43926\r\n";
    const std::string at = dir_ + "/";  // each file is named as opened, from the list's directory
    const std::string ok = at + "sub/d: OK\n" + at + "テスト.bin: OK\n" + at + "./sub/d: OK\n";
    for (const std::string encoding : {"UTF-16", "UTF-16BE"}) {  // with a mark, without
        const Result result = RunIn({"--check", encoded("list", lines, encoding)});
        EXPECT_EQ(result.status, 0) << encoding << ": " << result.err;
        EXPECT_EQ(result.out, ok) << encoding;
    }
    // Lists joined with cat, each with its byte-order mark.
    const std::string twice =
        Write("twice", CliTest::ReadText(encoded("list", lines, "UTF-16")) +
                           CliTest::ReadText(encoded("list", lines, "UTF-16")));
    EXPECT_EQ(RunIn({"--check", twice}).out, ok + ok);
    const std::string marked = Write("marked", "\xEF\xBB\xBF" + lines + "\xEF\xBB\xBF" + lines);
    EXPECT_EQ(RunIn({"--check", marked}).out, ok + ok);
    const std::string sjis = encoded("sjis", lines, "CP932");
    const Result named = RunIn({"--check", "--list-encoding", "cp932", sjis});
    EXPECT_EQ(named.out, ok) << named.err;
    EXPECT_EQ(RunIn({"--check", sjis}).out,
              at + "sub/d: OK\n" + at + "./sub/d: OK\n");  // bytes as they are
    const Result latin = RunIn(
        {"--check", "--list-encoding=CP1252", encoded("latin", "00000000  café\n", "CP1252")});
    EXPECT_EQ(latin.out, at + "café: OK\n") << latin.err;

    // What cannot be decoded ends the list there, naming the encoding; the
    // lines before are checked, the line it cuts short is not read.
    const std::string cut = encoded("cut", "CBF43926  sub/d\n00000000  café\n", "CP1252");
    const Result bad = RunIn({"--check", "--list-encoding", "utf-8", cut});
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.out, at + "sub/d: OK\n");
    EXPECT_EQ(bad.err, "tallix-report: " + cut + ": not valid UTF-8 text\n" +
                           "tallix-report: WARNING: 1 list could not be read\n");
    EXPECT_EQ(RunIn({"--check", "--list-encoding", "bogus", sjis}).status, 2);
}

TEST_F(CheckCommandTest, CountsMalformedLinesWithoutStopping) {
    Write("digits", "123456789");
    const std::string list =
        Write("list", std::string("digits CBF43926\n") + "digits CBF4392\n" + kDigitsCrcs +
                          " digits\n" + "\\CBF43926 6F91 9 bad\\qescape\n");
    const Result result = RunIn({"--check", list});
    EXPECT_EQ(result.status, 1);  // every file listed matched, but a line was not read
    EXPECT_EQ(result.out, dir_ + "/digits: OK\n" + dir_ + "/digits: OK\n");
    EXPECT_EQ(result.err, "tallix-report: " + list + ":2: improperly formatted line\n" +
                              "tallix-report: " + list + ":4: improperly formatted line\n" +
                              "tallix-report: WARNING: 2 lines are improperly formatted\n");

    // Lines of no form before the first entry are known malformed only
    // once it comes; a line too long to read keeps its number.
    const std::string late =
        Write("late", std::string(1 << 19, 'x') + "\nnot a list\ndigits CBF43926\n");
    const Result held = RunIn({"--check", late});
    EXPECT_EQ(held.out, dir_ + "/digits: OK\n");
    EXPECT_EQ(held.err, "tallix-report: " + late +
                            ":1: line longer than any path (more than 262144 bytes)\n" +
                            "tallix-report: " + late + ":2: improperly formatted line\n" +
                            "tallix-report: WARNING: 2 lines are improperly formatted\n");

    const std::string nothing = Write("nothing", "not a list\n; nor this\n");
    const Result none = RunIn({"--check", nothing});
    EXPECT_EQ(none.status, 2);
    EXPECT_EQ(none.err, "tallix-report: " + nothing + ":1: improperly formatted line\n" +
                            "tallix-report: " + nothing + ": no checksum line found\n" +
                            "tallix-report: WARNING: 1 line is improperly formatted, " +
                            "1 list has no checksum line\n");
}

// Lists appended to one another: a --brief list, then SFV and checksum-tool
// lines, then two archivers' tables with text between them. A corrupted
// or missing file in any part fails the run.
TEST_F(CheckCommandTest, ChecksEveryPartOfAListInSeveralForms) {
    Write("digits", "123456789");
    Write("bad", "123456780");
    const auto table = [](const std::string& row) {
        return "Archiver 1.0\n\nCRC32              Size  Name\n"
               "--------  -------------  ------------\n" +
               row + "\n--------  -------------  ------------\nCBF43926              9\n\n" +
               "CRC32  for data:   CBF43926\n\nEverything is Ok\n";
    };
    const std::string list = Write(
        "list", std::string(kDigitsCrcs) + " digits\nbad CBF43926\nCBF43926  bad\n" +
                    table("CBF43926              9  digits") +
                    table("CBF43926              9  gone") + table("CBF43926              9  bad"));
    const Result result = RunIn({"--check", list});
    EXPECT_EQ(result.status, 1);
    const std::string at = dir_ + "/";
    EXPECT_EQ(result.out, at + "digits: OK\n" + at + "bad: FAILED (CRC-32)\n" + at +
                              "bad: FAILED (CRC-32)\n" + at + "digits: OK\n" + at +
                              "bad: FAILED (CRC-32)\n");
    EXPECT_EQ(result.err, "tallix-report: " + at +
                              "gone: No such file or directory (nor gone from the current "
                              "directory)\n" +
                              "tallix-report: WARNING: 3 listed files did NOT match, 1 listed "
                              "file could not be read\n");
}

// A list written in the current directory of files in a subdirectory, then
// moved there: its names are found from the current directory when they
// are not beside the list.
TEST_F(CheckCommandTest, FindsNamesFromTheCurrentDirectoryWhenNotBesideTheList) {
    std::filesystem::create_directories(dir_ + "/sub/sub");
    Write("sub/a", "123456789");
    Write("sub/b", "123456789");
    Write("sub/sub/b", "123456780");  // beside the list: found first
    Write("sub/list", "sub/a CBF43926\nsub/b CBF43926\nsub/gone CBF43926\n");
    const Result result = Run({"--check", "sub/list"}, "", "cd " + Quoted(dir_) + " &&");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "sub/a: OK\nsub/sub/b: FAILED (CRC-32)\n");
    EXPECT_EQ(result.err,
              "tallix-report: sub/sub/gone: No such file or directory (nor sub/gone from the "
              "current directory)\n"
              "tallix-report: WARNING: 1 listed file did NOT match, 1 listed file could not be "
              "read\n");
    // A list in the current directory: its names as written on Windows.
    Write("here", "sub\\a CBF43926\n");
    EXPECT_EQ(Run({"--check", "here"}, "", "cd " + Quoted(dir_) + " &&").out, "sub/a: OK\n");
}

TEST_F(CheckCommandTest, ListsThatCannotBeUsed) {
    Write("digits", "123456789");
    const std::string good = Write("good", "digits CBF43926\n");
    const std::string empty = Write("empty", "");
    const Result result = RunIn({"--check", good, empty, dir_, dir_ + "/missing", "/dev/zero"});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.out, dir_ + "/digits: OK\n");
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

    const Result unnamed = Run({"--check"}, CliTest::OutputTo(dir_ + "/.stdout"),
                               "cd " + Quoted(dir_) + " && printf 'digits CBF43926\\n' |");
    EXPECT_EQ(unnamed.out, "digits: OK\n") << unnamed.err;  // no LIST: standard input

    EXPECT_EQ(RunIn({"--check", "-", "-"}).status, 2);  // read once only
    EXPECT_EQ(RunIn({"--check", "-"}, "\n\n").status, 2);
}

// A list given as a path to standard input is read as "-" is: its names
// are taken from the current directory, not from /dev or /proc.
TEST_F(CheckCommandTest, ReadsListsNamedByDescriptorPathsAsStandardInput) {
    Write("digits", "123456789");
    std::filesystem::create_directory(dir_ + "/sub");
    const std::string list = Write("sub/list", "digits CBF43926\n");
    for (const std::string path : {"/dev/stdin", "/dev/fd/0", "/proc/self/fd/0"}) {
        const Result result =
            Run({"--check", path}, CliTest::OutputTo(dir_ + "/.stdout") + " <" + Quoted(list),
                "cd " + Quoted(dir_) + " &&");
        EXPECT_EQ(result.status, 0) << path << ": " << result.err;
        EXPECT_EQ(result.out, "digits: OK\n") << path;
    }
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
    // The line of n's crosses the list's first MiB, where one piece read
    // ends and the next begins.
    const std::string list =
        Write("list", std::string("digits CBF43926\n") + std::string((1 << 20) - 2534, 'x') + "\n" +
                          std::string("dig\0its CBF43926\n", 17) + std::string(5000, 'n') +
                          " CBF43926\n" + "digits CBF43926");  // no final newline
    const Result result = RunIn({"--check", list});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, dir_ + "/digits: OK\n" + dir_ + "/digits: OK\n");
    // The long line is passed over unread, not held.
    EXPECT_EQ(result.err, "tallix-report: " + list +
                              ":2: line longer than any path (more than 262144 bytes)\n" +
                              "tallix-report: " + list + ":3: improperly formatted line\n" +
                              "tallix-report: " + dir_ + "/" + std::string(5000, 'n') +
                              ": File name too long\n" +
                              "tallix-report: WARNING: 1 listed file could not be read, " +
                              "2 lines are improperly formatted\n");
}

// The longest line is the same wherever it falls in the pieces read: a
// comment of exactly that length is passed over, one byte more is too long.
TEST_F(CheckCommandTest, KeepsTheLongestLineWhereverItFalls) {
    Write("digits", "123456789");
    constexpr std::size_t kLongest = 262144;
    for (const std::size_t before : {0, 1000, 40000, 65535}) {
        const std::string list =
            Write("list", std::string(before, ';') + "\n;" + std::string(kLongest - 1, 'x') +
                              "\n;" + std::string(kLongest, 'x') + "\ndigits CBF43926\n");
        const Result result = RunIn({"--check", list});
        EXPECT_EQ(result.out, dir_ + "/digits: OK\n") << before;
        EXPECT_EQ(result.err, "tallix-report: " + list +
                                  ":3: line longer than any path (more than 262144 bytes)\n" +
                                  "tallix-report: WARNING: 1 line is improperly formatted\n")
            << before;
    }
}

TEST_F(CheckCommandTest, StopsAtTheFirstFailedWrite) {
    Write("digits", "123456789");
    const std::string list = Write("list", "digits CBF43926\nmissing CBF43926\n");
    CliTest::StringOutput out(0, EPIPE);
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
    const Result closed = Run({"--check", "--quiet", good}, ">&- </dev/null");
    EXPECT_EQ(closed.status, 0) << closed.err;  // never written, so never lost
    EXPECT_EQ(Run({"--check", "--quiet", bad}, ">&- </dev/null").err,
              "tallix-report: write error: Bad file descriptor\n");

    const Result piped = RunIntoClosedPipe({"--check", list});
    EXPECT_EQ(piped.status, 1);
    EXPECT_EQ(piped.err, "tallix-report: write error: Broken pipe\n");

    CliTest::StringOutput failsOnClose(std::string::npos, 0, EIO);
    const Result closing = RunIn({"--check", "--quiet", good}, failsOnClose);
    EXPECT_EQ(closing.status, 1);
    EXPECT_EQ(closing.err, "tallix-report: write error: Input/output error\n");
}

// Each file is named as it was opened, so lists in two directories naming
// the same name are told apart.
TEST_F(CheckCommandTest, NamesFilesAsOpenedFromTheCurrentDirectory) {
    for (const char* sub : {"L1", "L2"}) {
        std::filesystem::create_directory(dir_ + "/" + sub);
        Write(std::string(sub) + "/list", "f CBF43926\n");
    }
    Write("L1/f", "123456789");
    Write("L2/f", "123456780");
    const Result result = Run({"--check", "L1/list", "L2/list"}, "", "cd " + Quoted(dir_) + " &&");
    EXPECT_EQ(result.out, "L1/f: OK\nL2/f: FAILED (CRC-32)\n");
}

// A list still being written is checked as it comes: each line's verdict
// is out while the writer waits for it before writing the next. The same
// for the names of --files-from.
TEST_F(CheckCommandTest, ReportsEachLineBeforeTheListEnds) {
    const std::string digits = Write("digits", "123456789");
    for (const auto& [args, lines] :
         {std::pair{std::vector<std::string>{"--check", "-j", "4", "-"},
                    "digits CBF43926\ndigits CBF43926\n"},
          std::pair{std::vector<std::string>{"--brief", "-j", "4", "--files-from", "-"},
                    "digits\ndigits\n"}}) {
        int in[2];
        int out[2];
        ASSERT_EQ(::pipe(in), 0);
        ASSERT_EQ(::pipe(out), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            if (::chdir(dir_.c_str()) != 0 || ::dup2(in[0], 0) < 0 || ::dup2(out[1], 1) < 0) {
                ::_exit(126);
            }
            ::close(in[1]);
            ::close(out[0]);
            std::vector<char*> argv{const_cast<char*>(TALLIX_REPORT_BINARY)};
            for (const std::string& arg : args) {
                argv.push_back(const_cast<char*>(arg.c_str()));
            }
            argv.push_back(nullptr);
            ::execv(TALLIX_REPORT_BINARY, argv.data());
            ::_exit(127);
        }
        ::close(in[0]);
        ::close(out[1]);
        std::string seen;
        const std::string_view line(lines, std::strlen(lines) / 2);
        for (const long verdicts : {1, 2}) {
            ASSERT_EQ(::write(in[1], line.data(), line.size()), static_cast<ssize_t>(line.size()));
            pollfd ready{out[0], POLLIN, 0};
            while (std::count(seen.begin(), seen.end(), '\n') < verdicts &&
                   ::poll(&ready, 1, 30000) == 1) {  // a guard against a hang, not a timing
                char text[256];
                const ssize_t got = ::read(out[0], text, sizeof text);
                if (got <= 0) {
                    break;
                }
                seen.append(text, static_cast<std::size_t>(got));
            }
            EXPECT_EQ(std::count(seen.begin(), seen.end(), '\n'), verdicts)
                << args[0] << ": " << seen;
        }
        ::close(in[1]);  // only now does the list end
        int status = 0;
        ::waitpid(child, &status, 0);
        ::close(out[0]);
        EXPECT_EQ(std::count(seen.begin(), seen.end(), '\n'), 2) << args[0] << ": " << seen;
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << args[0];
    }
}

// Memory stays bounded whatever the list's size, and the jobs are fewer
// where the address space would not hold them: under a limit that 1024
// threads with their read buffers far exceed, a list of four million
// lines, ten thousand of them naming a file of 300 kB, is checked to its end.
TEST_F(CheckCommandTest, ChecksAHugeListUnderAMemoryLimit) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers reserve terabytes of address space for their shadow";
#endif
    const std::string crc =
        RunIn({"--brief", Write("big", std::string(300000, 'x'))}).out.substr(0, 8);
    const std::string out = dir_ + "/.stdout";
    const std::string command =
        "cd " + Quoted(dir_) + " && { yes " + Quoted("big " + crc) +
        " | head -n 10000; head -c 4194304 /dev/zero | tr '\\0' '\\n'; echo 'big 00000000'; } | "
        "(ulimit -v 262144 && exec timeout 60 " +
        Quoted(TALLIX_REPORT_BINARY) + " --check --quiet -j 1024 - >" + Quoted(out) + ")";
    EXPECT_EQ(WEXITSTATUS(std::system(command.c_str())), 1);
    EXPECT_EQ(CliTest::ReadText(out), "big: FAILED (CRC-32)\n");
}

}  // namespace
