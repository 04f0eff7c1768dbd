// tallix-report.exe: the file report on the command line, on Windows.
#include <windows.h>

#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

#include "cli/output/output_win32.h"
#include "cli/report_command.h"
#include "cli/system/walk.h"
#include "cli/walk/wildcards.h"
#include "platform/system/os/command_line.h"
#include "platform/system/os/error.h"

namespace {

// The entries of `folder`, none when it cannot be read.
std::vector<Cli::FolderEntry> EntriesIn(const std::string& folder) {
    std::vector<Cli::FolderEntry> entries;
    try {
        for (Cli::Os::WalkEntry& entry : Cli::Os::ListWalkEntries(folder)) {
            entries.push_back(
                {std::move(entry.name), entry.kind != Cli::Os::WalkEntry::Kind::kFile});
        }
    } catch (const System::PlatformError&) {
        entries.clear();
    }
    return entries;
}

std::vector<std::string> ExpandedNames(const std::vector<std::string>& names, bool walkFolders) {
    return Cli::ExpandWildcards(names, EntriesIn, walkFolders);
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
    const std::vector<std::string> args = System::ProgramArguments();
    if (output == nullptr || output == INVALID_HANDLE_VALUE) {
        Cli::ClosedOutput closed;
        return Cli::RunReportCommand(args, closed, err, System::StandardInput(), false,
                                     ExpandedNames);
    }
    Cli::HandleOutput out(output);
    return Cli::RunReportCommand(args, out, err, System::StandardInput(), false, ExpandedNames);
}
