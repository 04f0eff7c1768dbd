// Standard output of the command, written so that every failure is seen:
// each write goes straight to the system and its result is checked, and
// ending the output closes it and checks that too (a full disk or a network
// file system may report only then). The system's outputs are in
// output_posix.h and output_win32.h.
#pragma once

#include <cerrno>
#include <cstddef>
#include <string>
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

// Output kept in a string, for tests: it holds at most `capacity` bytes and
// a write that would go beyond fails with `error`, writing nothing, as a
// full device or a pipe whose reader has gone does; Close fails with
// `closeError` when that is not 0.
class StringOutput : public Output {
  public:
    StringOutput() = default;
    StringOutput(std::size_t capacity, int error, int closeError = 0)
        : capacity_(capacity), error_(error), closeError_(closeError) {}
    int Write(std::string_view text) override;
    int Close() override;

    bool IsTerminal() const override { return terminal_; }
    // Makes the output stand for a terminal.
    void ShowAsTerminal() noexcept { terminal_ = true; }

    const std::string& text() const noexcept { return text_; }
    bool closed() const noexcept { return closed_; }

  private:
    std::string text_;
    std::size_t capacity_ = std::string::npos;
    int error_ = ENOSPC;
    int closeError_ = 0;
    bool closed_ = false;
    bool terminal_ = false;
};

}  // namespace Cli
