#include "window/report.h"

#include "checksum/tallix.h"
#include "platform/os/decimal_text.h"
#include "platform/os/files.h"

namespace Window {
namespace {

constexpr char kLineBreak[] = "\r\n";

}  // namespace

FileReport MeasureFile(const std::string& filename, const MillisecondClock& clock) {
    FileReport report{filename, 0, {}, {}, {}};
    // A stage's slot holds its start reading until the stage ends, then the
    // milliseconds between the two readings (modulo 2^32, so a stage across
    // the counter's wrap is still right).
    const auto startStage = [&](std::size_t slot) {
        report.Elapsed[slot] = static_cast<std::uint32_t>(clock());
    };
    const auto endStage = [&](std::size_t slot) {
        const auto start = static_cast<std::int32_t>(report.Elapsed[slot]);
        report.Elapsed[slot] = Platform::ElapsedMilliseconds(start, clock());
    };

    startStage(0);
    report.FileLength = Platform::QueryFileLength(filename);
    Platform::ByteBuffer FileBytes;
    if (report.FileLength >= 1) {
        FileBytes = Platform::ReadWholeFile(filename, report.FileLength);
    }
    endStage(0);

    // An empty file shows the checksums of empty input without touching the
    // engine, so its tables stay unfilled.
    startStage(1);
    report.crc32 = report.FileLength != 0 ? Tallix::CalcCRC32(FileBytes.bytes()) : "00000000";
    endStage(1);

    startStage(2);
    report.crc16 = report.FileLength != 0 ? Tallix::CalcCRC16(FileBytes.bytes()) : "FFFF";
    endStage(2);
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
