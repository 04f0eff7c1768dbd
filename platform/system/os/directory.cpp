#include "platform/system/os/directory.h"

namespace System {

std::string JoinPath(const std::string& directory, std::string_view separator,
                     const std::string& name) {
    std::string path = directory;
    if (!path.ends_with(separator)) {
        path += separator;
    }
    return path + name;
}

}  // namespace System
