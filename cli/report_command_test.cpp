// tallix-report's reports: in process on a string output, and the built
// program where real descriptors matter.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cli/command_test.h"
#include "platform/system/files/files.h"
#include "tests/support/mapping_count.h"
#include "tests/support/unprivileged.h"

namespace {

using CliTest::Result;

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

const std::string kTimings = "ファイルオープン - Nms , CRC32 - Nms , CRC16 - Nms\n";

class ReportCommandTest : public CliTest::CommandTest {};

TEST_F(ReportCommandTest, PrintsTheFourLinesOfTheWindowReport) {
    const std::string path = Write("digits.txt", "123456789");
    const Result result = Run({path});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(WithTimingsMasked(result.out),
              path + "(9バイト)\nCRC32 - CBF43926\nCRC16 - 6F91\n" + kTimings);
}

// The full report over several files reads them all into one array, as
// the window's clicks do, and each report is its own file's.
TEST_F(ReportCommandTest, FullReportKeepsOneArrayAcrossFiles) {
    const std::string large = Write("large", std::string(2 << 20, 'a'));
    const std::string larger = Write("larger", std::string(3 << 20, 'b'));
    const std::size_t before = TestSupport::LargeMappingsMade();
    const Result full = RunIn({larger, large, larger});
    EXPECT_EQ(TestSupport::LargeMappingsMade(), before + 1);
    const Result brief = RunIn({"--brief", larger, large, larger});
    std::istringstream lines(brief.out);
    std::string crc32, crc16, size, name, expected;
    while (lines >> crc32 >> crc16 >> size >> name) {
        expected += (expected.empty() ? "" : "\n") + name + "(" + size + "バイト)\nCRC32 - " +
                    crc32 + "\nCRC16 - " + crc16 + "\n" + kTimings;
    }
    EXPECT_EQ(WithTimingsMasked(full.out), expected);
    EXPECT_EQ(full.status, 0) << full.err;
}

TEST_F(ReportCommandTest, ReportsTheOtherFilesWhenOneIsMissing) {
    const std::string digits = Write("digits.txt", "123456789");
    const std::string empty = Write("empty", "");
    const std::string missing = dir_ + "/missing";

    const Result brief = RunIn({"--brief", digits, missing, empty});
    EXPECT_EQ(brief.status, 1);
    EXPECT_EQ(brief.out, "CBF43926 6F91 9 " + digits + "\n00000000 FFFF 0 " + empty + "\n");
    EXPECT_EQ(brief.err, "tallix-report: " + missing + ": No such file or directory\n");

    const Result full = RunIn({missing, digits, empty});
    EXPECT_EQ(full.status, 1);
    EXPECT_EQ(WithTimingsMasked(full.out),
              digits + "(9バイト)\nCRC32 - CBF43926\nCRC16 - 6F91\n" + kTimings + "\n" + empty +
                  "(0バイト)\nCRC32 - 00000000\nCRC16 - FFFF\n" + kTimings);
}

// A FIFO named as a FILE is read as standard input is, in every mode, once
// its writer comes; directories and devices are refused without opening.
TEST_F(ReportCommandTest, ReadsFifosAndRefusesDirectoriesAndDevices) {
    const std::string fifo = dir_ + "/fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string writer = "(timeout 60 printf 123456789 >" + CliTest::Quoted(fifo) + ") & ";
    const Result result = Run({"--brief", fifo, dir_, "/dev/zero"}, "", writer);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "CBF43926 6F91 9 " + fifo + "\n");
    EXPECT_EQ(result.err, "tallix-report: " + dir_ + ": Is a directory\n" +
                              "tallix-report: /dev/zero: not a regular file\n");
    EXPECT_TRUE(Run({fifo}, "", writer).out.starts_with(fifo + "(9バイト)\nCRC32 - CBF43926\n"));
    EXPECT_EQ(Run({"--identify", "6F91", fifo}, "", writer).out,
              fifo + ": CRC-16/MCRF4XX = 6F91\n");
}

