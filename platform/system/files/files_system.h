// What the file services of both systems share (files.cpp): the buffer
// for a file's bytes, checked against the memory available, and the
// whole-file reads into pages kept from before.
#pragma once

#include <cstdint>
#include <string>

#include "platform/system/files/byte_buffer.h"
#include "platform/system/files/files.h"

namespace System {

// A buffer of `length` bytes, checked against the memory available when it
// is large enough for that to matter (kMemoryCheckThreshold). Throws
// PlatformError naming `path` when the memory cannot be had. With `kept`
// (a ReportArray's pages), a length from ByteBuffer::kMappedThreshold up
// takes those pages when they are enough, with no check, as they are the
// process's already; when they are not, they are released before the
// check, and the new pages are the buffer's.
ByteBuffer AllocateBuffer(const std::string& path, std::int64_t length, ByteBuffer* kept = nullptr);

// Puts a buffer taken from `kept` back there if the read into it fails, so
// a failed report leaves the kept pages kept.
class KeepOnFailure {
  public:
    KeepOnFailure(ByteBuffer& buffer, ByteBuffer* kept) noexcept;
    ~KeepOnFailure();
    KeepOnFailure(const KeepOnFailure&) = delete;
    KeepOnFailure& operator=(const KeepOnFailure&) = delete;

  private:
    ByteBuffer& buffer_;
    ByteBuffer* kept_;
    int exceptions_;
};

// ReadFileContent and ReadWholeFile reading into `kept`'s pages when they
// are enough (AllocateBuffer); null: fresh memory, as the public ones.
ByteBuffer ReadFileContent(const std::string& path, ByteBuffer* kept,
                           const ReadRequestSize& requests);
ByteBuffer ReadWholeFile(const std::string& path, std::int64_t length, ByteBuffer* kept,
                         const ReadRequestSize& requests);

// `buffer`, full with the first bytes of the stream `name`, moved into one
// twice its size. Throws PlatformError naming the bytes read so far when
// the memory cannot be had: the stream's own size is not known.
ByteBuffer GrownBuffer(const std::string& name, const ByteBuffer& buffer);

}  // namespace System
