// The one error type of the platform layer: what was being done, to which
// path, and the system's own reason, so a front end can show all three.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace System {

// What was being done when an error struck; the window words a headline
// for each (Window::ErrorHeadline).
enum class Operation {
    kOpen,
    kRead,
    kSizeOf,
    kList,
    kEnter,
    kExamine,
    kFind,
    kAllocateMemory,
    kRunEvent,
    kCreateControl,
    kCreateWindow,
    kRegisterWindowClass,
    kShowReport,
    kCopyReport,
    kReadClipboard,
};

// The operation as an error's text names it: "open", "size of", "run the
// event" ...; empty for a value that names no operation.
std::string_view OperationName(Operation operation);

// what() is "<operation's name> <path>: <reason>".
class PlatformError : public std::runtime_error {
  public:
    PlatformError(Operation operation, std::string path, std::string reason);

    Operation operation() const noexcept { return operation_; }
    const std::string& path() const noexcept { return path_; }
    const std::string& reason() const noexcept { return reason_; }

  private:
    Operation operation_;
    std::string path_;
    std::string reason_;
};

// A PlatformError whose reason is the system's text for errno value `error`.
PlatformError SystemError(Operation operation, std::string path, int error);

}  // namespace System
