// Runs a check as an unprivileged user. Root reads any file whatever its
// mode, so tests of denied access run their check in a child process that
// first drops to the user "nobody".
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <exception>
#include <string>

namespace TestSupport {

// Runs `check` in a forked child as uid/gid 65534 (when the test runs as
// root) and returns what it found: `check` returns an empty text when all
// held, or what went wrong. Exceptions escaping `check` count as faults.
template <typename Check>
std::string RunUnprivileged(Check check) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) {
        return "cannot make a pipe";
    }
    const pid_t child = ::fork();
    if (child < 0) {
        return "cannot fork";
    }
    if (child == 0) {
        ::close(pipeFds[0]);
        std::string faults;
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
            faults = "could not drop privileges";
        } else {
            try {
                faults = check();
            } catch (const std::exception& error) {
                faults = std::string("exception: ") + error.what();
            } catch (...) {
                faults = "unknown exception";
            }
        }
        const bool written = ::write(pipeFds[1], faults.data(), faults.size()) ==
                             static_cast<ssize_t>(faults.size());
        ::_exit(written ? 0 : 1);
    }
    ::close(pipeFds[1]);
    std::string faults;
    char chunk[256];
    for (ssize_t got; (got = ::read(pipeFds[0], chunk, sizeof chunk)) > 0;) {
        faults.append(chunk, static_cast<std::size_t>(got));
    }
    ::close(pipeFds[0]);
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        faults += "child did not finish cleanly";
    }
    return faults;
}

}  // namespace TestSupport
