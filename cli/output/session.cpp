#include "cli/output/session.h"
#include "platform/system/os/translation.h"

#include <cerrno>
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
    std::unique_lock<std::mutex> quiet;
    if (progress_ != nullptr && out_.IsTerminal()) {
        quiet = progress_->Quiet();  // both may be the same terminal
    }
    written_ = written_ || !text.empty();
    const int error = out_.Write(text);
    quiet = {};
    if (error != 0) {
        WriteError(error);
    }
    return error == 0;
}

bool Session::Finish() {
    const int error = out_.Close();
    if (error == EBADF && !written_) {
        return true;
    }
    if (error != 0) {
        WriteError(error);
    }
    return error == 0;
}

// The name is escaped without the leading backslash of a line of output (a
// backslash in the shown name already means it was escaped).
void Session::Complain(std::string_view name, std::string_view reason) {
    WriteMessage(EscapedName(name, NameStyle::kTerminal) + ": " + std::string(reason));
}

void Session::Warn(std::string_view message) {
    WriteMessage(std::string(message));
}

void Session::WriteError(int error) {
    WriteMessage(System::Filled(System::Tr("write error: {1}"), {std::strerror(error)}));
}

void Session::WriteMessage(const std::string& text) {
    std::unique_lock<std::mutex> quiet;
    if (progress_ != nullptr) {
        quiet = progress_->Quiet();
    }
    err_ << kProgram << ": " << text << "\n" << std::flush;
}

}  // namespace Cli
