#include "cli/output.h"

#include <unistd.h>

#include <algorithm>

namespace Cli {

int DescriptorOutput::Write(std::string_view text) {
    while (!text.empty()) {
        const ssize_t written = ::write(fd_, text.data(), text.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
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

int StringOutput::Write(std::string_view text) {
    if (closed_) {
        return EBADF;
    }
    if (text.size() > capacity_ - std::min(capacity_, text_.size())) {
        return error_;
    }
    text_.append(text);
    return 0;
}

int StringOutput::Close() {
    if (closed_) {
        return EBADF;
    }
    closed_ = true;
    return closeError_;
}

}  // namespace Cli
