#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "cli/system/interrupt.h"

namespace Cli::Os {
namespace {

// Read by the handler: set before it is installed, never changed while it
// may run.
char interruptText[kLongestInterruptText];
std::size_t interruptLength = 0;

// Only async-signal-safe calls: write(), then the signal again, which the
// handler was reset for (SA_RESETHAND) and which ends the process once the
// handler returns.
extern "C" void OnInterrupt(int signal) {
    const int savedErrno = errno;
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, interruptText, interruptLength);
    ::raise(signal);
    errno = savedErrno;
}

}  // namespace

void WriteOnInterrupt(std::string_view text) {
    interruptLength = std::min(text.size(), kLongestInterruptText);
    std::memcpy(interruptText, text.data(), interruptLength);
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM}) {
        struct sigaction before {};
        if (::sigaction(signal, nullptr, &before) == 0 && before.sa_handler != SIG_IGN) {
            ::sigaction(signal, &action, nullptr);
        }
    }
}

}  // namespace Cli::Os
