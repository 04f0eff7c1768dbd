#include "cli/output/output.h"

#include <algorithm>

namespace Cli {

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
