// A list held whole in memory, read as the program reads one a line at a
// time: for the list parser's tests and the list fuzz target.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "cli/lists/check_list.h"

namespace TestSupport {

// The lines of `text`, without their '\n'. A last line without one is a
// line too; nothing follows a final '\n'.
std::vector<std::string_view> SplitLines(std::string_view text);

// Every line of the list `text` named `listPath`, in order (line N is
// element N - 1), fed to a ListParser one at a time; lines held back and
// found malformed are marked so.
std::vector<Cli::ListLine> ParseList(std::string_view text, const std::string& listPath = {});

}  // namespace TestSupport
