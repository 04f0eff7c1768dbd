#include "window/report.h"

#include "checksum/tallix.h"
#include "platform/system/files/files.h"
#include "platform/system/os/decimal_text.h"

namespace Window {
namespace {

constexpr char kLineBreak[] = "\r\n";

// Times the stages of one report. A stage's slot holds its start reading
// until the stage ends, then the milliseconds between the two readings
// (modulo 2^32, so a stage across the counter's wrap is still right).
class StageTimer {
  public:
    StageTimer(FileReport& report, const MillisecondClock& clock)
        : Elapsed(report.Elapsed), clock_(clock) {}
    void Start(std::size_t slot) { Elapsed[slot] = static_cast<std::uint32_t>(clock_()); }
    void End(std::size_t slot) {
        Elapsed[slot] =
            System::ElapsedMilliseconds(static_cast<std::int32_t>(Elapsed[slot]), clock_());
    }

  private:
    std::array<std::uint32_t, 3>& Elapsed;
    const MillisecondClock& clock_;
};

// The CRC-32 and CRC-16 stages over the bytes the file stage read into the
// program's own array. Empty input shows the checksums of empty input
// without touching the engine, so its tables stay unfilled.
void MeasureChecksums(FileReport& report, StageTimer& timer,
                      std::span<const std::uint8_t> FileBytes) {
    timer.Start(1);
    report.crc32 = report.FileLength != 0 ? Tallix::CalcCRC32(FileBytes) : "00000000";
    timer.End(1);

    timer.Start(2);
    report.crc16 = report.FileLength != 0 ? Tallix::CalcCRC16(FileBytes) : "FFFF";
    timer.End(2);
}

// Times `read` as the file stage and the checksums of the bytes it returned
// as the other two.
template <typename Read>
FileReport Measure(const std::string& filename, const MillisecondClock& clock, Read read) {
    FileReport report{filename, 0, {}, {}, {}};
    StageTimer timer(report, clock);

    timer.Start(0);
    const std::span<const std::uint8_t> FileBytes = read();
    report.FileLength = static_cast<std::int64_t>(FileBytes.size());
    timer.End(0);

    MeasureChecksums(report, timer, FileBytes);
    return report;
}

}  // namespace

FileReport MeasureFile(const std::string& filename, const MillisecondClock& clock) {
    System::ReportArray array;
    return MeasureFile(filename, array, clock);
}

// The array's pages are handed back after the last timing, outside every
// stage, as freeing them always was.
FileReport MeasureFile(const std::string& filename, System::ReportArray& array,
                       const MillisecondClock& clock) {
    FileReport report = Measure(filename, clock, [&] { return array.Read(filename); });
    array.Discard();
    return report;
}

FileReport MeasureStream(System::InputStream input, const std::string& name,
                         const MillisecondClock& clock) {
    System::ByteBuffer bytes;
    return Measure(name, clock, [&] {
        bytes = System::ReadToEnd(input, name);
        return std::span<const std::uint8_t>(bytes.bytes());
    });
}

FileReport MeasureRead(const std::string& name,
                       const std::function<std::vector<std::uint8_t>()>& read,
                       const MillisecondClock& clock) {
    std::vector<std::uint8_t> bytes;
    return Measure(name, clock, [&] {
        bytes = read();
        return std::span<const std::uint8_t>(bytes);
    });
}

std::string ReportText(const FileReport& report) {
    using System::DecimalText;
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
