#include "platform/system/os/text.h"

namespace System {

const char kLineEnd[] = "\n";

}  // namespace System
