#include "platform/os/text.h"

namespace Platform {

const char kLineEnd[] = "\n";

}  // namespace Platform
