// Standard output and standard error on Windows: a HANDLE written with the
// bytes given, with no text-mode translation, so the report's CR LF stays
// exactly CR LF and UTF-8 stays UTF-8 in a file or a pipe. A console is
// written in UTF-16 (WriteConsoleW), so katakana show whatever the
// console's code page.
#pragma once

#include <string>

#include "cli/output/output.h"

namespace Cli {

class HandleOutput : public Output {
  public:
    // `handle` is a HANDLE; the output ends by closing it.
    explicit HandleOutput(void* handle);
    int Write(std::string_view text) override;
    int Close() override;
    bool IsTerminal() const override { return console_; }

  private:
    int WriteToConsole(std::string_view text);
    int WriteBytes(std::string_view text);

    void* handle_;
    bool console_;
    // The start of a UTF-8 sequence a console write ended in, completed by
    // the next write.
    std::string pending_;
};

// The errno value for the Windows error `code`, as Output reports failures:
// EPIPE for a pipe whose reader has gone, ENOSPC for a full disk, EBADF
// for a handle that is not open for writing, EIO for the rest.
int ErrnoForWindowsError(unsigned long code);

}  // namespace Cli
