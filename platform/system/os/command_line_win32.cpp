#include <windows.h>
// After windows.h, whose types it uses.
#include <shellapi.h>

#include "platform/system/os/command_line.h"
#include "platform/system/os/text_win32.h"

namespace System {

std::vector<std::string> ProgramArguments() {
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 1; wide != nullptr && i < count; ++i) {
        args.push_back(Utf8Text(wide[i]));
    }
    ::LocalFree(wide);
    return ArgumentsAsMeant(std::move(args), Utf8Text(::GetCommandLineW()));
}

}  // namespace System
