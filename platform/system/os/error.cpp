#include "platform/system/os/error.h"

#include <cstring>
#include <utility>

namespace System {

PlatformError::PlatformError(std::string operation, std::string path, std::string reason)
    : std::runtime_error(operation + " " + path + ": " + reason),
      operation_(std::move(operation)),
      path_(std::move(path)),
      reason_(std::move(reason)) {}

PlatformError SystemError(std::string operation, std::string path, int error) {
    return PlatformError(std::move(operation), std::move(path), std::strerror(error));
}

}  // namespace System
