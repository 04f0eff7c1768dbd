// tallix-report: the file report on the command line.
#include <iostream>
#include <string>
#include <vector>

#include "cli/report_command.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    return Cli::RunReportCommand(args, std::cout, std::cerr);
}
