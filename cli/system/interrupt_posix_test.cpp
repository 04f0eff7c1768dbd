#include "cli/system/interrupt.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <string>

namespace {

// A child told to erase its line on an interrupt is sent each signal: it
// writes the text and dies of the signal (so a shell shows 130 or 143).
TEST(WriteOnInterrupt, WritesTheTextAndEndsByTheSignal) {
    for (const int signal : {SIGINT, SIGTERM}) {
        int fds[2];
        ASSERT_EQ(::pipe(fds), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            ::dup2(fds[1], STDERR_FILENO);
            Cli::Os::WriteOnInterrupt("\r\x1b[K");
            ::kill(::getpid(), signal);
            ::_exit(0);  // not reached
        }
        ::close(fds[1]);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        char text[16];
        const ssize_t got = ::read(fds[0], text, sizeof text);
        ::close(fds[0]);
        EXPECT_EQ(std::string(text, static_cast<std::size_t>(std::max<ssize_t>(got, 0))),
                  "\r\x1b[K");
        ASSERT_TRUE(WIFSIGNALED(status)) << signal;
        EXPECT_EQ(WTERMSIG(status), signal);
    }
}

}  // namespace
