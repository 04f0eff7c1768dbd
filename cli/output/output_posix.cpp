#include "cli/output/output_posix.h"

#include <poll.h>
#include <unistd.h>

namespace Cli {

int DescriptorOutput::Write(std::string_view text) {
    while (!text.empty()) {
        const ssize_t written = ::write(fd_, text.data(), text.size());
        if (written < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                // Standard output left non-blocking by whoever started us:
                // wait until it takes more rather than lose the text.
                pollfd ready{fd_, POLLOUT, 0};
                if (::poll(&ready, 1, -1) < 0 && errno != EINTR) {
                    return errno;
                }
            } else if (errno != EINTR) {
                return errno;
            }
            continue;
        }
        if (written == 0) {
            return EIO;  // no progress and no reason: never taken for success
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

int DescriptorOutput::Close() {
    // On Linux the descriptor is released whatever close() returns, so it is
    // never retried; any failure it reports (EIO, ENOSPC, EDQUOT) is a lost write.
    return ::close(fd_) == 0 ? 0 : errno;
}

}  // namespace Cli
