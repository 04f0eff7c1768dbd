// Standard output of the command, written so that every failure is seen:
// each write goes straight to the system and its result is checked, and
// ending the output closes it and checks that too (a full disk or a network
// file system may report only then). The system's outputs are in
// output_posix.h and output_win32.h.
#pragma once

#include <cerrno>
#include <string_view>

namespace Cli {

class Output {
  public:
    virtual ~Output() = default;
    // Writes all of `text`; returns 0, or the errno value of the failure.
    virtual int Write(std::string_view text) = 0;
    // Ends the output after the last write; returns 0, or the errno value
    // of the failure.
    virtual int Close() = 0;
    // Whether the output is shown on a terminal (names are then escaped so
    // that none can act on it).
    virtual bool IsTerminal() const { return false; }
    // 0 when the output may be written; the errno value of every write
    // otherwise, known before anything is read.
    virtual int OpenError() const { return 0; }
};

// An output that was not open for writing: every write and the close fail
// with EBADF, as they would on the descriptor.
class ClosedOutput : public Output {
  public:
    int Write(std::string_view) override { return EBADF; }
    int Close() override { return EBADF; }
    int OpenError() const override { return EBADF; }
};
}  // namespace Cli
