// The report's checksums without the whole file in memory, for
// tallix-report's streamed modes (--brief, --sfv, --check).
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/system/files/input_stream.h"
#include "platform/system/files/stream_read.h"
#include "window/report.h"

namespace Cli {

// The checksums and size of `filename` exactly as Window::MeasureFile finds them
// (the same bytes, errors and values, but that an empty file is opened too,
// so one that cannot be is an error), without timings (elapsed is zero)
// and without holding the file: it is read a piece at a time through a
// buffer of kStreamChunkBytes per thread, and the holes of a sparse file are
// folded in as zeroes without reading them. A file of at least
// kSplitFileBytes per part is split into up to `threads` parts, each read
// and checksummed on a thread of its own, and the parts' checksums joined.
// `bytesRead`, when not null, counts the bytes as they are read (holes too).
Window::FileReport ChecksumFile(const std::string& filename, unsigned threads = 1,
                                std::atomic<std::int64_t>* bytesRead = nullptr);

// The same for the file `file` opened (FileReader::Open) before.
Window::FileReport ChecksumOpenFile(System::FileReader& file, unsigned threads = 1,
                                    std::atomic<std::int64_t>* bytesRead = nullptr);

// The same for the open stream `input` (standard input, a pipe) read to
// its end, as Window::MeasureStream reads it, reported under `name`.
Window::FileReport ChecksumStream(System::InputStream input, const std::string& name,
                                  std::atomic<std::int64_t>* bytesRead = nullptr);

inline constexpr std::size_t kStreamChunkBytes = std::size_t{256} << 10;
inline constexpr std::int64_t kSplitFileBytes = std::int64_t{32} << 20;

}  // namespace Cli
