#include "platform/app/form_wiring.h"

#include "platform/system/os/entry_type.h"

namespace App {

PathPlace PlaceOf(const std::string& path) {
    const std::string target = System::NormalDirectoryPath(path);
    if (System::IsDirectory(target)) {
        return {target, ""};
    }
    const std::vector<std::string> ancestors = System::PathAndAncestors(target);
    return {ancestors.size() > 1 ? ancestors[ancestors.size() - 2] : target,
            System::LastName(target)};
}

}  // namespace App
