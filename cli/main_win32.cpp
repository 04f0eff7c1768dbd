// tallix-report.exe: the file report on the command line, on Windows.
#include <windows.h>
// After windows.h, whose types it uses.
#include <shellapi.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

#include "cli/output_win32.h"
#include "cli/report_command.h"
#include "cli/wildcards.h"
#include "platform/os/error.h"
#include "platform/os/text_win32.h"
#include "platform/os/walk.h"

namespace {

// The arguments after the program's name, from the UTF-16 command line,
// as UTF-8, as the system splits them.
std::vector<std::string> SystemArguments() {
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 1; wide != nullptr && i < count; ++i) {
        args.push_back(Platform::Utf8Text(wide[i]));
    }
    ::LocalFree(wide);
    return args;
}

// The names in `folder`, none when it cannot be read.
std::vector<std::string> NamesIn(const std::string& folder) {
    std::vector<std::string> names;
    try {
        for (const Platform::WalkEntry& entry : Platform::ListWalkEntries(folder)) {
            names.push_back(entry.name);
        }
    } catch (const Platform::PlatformError&) {
        names.clear();
    }
    return names;
}

// The arguments with their unquoted wildcards expanded (wildcards.h). Only
// the raw command line tells what was quoted; should its split ever differ
// from the system's, the system's arguments are taken as they are.
std::vector<std::string> Arguments() {
    const std::vector<std::string> args = SystemArguments();
    const std::vector<Cli::CommandLineArgument> split =
        Cli::SplitCommandLine(Platform::Utf8Text(::GetCommandLineW()));
    const bool same = std::equal(args.begin(), args.end(), split.begin(), split.end(),
                                 [](const std::string& arg, const Cli::CommandLineArgument& own) {
                                     return arg == own.text;
                                 });
    return same ? Cli::ExpandWildcards(split, NamesIn) : args;
}

// Standard error as a stream for the messages; a message that cannot be
// written has nowhere else to go, so failures are not reported.
class MessageBuffer : public std::streambuf {
  public:
    explicit MessageBuffer(Cli::Output& out) : out_(out) {}

  protected:
    int_type overflow(int_type c) override {
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            const char byte = traits_type::to_char_type(c);
            out_.Write(std::string_view(&byte, 1));
        }
        return traits_type::not_eof(c);
    }
    std::streamsize xsputn(const char* text, std::streamsize count) override {
        out_.Write(std::string_view(text, static_cast<std::size_t>(count)));
        return count;
    }

  private:
    Cli::Output& out_;
};

}  // namespace

int main() {
    Cli::HandleOutput errors(::GetStdHandle(STD_ERROR_HANDLE));
    MessageBuffer messageBuffer(errors);
    std::ostream err(&messageBuffer);
    const HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
    if (output == nullptr || output == INVALID_HANDLE_VALUE) {
        Cli::ClosedOutput closed;
        return Cli::RunReportCommand(Arguments(), closed, err, Platform::StandardInput());
    }
    Cli::HandleOutput out(output);
    return Cli::RunReportCommand(Arguments(), out, err, Platform::StandardInput());
}
