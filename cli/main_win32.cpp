// tallix-report.exe: the file report on the command line, on Windows.
#include <windows.h>
// After windows.h, whose types it uses.
#include <shellapi.h>

#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

#include "cli/output_win32.h"
#include "cli/report_command.h"
#include "platform/os/text_win32.h"

namespace {

// The arguments after the program's name, from the UTF-16 command line,
// as UTF-8.
std::vector<std::string> Arguments() {
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 1; wide != nullptr && i < count; ++i) {
        args.push_back(Platform::Utf8Text(wide[i]));
    }
    ::LocalFree(wide);
    return args;
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
