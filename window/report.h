// The file checksum report: measuring a file and the four-line text shown
// for it. Needs no window, so any front end can print the same report.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/system/files/files.h"
#include "platform/system/files/input_stream.h"
#include "platform/system/os/clock.h"

namespace Window {

// The stages a report times, in the order they run: the file stage (length
// query and read), then the CRC-32 and the CRC-16.
enum Stage : std::size_t { kFileStage, kCRC32Stage, kCRC16Stage, kStageCount };

// What one measurement of a file found.
struct FileReport {
    std::string filename;  // the path exactly as given
    // Bytes: the file's size, or for a file whose size says nothing of its
    // content (on /proc, /sys and the like) the bytes read from it.
    std::int64_t fileLength;
    std::string crc32;  // 8 upper-case hex digits
    std::string crc16;  // 4 upper-case hex digits
    // Milliseconds each stage took, indexed by Stage.
    std::array<std::uint32_t, kStageCount> elapsed;
};

// A source of millisecond readings, timeGetTime unless a test injects one.
using MillisecondClock = std::function<std::int32_t()>;

// Reads `filename` whole into the program's own array and closes it
// (System::ReadFileContent), then computes both checksums over that
// array, timing each stage between two readings of `clock`. A zero-length
// file on an ordinary file system is never opened and its checksums are the
// values for empty input; a file on a kernel pseudo file system is read to
// its end. Throws System::PlatformError when the path is not a regular
// file, cannot be queried or read, shrank before it was read, or does not
// fit in memory.
FileReport MeasureFile(const std::string& filename,
                       const MillisecondClock& clock = System::timeGetTime);

// The same, reading into `array`, whose pages are kept for the next report
// once this one is done with them (the window's clicks, a full report over
// several files).
FileReport MeasureFile(const std::string& filename, System::ReportArray& array,
                       const MillisecondClock& clock = System::timeGetTime);

// Reads the open stream `input` (standard input, a pipe) to its end and
// measures the bytes read as MeasureFile measures a file, reporting them
// under `name`. Throws System::PlatformError when the read fails or the
// data does not fit in memory.
FileReport MeasureStream(System::InputStream input, const std::string& name,
                         const MillisecondClock& clock = System::timeGetTime);

// Measures the bytes `read` returns as MeasureFile measures a file's, the
// call to `read` timed as the file stage; reported under `name`.
FileReport MeasureRead(const std::string& name,
                       const std::function<std::vector<std::uint8_t>()>& read,
                       const MillisecondClock& clock = System::timeGetTime);

// The report's four lines, separated by CR LF, with none after the last:
//   <path>(<length>バイト)
//   CRC32 - <8 hex digits>
//   CRC16 - <4 hex digits>
//   ファイルオープン - <ms>ms , CRC32 - <ms>ms , CRC16 - <ms>ms
// Texts are UTF-8; the path's bytes are copied as they are.
std::string ReportText(const FileReport& report);

}  // namespace Window
