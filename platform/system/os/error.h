// The one error type of the platform layer: what was being done, to which
// path, and the system's own reason, so a front end can show all three.
#pragma once

#include <stdexcept>
#include <string>

namespace System {

class PlatformError : public std::runtime_error {
  public:
    PlatformError(std::string operation, std::string path, std::string reason);

    const std::string& operation() const noexcept { return operation_; }
    const std::string& path() const noexcept { return path_; }
    const std::string& reason() const noexcept { return reason_; }

  private:
    std::string operation_;
    std::string path_;
    std::string reason_;
};

// A PlatformError whose reason is the system's text for errno value `error`.
PlatformError SystemError(std::string operation, std::string path, int error);

}  // namespace System
