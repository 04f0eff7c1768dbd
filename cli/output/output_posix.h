// Standard output on POSIX: a file descriptor.
#pragma once

#include "cli/output/output.h"

namespace Cli {

// An open file descriptor, written with write(2) and ended with close(2).
// `terminal` says whether it is a terminal.
class DescriptorOutput : public Output {
  public:
    explicit DescriptorOutput(int fd, bool terminal = false) : fd_(fd), terminal_(terminal) {}
    int Write(std::string_view text) override;
    int Close() override;
    bool IsTerminal() const override { return terminal_; }

  private:
    int fd_;
    bool terminal_;
};

}  // namespace Cli