TEST_F(ReportCommandTest, UsageErrorsHelpAndVersion) {
    const Result none = Run({});
    EXPECT_EQ(none.status, 2);
    EXPECT_NE(none.err.find("no file named"), std::string::npos);
    EXPECT_EQ(none.out, "");
    EXPECT_EQ(Run({"--bogus", "file"}).status, 2);

    const Result help = Run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Usage: tallix-report [--brief | --sfv]"), std::string::npos);
    // As Windows programs are asked; after "--" these are names.
    EXPECT_EQ(Run({"file", "-?"}).out, help.out);
    EXPECT_EQ(Run({"/?"}).out, help.out);
    EXPECT_EQ(Run({"--", "/?"}).status, 1);
    const Result version = Run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(version.out.starts_with("tallix-report ")) << version.out;

    const std::string dashed = Write("--brief", "123456789");  // a file named like an option
    EXPECT_EQ(Run({"--", dashed}).out.substr(0, dashed.size() + 1), dashed + "(");

    for (const auto& args :
         std::vector<std::vector<std::string>>{{"--brief", "--check", "list"},
                                               {"--quiet", "file"},
                                               {"-", "--brief", "-"},
                                               {"--bogus\nforged line"},
                                               {"--sfv", "--brief", "file"},
                                               {"--check", "-r", "list"},
                                               {"--ignore-missing", "file"},
                                               {"--null", "file"},
                                               {"--files-from"},
                                               {"--files-from", "-", "-"},
                                               {"--sfv", "-"},
                                               {"--list-encoding", "cp932", "f"},
                                               {"--list-encoding=bogus", "-c", "l"},
                                               {"--range", "1:", "f"},
                                               {"--range", "-1:2", "f"},
                                               {"--range=9223372036854775807:1", "f"},
                                               {"--range", "0:1", "--check", "l"},
                                               {"--range", "0:1", "--sfv", "f"},
                                               {"--identify", "123456789", "f"},
                                               {"--identify"},
                                               {"--appended", "middle", "f"},
                                               {"--crc16-family", "--brief", "f"},
                                               {"--identify=1", "--appended32=le", "f"}}) {
        const Result wrong = RunIn(args);
        EXPECT_EQ(wrong.status, 2) << args.front();
        EXPECT_EQ(wrong.out, "");
        EXPECT_EQ(std::count(wrong.err.begin(), wrong.err.end(), '\n'), 2) << wrong.err;
    }
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

TEST_F(ReportCommandTest, NamesCannotForgeLines) {
    const std::string forged = Write("x\nCBF43926 6F91 9 important.bin", "evil");
    const std::string slashed = Write("back\\slash\rcr", "123456789");
    const std::string plain = Write("plain name", "123456789");

    const Result brief = RunIn({"--brief", forged, slashed, plain});
    EXPECT_EQ(brief.status, 0) << brief.err;
    EXPECT_EQ(brief.out, std::string("\\8DFB3152 B9B4 4 ").append(dir_) +
                             "/x\\nCBF43926 6F91 9 important.bin\n"
                             "\\CBF43926 6F91 9 " +
                             dir_ + "/back\\\\slash\\rcr\nCBF43926 6F91 9 " + plain + "\n");

    const Result full = RunIn({slashed});
    EXPECT_EQ(full.status, 0) << full.err;
    EXPECT_EQ(WithTimingsMasked(full.out), "\\" + dir_ + "/back\\\\slash\\rcr(9バイト)\n" +
                                               "CRC32 - CBF43926\nCRC16 - 6F91\n" + kTimings);

    const Result missing = RunIn({"--brief", dir_ + "/gone\nCBF43926 6F91 9 ok"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err,
              "tallix-report: " + dir_ + "/gone\\nCBF43926 6F91 9 ok: No such file or directory\n");
}

TEST_F(ReportCommandTest, ReadsStandardInputAsTheFileNamedDash) {
    const std::string digits = Write("digits", "123456789");
    const Result brief = RunIn({"--brief", digits, "-"}, "123456789");
    EXPECT_EQ(brief.status, 0) << brief.err;
    EXPECT_EQ(brief.out, "CBF43926 6F91 9 " + digits + "\nCBF43926 6F91 9 -\n");

    const Result piped = Run({"-"}, CliTest::OutputTo(dir_ + "/.stdout"), "printf 123456789 |");
    EXPECT_EQ(piped.status, 0) << piped.err;
    EXPECT_EQ(WithTimingsMasked(piped.out),
              "-(9バイト)\nCRC32 - CBF43926\nCRC16 - 6F91\n" + kTimings);

    const Result empty = Run({"--brief", "-"});  // standard input is /dev/null
    EXPECT_EQ(empty.out, "00000000 FFFF 0 -\n");

    const Result closed =
        Run({"--brief", "-", digits}, "<&- " + CliTest::OutputTo(dir_ + "/.stdout"));
    EXPECT_EQ(closed.status, 1);
    EXPECT_EQ(closed.out, "CBF43926 6F91 9 " + digits + "\n");
    EXPECT_EQ(closed.err, "tallix-report: -: Bad file descriptor\n");
}

// On a terminal, and always in messages, nothing in a name can act on the
// terminal; a pipe or file gets the name as it is.
TEST_F(ReportCommandTest, EscapesNamesOnATerminalAndInMessages) {
    const std::string red = Write("red\x1B[31m\tname", "123456789");
    const std::string gone = dir_ + "/gone\x1B]0;title\x07";
    CliTest::StringOutput terminal;
    terminal.ShowAsTerminal();
    const Result shown = RunIn({"--brief", red, gone}, terminal);
    EXPECT_EQ(shown.status, 1);
    EXPECT_EQ(terminal.text(), "\\CBF43926 6F91 9 " + dir_ + "/red\\x1B[31m\\tname\n");
    EXPECT_EQ(shown.err,
              "tallix-report: " + dir_ + "/gone\\x1B]0;title\\x07: No such file or directory\n");

    const Result piped = RunIn({"--brief", red});
    EXPECT_EQ(piped.out, "CBF43926 6F91 9 " + red + "\n");
}

// SFV as other tools read it: the header, then NAME CRC32 with the name as
// it is; a name it cannot carry is an error for that file alone.
TEST_F(ReportCommandTest, WritesSfvLists) {
    for (const char* name : {"a\\b", "trailing ", "new\nline", ";comment", "DEADBEEF CAFE 12 x"}) {
        Write(name, "123456789");
    }
    const Result result =
        Run({"--sfv", "--", "a\\b", "trailing ", "new\nline", ";comment", "DEADBEEF CAFE 12 x"}, "",
            "cd " + CliTest::Quoted(dir_) + " &&");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out,
              "; Generated by tallix-report\n"
              "a\\b CBF43926\ntrailing  CBF43926\nDEADBEEF CAFE 12 x CBF43926\n");
    EXPECT_EQ(result.err,
              "tallix-report: new\\nline: an SFV list cannot hold a name with a newline\n"
              "tallix-report: ;comment: an SFV list cannot hold a name starting with ';'\n");

    const std::string list = Write("list.sfv", result.out);
    const Result check = RunIn({"--check", list});
    EXPECT_EQ(check.status, 0) << check.err;

    // Names from standard input: it is not itself a file of the list.
    const Result named = RunIn({"--sfv", "--files-from", "-"}, dir_ + "/a\\b\n");
    EXPECT_EQ(named.status, 0) << named.err;
    EXPECT_EQ(named.out, "; Generated by tallix-report\n" + dir_ + "/a\\b CBF43926\n");
}

// Entries in byte order, depth first, hidden ones included; links to
// directories and FIFOs passed over; an unreadable directory named and the
// walk going on.
TEST_F(ReportCommandTest, WalksDirectoriesWithRecursive) {
    for (const char* sub : {"/d", "/d/a", "/d/locked"}) {
        std::filesystem::create_directory(dir_ + sub);
    }
    Write("d/b", "123456789");
    Write("d/.hidden", "");
    Write("d/a/x", "123456789");
    Write("d/locked/secret", "");
    Write("d/m", "");  // after the locked directory in the walk
    std::filesystem::create_directory_symlink(dir_ + "/d/a", dir_ + "/d/link");
    std::filesystem::create_symlink(dir_ + "/d/b", dir_ + "/d/file-link");
    ASSERT_EQ(::mkfifo((dir_ + "/d/fifo").c_str(), 0600), 0);
    ASSERT_EQ(::chmod((dir_ + "/d/locked").c_str(), 0), 0);

    const std::string d = dir_ + "/d";
    // Output and messages in one stream: the message comes in the walk's order.
    struct Interleaved : Cli::Output {
        explicit Interleaved(std::ostream& stream) : to(stream) {}
        int Write(std::string_view text) override {
            to << text;
            return 0;
        }
        int Close() override { return 0; }
        std::ostream& to;
    };
    EXPECT_EQ(TestSupport::RunUnprivileged([&] {
                  std::ostringstream both;
                  Interleaved out(both);
                  const int status = Cli::RunReportCommand({"--brief", "-r", d + "/"}, out, both);
                  return std::to_string(status) + "\n" + both.str();
              }),
              "1\n00000000 FFFF 0 " + d + "/.hidden\nCBF43926 6F91 9 " + d +
                  "/a/x\nCBF43926 6F91 9 " + d + "/b\nCBF43926 6F91 9 " + d +
                  "/file-link\ntallix-report: " + d + "/locked: Permission denied\n" +
                  "00000000 FFFF 0 " + d + "/m\n");
    EXPECT_EQ(RunIn({"--brief", d}).err, "tallix-report: " + d + ": Is a directory\n");
}

// --files-from: one name a line, or with --null one per NUL; "-" there is
// a file of that name, not standard input.
TEST_F(ReportCommandTest, ReadsNamesFromFilesFrom) {
    const std::string odd = Write("new\nline", "123456789");
    const std::string dash = Write("-", "");
    const Result nul = RunIn({"--brief", "--null", "--files-from", "-"},
                             odd + std::string(1, '\0') + dash + std::string(1, '\0'));
    EXPECT_EQ(nul.status, 0) << nul.err;
    EXPECT_EQ(nul.out, "\\CBF43926 6F91 9 " + dir_ + "/new\\nline\n00000000 FFFF 0 " + dash + "\n");

    const std::string names = Write("names", dash + "\n\n" + dash);
    const Result lines = RunIn({"--brief", "--files-from=" + names});
    EXPECT_EQ(lines.out, "00000000 FFFF 0 " + dash + "\n00000000 FFFF 0 " + dash + "\n");
    EXPECT_EQ(RunIn({"--brief", "--files-from", dir_ + "/missing"}).status, 2);
    const Result none = RunIn({"--brief", "--files-from", "/dev/null"});
    EXPECT_EQ(none.status, 0) << none.err;  // an empty list
    EXPECT_EQ(none.out + none.err, "");

    // As Windows writes them: UTF-16 with a byte-order mark, CR LF (and a
    // name that does end in a CR kept whole).
    const std::string cr = Write("cr\r", "");
    const std::string wide = dir_ + "/wide";
    const std::string command = "printf '%s\\r\\n%s\\n' " + CliTest::Quoted(dash) + " " +
                                CliTest::Quoted(cr) + " | iconv -t UTF-16 >" +
                                CliTest::Quoted(wide);
    ASSERT_EQ(std::system(command.c_str()), 0);
    const Result windows = RunIn({"--brief", "--files-from", wide});
    EXPECT_EQ(windows.status, 0) << windows.err;
    EXPECT_EQ(windows.out, "00000000 FFFF 0 " + dash + "\n\\00000000 FFFF 0 " + dir_ + "/cr\\r\n");
}

// In process: the first write that fails ends the run, so no later file is
// read (the missing one would be named on standard error).
TEST_F(ReportCommandTest, StopsAtTheFirstFailedWrite) {
    const std::string digits = Write("digits", "123456789");
    const std::string line = "CBF43926 6F91 9 " + digits + "\n";
    for (const bool brief : {true, false}) {
        CliTest::StringOutput out(brief ? line.size() : 0, EPIPE);
        std::vector<std::string> args{digits, digits, dir_ + "/missing"};
        if (brief) {
            args.insert(args.begin(), "--brief");
        }
        const Result result = RunIn(args, out);
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(out.text(), brief ? line : "");
        EXPECT_EQ(result.err, "tallix-report: write error: Broken pipe\n");
    }

    CliTest::StringOutput failsOnClose(std::string::npos, 0, EIO);
    const Result closing = RunIn({"--brief", digits}, failsOnClose);
    EXPECT_EQ(closing.status, 1);
    EXPECT_EQ(closing.err, "tallix-report: write error: Input/output error\n");

    CliTest::StringOutput full(0, ENOSPC);
    EXPECT_EQ(RunIn({"--help"}, full).status, 1);
}

TEST_F(ReportCommandTest, WriteErrorsOfTheRealStandardOutput) {
    const std::string digits = Write("digits", "123456789");
    const std::string missing = dir_ + "/missing";
    const std::string noSpace = "tallix-report: write error: No space left on device\n";

    const Result full = Run({"--brief", digits, missing}, ">/dev/full </dev/null");
    EXPECT_EQ(full.status, 1);
    EXPECT_EQ(full.err, noSpace);
    EXPECT_EQ(Run({"--version"}, ">/dev/full").err, noSpace);

    const Result closed = Run({"--brief", missing}, ">&- </dev/null");
    EXPECT_EQ(closed.status, 1);  // and the missing file was never looked at
    EXPECT_EQ(closed.err, "tallix-report: write error: Bad file descriptor\n");
    EXPECT_EQ(Run({"--bogus"}, ">&- </dev/null").status, 2);  // a usage error whatever the output
    EXPECT_EQ(Run({"--brief", missing}, "1</dev/null").err, closed.err);  // open read-only

    const Result piped = RunIntoClosedPipe({digits, digits, missing});
    EXPECT_EQ(piped.status, 1);
    EXPECT_EQ(piped.err, "tallix-report: write error: Broken pipe\n");
}

// Jobs change only the speed: one and four give the same output, messages
// and status, for reports and checks alike, on files that cannot be read
// (as an unprivileged user; an empty one too, as every file is opened),
// have vanished, or have names that must be escaped, among files of every
// size.
TEST_F(ReportCommandTest, AnyNumberOfJobsGivesTheOutputOfOne) {
    std::vector<std::string> names;
    for (int i = 0; i < 40; ++i) {
        std::string name = "f";  // not "f" + ...: GCC 12 warns falsely (-Wrestrict) on that
        name += std::to_string(i);
        names.push_back(Write(name, std::string(i * i * 157, char('a' + i))));
    }
    const std::string unreadable = Write("unreadable", "secret");
    ASSERT_EQ(::chmod(unreadable.c_str(), 0), 0);
    const std::string unreadableEmpty = Write("unreadable empty", "");
    ASSERT_EQ(::chmod(unreadableEmpty.c_str(), 0), 0);
    const std::string vanished = Write("vanished", "here a moment ago");
    for (const std::string& odd :
         {Write("new\nline", "1"), Write("back\\slash", "22"), Write("\xFF\xFEnot utf-8", "333"),
          unreadable, unreadableEmpty, dir_ + "/missing", dir_, vanished}) {
        names.insert(names.begin() + static_cast<std::ptrdiff_t>(names.size() / 3 * 2), odd);
        names.insert(names.begin() + 3, odd == vanished ? names.back() : odd);
    }
    std::vector<std::string> brief{"--brief"};
    brief.insert(brief.end(), names.begin(), names.end());
    const Result all = RunIn(brief);
    const std::string list = Write("list", all.out);
    ASSERT_EQ(::unlink(vanished.c_str()), 0);

    EXPECT_EQ(TestSupport::RunUnprivileged([&] {
                  std::string faults;
                  for (const std::vector<std::string>& args :
                       {brief, std::vector<std::string>{"--check", list}}) {
                      std::vector<std::string> one{"-j", "1"};
                      std::vector<std::string> four{"--jobs=4"};
                      one.insert(one.end(), args.begin(), args.end());
                      four.insert(four.end(), args.begin(), args.end());
                      const Result first = RunIn(one);
                      const Result second = RunIn(four);
                      if (first.status != 1 || second.status != 1 || first.out != second.out ||
                          first.err != second.err ||
                          first.err.find("unreadable: Permission denied") == std::string::npos ||
                          first.err.find("empty: Permission denied") == std::string::npos ||
                          first.err.find("vanished: No such file") == std::string::npos) {
                          faults += args[0] + ": -j 1 gave " + std::to_string(first.status) + "\n" +
                                    first.out + first.err + "-j 4 gave " +
                                    std::to_string(second.status) + "\n" + second.out + second.err;
                      }
                  }
                  return faults;
              }),
              "");
}

// Standard input of any size is read through a small buffer: under an
// address-space limit far below it, a gibibyte from a pipe is checksummed.
TEST_F(ReportCommandTest, ReadsAGibibyteFromAPipeUnderAMemoryLimit) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers reserve terabytes of address space for their shadow";
#endif
    const std::string out = dir_ + "/.stdout";
    const std::string command =
        "head -c 1073741824 /dev/zero | (ulimit -v 262144 && exec timeout 60 " +
        CliTest::Quoted(TALLIX_REPORT_BINARY) + " --brief - >" + CliTest::Quoted(out) + ")";
    EXPECT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(CliTest::ReadText(out), "5B64C2B0 0F87 1073741824 -\n");  // CRC-32 as zlib's
}

}  // namespace
