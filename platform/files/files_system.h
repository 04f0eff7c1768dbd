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

// The hook SetReadRequestHook installed; empty when reads are plain.
Testing::ReadRequestHook& ReadRequestHookForTesting();

}  // namespace Platform
