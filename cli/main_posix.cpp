// tallix-report: the file report on the command line.
#include <fcntl.h>
#include <malloc.h>
#include <pthread.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "cli/output/output_posix.h"
#include "cli/report_command.h"
#include "cli/system/streams.h"
#include "platform/system/os/translation.h"

namespace {

// The access mode of `fd`, or -1 when it is not open.
int AccessMode(int fd) {
    const int flags = ::fcntl(fd, F_GETFL);
    return flags < 0 ? -1 : flags & O_ACCMODE;
}

// Opens /dev/null the wrong way round on each standard descriptor that was
// closed, so no file or list opened later takes its number (and is read as
// standard input or written as output), and using it still fails with EBADF.
// Returns whether all three are now taken; errno says why not.
bool HoldClosedStandardDescriptors() {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (AccessMode(fd) < 0 &&
            ::open("/dev/null", (fd == STDIN_FILENO ? O_WRONLY : O_RDONLY) | O_CLOEXEC) != fd) {
            return false;  // the lowest free number is fd, as the lower ones are taken
        }
    }
    return true;
}

// Many jobs in little address space (a limit such as `prlimit --as`): the
// threads that read files need little stack, 1 MiB each rather than the
// default (RLIMIT_STACK's, often 8 MiB); and the C library's allocator,
// which reserves 64 MiB of address space for each arena it adds for
// threads (up to eight per CPU), keeps to two: the threads allocate little.
void FitThreadsInLittleAddressSpace() {
    pthread_attr_t attributes;
    if (::pthread_attr_init(&attributes) == 0) {
        ::pthread_attr_setstacksize(&attributes, std::size_t{1} << 20);
        ::pthread_setattr_default_np(&attributes);
        ::pthread_attr_destroy(&attributes);
    }
    ::mallopt(M_ARENA_MAX, 2);
}

}  // namespace

int main(int argc, char** argv) {
    System::UseUserLanguage(System::InstalledCatalogues());
    FitThreadsInLittleAddressSpace();
    const int outputMode = AccessMode(STDOUT_FILENO);
    const bool outputOpen = outputMode == O_WRONLY || outputMode == O_RDWR;
    if (!HoldClosedStandardDescriptors()) {
        std::cerr << "tallix-report: /dev/null: " << std::strerror(errno) << "\n";
        return Cli::kSomeFailed;
    }
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (!outputOpen) {
        Cli::ClosedOutput closed;
        return Cli::RunReportCommand(args, closed, std::cerr, System::StandardInput(),
                                     Cli::Os::IsTerminal(STDERR_FILENO));
    }
    Cli::DescriptorOutput out(STDOUT_FILENO, Cli::Os::IsTerminal(STDOUT_FILENO));
    return Cli::RunReportCommand(args, out, std::cerr, System::StandardInput(),
                                 Cli::Os::IsTerminal(STDERR_FILENO));
}
