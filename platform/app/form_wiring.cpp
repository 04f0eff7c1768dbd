#include "platform/app/form_wiring.h"

#include "platform/system/os/entry_type.h"

namespace Platform {

PathPlace PlaceOf(const std::string& path) {
    const std::string target = NormalDirectoryPath(path);
    if (IsDirectory(target)) {
        return {target, ""};
    }
    const std::vector<std::string> ancestors = PathAndAncestors(target);
    return {ancestors.size() > 1 ? ancestors[ancestors.size() - 2] : target, LastName(target)};
}

}  // namespace Platform
