#include "window/report.h"

#include "checksum/tallix.h"
#include "platform/system/files/files.h"
#include "platform/system/os/decimal_text.h"

namespace Window {
namespace {

constexpr char kLineBreak[] = "\r\n";

// Times the stages of one report, one after the other: each stage's
// milliseconds are the difference between its two readings (modulo 2^32,
// so a stage across the counter's wrap is still right).
class StageTimer {
  public:
    StageTimer(FileReport& report, const MillisecondClock& clock)
        : elapsed_(report.elapsed), clock_(clock) {}
    void Start(Stage stage) {
        stage_ = stage;
        start_ = clock_();
    }
    void End() { elapsed_[stage_] = System::ElapsedMilliseconds(start_, clock_()); }

  private:
    std::array<std::uint32_t, kStageCount>& elapsed_;
    const MillisecondClock& clock_;
    Stage stage_ = kFileStage;  // the stage running
    std::int32_t start_ = 0;    // the reading it started at
};

// The CRC-32 and CRC-16 stages over the bytes the file stage read into the
// program's own array. Empty input shows the engine's checksums of no bytes
// without computing any, so its tables stay unfilled.
void MeasureChecksums(FileReport& report, StageTimer& timer,
                      std::span<const std::uint8_t> fileBytes) {
    const bool empty = report.fileLength == 0;
    timer.Start(kCRC32Stage);
    report.crc32 =
        Tallix::CRC32Text(empty ? Tallix::kCRC32OfNothing : Tallix::CRC32Value(fileBytes));
    timer.End();

    timer.Start(kCRC16Stage);
    report.crc16 =
        Tallix::CRC16Text(empty ? Tallix::kCRC16OfNothing : Tallix::CRC16Value(fileBytes));
    timer.End();
}

// Times `read` as the file stage and the checksums of the bytes it returned
// as the other two.
template <typename Read>
FileReport Measure(const std::string& filename, const MillisecondClock& clock, Read read) {
    FileReport report{filename, 0, {}, {}, {}};
    StageTimer timer(report, clock);

    timer.Start(kFileStage);
    const std::span<const std::uint8_t> fileBytes = read();
    report.fileLength = static_cast<std::int64_t>(fileBytes.size());
    timer.End();

    MeasureChecksums(report, timer, fileBytes);
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
    std::string text = report.filename + "(" + DecimalText(report.fileLength) + "バイト)";
    text += kLineBreak;
    text += "CRC32 - " + report.crc32 + kLineBreak;
    text += "CRC16 - " + report.crc16 + kLineBreak;
    text += "ファイルオープン - " + DecimalText(report.elapsed[kFileStage]) + "ms , CRC32 - " +
            DecimalText(report.elapsed[kCRC32Stage]) + "ms , CRC16 - " +
            DecimalText(report.elapsed[kCRC16Stage]) + "ms";
    return text;
}

}  // namespace Window
