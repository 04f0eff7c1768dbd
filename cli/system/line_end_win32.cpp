#include "cli/system/line_end.h"

namespace Cli::Os {

const char kLineEnd[] = "\r\n";

}  // namespace Cli::Os
