#include "platform/system/os/text.h"

namespace Platform {

const char kLineEnd[] = "\n";

}  // namespace Platform
