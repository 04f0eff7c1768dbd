#include "cli/system/line_end.h"

namespace Cli::Os {

const char kLineEnd[] = "\n";

}  // namespace Cli::Os
