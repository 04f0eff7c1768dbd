// Standard output on POSIX: a file descriptor.
#pragma once

#include "cli/output.h"

namespace Cli {

// An open file descriptor, written with write(2) and ended with close(2).
class DescriptorOutput : public Output {
  public:
    explicit DescriptorOutput(int fd) : fd_(fd) {}
    int Write(std::string_view text) override;
    int Close() override;

  private:
    int fd_;
};

}  // namespace Cli
