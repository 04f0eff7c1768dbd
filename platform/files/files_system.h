// What the file services of both systems share (files.cpp): the buffer
// for a file's bytes, checked against the memory available, and the test
// hook every read request passes through.
#pragma once

#include <cstdint>
#include <string>

#include "platform/files/byte_buffer.h"
#include "platform/files/files.h"

namespace Platform {

// A buffer of `length` bytes, checked against the memory available when it
// is large enough for that to matter (kMemoryCheckThreshold). Throws
// PlatformError naming `path` when the memory cannot be had.
ByteBuffer AllocateBuffer(const std::string& path, std::int64_t length);

// `buffer`, full with the first bytes of the stream `name`, moved into one
// twice its size. Throws PlatformError naming the bytes read so far when
// the memory cannot be had: the stream's own size is not known.
ByteBuffer GrownBuffer(const std::string& name, const ByteBuffer& buffer);

// The hook SetReadRequestHook installed; empty when reads are plain.
Testing::ReadRequestHook& ReadRequestHookForTesting();

}  // namespace Platform
