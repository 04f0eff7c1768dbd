#include "cli/session.h"

#include <cstring>

namespace Cli {
namespace {

constexpr std::string_view kProgram = "tallix-report";

}  // namespace

bool Session::OutputOpen() {
    const int error = out_.OpenError();
    if (error != 0) {
        WriteError(error);
    }
    return error == 0;
}

bool Session::Print(std::string_view text) {
    const int error = out_.Write(text);
    if (error != 0) {
        WriteError(error);
    }
    return error == 0;
}

bool Session::Finish() {
    const int error = out_.Close();
    if (error != 0) {
        WriteError(error);
    }
    return error == 0;
}

// The name is escaped without the leading backslash of a line of output (a
// backslash in the shown name already means it was escaped).
void Session::Complain(std::string_view name, std::string_view reason) {
    err_ << kProgram << ": " << EscapedName(name, NameStyle::kTerminal) << ": " << reason << "\n"
         << std::flush;
}

void Session::Warn(std::string_view message) {
    err_ << kProgram << ": " << message << "\n" << std::flush;
}

void Session::WriteError(int error) {
    err_ << kProgram << ": write error: " << std::strerror(error) << "\n" << std::flush;
}

}  // namespace Cli
