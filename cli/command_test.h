// What the tests of tallix-report share: running the command in process on
// a string output, and running the built program with real descriptors.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/output/output.h"
#include "cli/report_command.h"
#include "tests/support/temp_dir_test.h"

namespace CliTest {

// Output kept in a string: it holds at most `capacity` bytes and a write
// that would go beyond fails with `error`, writing nothing, as a full
// device or a pipe whose reader has gone does; Close fails with
// `closeError` when that is not 0.
class StringOutput : public Cli::Output {
  public:
    StringOutput() = default;
    StringOutput(std::size_t capacity, int error, int closeError = 0)
        : capacity_(capacity), error_(error), closeError_(closeError) {}
    int Write(std::string_view text) override {
        if (closed_) {
            return EBADF;
        }
        if (text.size() > capacity_ - std::min(capacity_, text_.size())) {
            return error_;
        }
        text_.append(text);
        return 0;
    }
    int Close() override {
        if (closed_) {
            return EBADF;
        }
        closed_ = true;
        return closeError_;
    }

    bool IsTerminal() const override { return terminal_; }
    // Makes the output stand for a terminal.
    void ShowAsTerminal() noexcept { terminal_ = true; }

    const std::string& text() const noexcept { return text_; }
    bool closed() const noexcept { return closed_; }

  private:
    std::string text_;
    std::size_t capacity_ = std::string::npos;
    int error_ = ENOSPC;
    int closeError_ = 0;
    bool closed_ = false;
    bool terminal_ = false;
};

struct Result {
    int status;
    std::string out;
    std::string err;
};

inline std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// `arg` quoted for sh.
inline std::string Quoted(const std::string& arg) {
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

// A redirection of standard output to `path`, for sh.
inline std::string OutputTo(const std::string& path) {
    return std::string(">").append(Quoted(path));
}

class CommandTest : public TestSupport::TempDirTest {
  protected:
    // Runs the command in this process with `input` as its standard input.
    Result RunIn(const std::vector<std::string>& args, Cli::Output& out,
                 const std::string& input = "") {
        const std::string inputPath = input.empty() ? "/dev/null" : Write(".stdin", input);
        const int fd = ::open(inputPath.c_str(), O_RDONLY | O_CLOEXEC);
        std::ostringstream err;
        const int status = Cli::RunReportCommand(args, out, err, {fd});
        ::close(fd);
        return {status, {}, err.str()};
    }
    Result RunIn(const std::vector<std::string>& args, const std::string& input = "") {
        StringOutput out;
        Result result = RunIn(args, out, input);
        result.out = out.text();
        EXPECT_TRUE(out.closed() || result.status == Cli::kUsageError) << "output not closed";
        return result;
    }

    // Runs the built program through sh, under a time limit so a hang fails
    // (status 124) instead of blocking: `redirections` give its standard
    // descriptors ("" for a file each for its output and errors, read back,
    // and /dev/null as input), `before` runs first in the same shell.
    Result Run(const std::vector<std::string>& args, const std::string& redirections = "",
               const std::string& before = "") {
        std::string command = before + " timeout 60 " + Quoted(TALLIX_REPORT_BINARY);
        for (const auto& arg : args) {
            command.append(" ").append(Quoted(arg));
        }
        const std::string outPath = dir_ + "/.stdout";
        const std::string errPath = dir_ + "/.stderr";
        std::remove(outPath.c_str());
        command += redirections.empty()
                       ? " >" + Quoted(outPath) + " 2>" + Quoted(errPath) + " </dev/null"
                       : " 2>" + Quoted(errPath) + " " + redirections;
        const int raw = std::system(command.c_str());
        const int status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        return {status, ReadText(outPath), ReadText(errPath)};
    }

    // Runs the built program with SIGPIPE ignored and its standard output
    // a pipe whose reader has already gone.
    Result RunIntoClosedPipe(const std::vector<std::string>& args) {
        int pipeFds[2];
        EXPECT_EQ(::pipe(pipeFds), 0);
        ::close(pipeFds[0]);
        const std::string errPath = dir_ + "/.stderr";
        const pid_t child = ::fork();
        if (child == 0) {
            std::signal(SIGPIPE, SIG_IGN);  // stays ignored across exec
            const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            const int in = ::open("/dev/null", O_RDONLY);
            if (err < 0 || in < 0 || ::dup2(pipeFds[1], 1) < 0 || ::dup2(err, 2) < 0 ||
                ::dup2(in, 0) < 0) {
                ::_exit(126);
            }
            std::vector<char*> argv{const_cast<char*>(TALLIX_REPORT_BINARY)};
            for (const auto& arg : args) {
                argv.push_back(const_cast<char*>(arg.c_str()));
            }
            argv.push_back(nullptr);
            ::execv(TALLIX_REPORT_BINARY, argv.data());
            ::_exit(127);
        }
        ::close(pipeFds[1]);
        int raw = 0;
        EXPECT_EQ(::waitpid(child, &raw, 0), child);
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, "", ReadText(errPath)};
    }
};

}  // namespace CliTest
