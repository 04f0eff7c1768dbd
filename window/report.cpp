#include "window/report.h"

#include "checksum/tallix.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/text.h"

namespace Window {
namespace {

constexpr char kLineBreak[] = "\r\n";

// Ends a stage that began at the reading `start`, across a wrap of the
// counter too.
std::uint32_t StageMilliseconds(std::int32_t start) {
    return Platform::ElapsedMilliseconds(start, Platform::timeGetTime());
}

}  // namespace

FileReport MeasureFile(const std::string& filename) {
    FileReport report{filename, 0, {}, {}, {}};

    const std::int32_t fileStart = Platform::timeGetTime();
    report.FileLength = Platform::QueryFileLength(filename);
    Platform::ByteBuffer FileBytes;
    if (report.FileLength >= 1) {
        FileBytes = Platform::ReadWholeFile(filename, report.FileLength);
    }
    report.Elapsed[0] = StageMilliseconds(fileStart);

    // An empty file shows the checksums of empty input without touching the
    // engine, so its tables stay unfilled.
    const std::int32_t crc32Start = Platform::timeGetTime();
    report.crc32 = report.FileLength != 0 ? Tallix::CalcCRC32(FileBytes.bytes()) : "00000000";
    report.Elapsed[1] = StageMilliseconds(crc32Start);

    const std::int32_t crc16Start = Platform::timeGetTime();
    report.crc16 = report.FileLength != 0 ? Tallix::CalcCRC16(FileBytes.bytes()) : "FFFF";
    report.Elapsed[2] = StageMilliseconds(crc16Start);
    return report;
}

std::string ReportText(const FileReport& report) {
    using Platform::DecimalText;
    std::string text = report.filename + "(" + DecimalText(report.FileLength) + "バイト)";
    text += kLineBreak;
    text += "CRC32 - " + report.crc32 + kLineBreak;
    text += "CRC16 - " + report.crc16 + kLineBreak;
    text += "ファイルオープン - " + DecimalText(report.Elapsed[0]) + "ms , CRC32 - " +
            DecimalText(report.Elapsed[1]) + "ms , CRC16 - " + DecimalText(report.Elapsed[2]) +
            "ms";
    return text;
}

}  // namespace Window
