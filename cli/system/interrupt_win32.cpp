#include <windows.h>

#include <algorithm>
#include <cstring>

#include "cli/system/interrupt.h"

namespace Cli::Os {
namespace {

char interruptText[kLongestInterruptText];
DWORD interruptLength = 0;

// Runs on a thread the system starts for the event.
BOOL WINAPI OnInterrupt(DWORD event) {
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_ERROR_HANDLE), interruptText, interruptLength, &written,
                nullptr);
    ::ExitProcess(event == CTRL_C_EVENT ? 130 : 143);
    return TRUE;
}

}  // namespace

void WriteOnInterrupt(std::string_view text) {
    interruptLength = static_cast<DWORD>(std::min(text.size(), kLongestInterruptText));
    std::memcpy(interruptText, text.data(), interruptLength);
    ::SetConsoleCtrlHandler(OnInterrupt, TRUE);
}

}  // namespace Cli::Os
