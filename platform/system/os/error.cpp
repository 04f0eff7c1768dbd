#include "platform/system/os/error.h"

#include <cstring>
#include <utility>

namespace System {

std::string_view OperationName(Operation operation) {
    switch (operation) {
        case Operation::kOpen:
            return "open";
        case Operation::kRead:
            return "read";
        case Operation::kSizeOf:
            return "size of";
        case Operation::kList:
            return "list";
        case Operation::kEnter:
            return "enter";
        case Operation::kExamine:
            return "examine";
        case Operation::kFind:
            return "find";
        case Operation::kAllocateMemory:
            return "allocate memory";
        case Operation::kRunEvent:
            return "run the event";
        case Operation::kCreateControl:
            return "create a control";
        case Operation::kCreateWindow:
            return "create the window";
        case Operation::kRegisterWindowClass:
            return "register the window class";
        case Operation::kShowReport:
            return "show the report";
        case Operation::kCopyReport:
            return "copy the report";
        case Operation::kReadClipboard:
            return "read the clipboard";
    }
    return {};
}

PlatformError::PlatformError(Operation operation, std::string path, std::string reason)
    : std::runtime_error(std::string(OperationName(operation)) + " " + path + ": " + reason),
      operation_(operation),
      path_(std::move(path)),
      reason_(std::move(reason)) {}

PlatformError SystemError(Operation operation, std::string path, int error) {
    return PlatformError(operation, std::move(path), std::strerror(error));
}

}  // namespace System
