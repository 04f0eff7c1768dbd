#include "cli/family/family_report.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "checksum/crc16_family.h"
#include "checksum/tallix.h"
#include "cli/jobs/ordered_jobs.h"
#include "cli/measure/measure.h"
#include "cli/measure/range_reading.h"
#include "cli/system/hardware.h"
#include "cli/walk/walk.h"
#include "platform/system/files/stream_read.h"
#include "platform/system/os/decimal_text.h"
#include "platform/system/os/error.h"
#include "platform/system/os/translation.h"

namespace Cli {
namespace {

using Tallix::CRC16Variant;

// What one file gave: the checksums of its range, without the appended CRC,
// and that CRC's bytes.
struct Sums {
    Tallix::CRC16FamilySums crc16;
    std::uint32_t crc32 = Tallix::kCRC32OfNothing;
    std::vector<std::uint8_t> tail;
};

struct Measured {
    std::optional<Sums> sums;
    std::string error;  // when there are none
};

Measured Measure(const MeasureTarget& target, System::InputStream input, const Options& options,
                 std::atomic<std::int64_t>* counter) {
    try {
        System::FileReader reader = OpenTarget(target, input);
        Sums sums;
        const std::size_t tail =
            options.family == FamilyMode::kAppended ? options.appendedBytes : 0;
        sums.tail = ReadRange(
            reader, options.range, tail,
            [&sums](std::span<const std::uint8_t> piece) {
                sums.crc16 = Tallix::ExtendCRC16Family(sums.crc16, piece);
                sums.crc32 = Tallix::ExtendCRC32(sums.crc32, piece);
            },
            counter);
        return {std::move(sums), {}};
    } catch (const System::PlatformError& error) {
        return {std::nullopt, error.reason()};
    } catch (const std::exception& error) {
        return {std::nullopt, error.what()};
    }
}

std::uint16_t Swapped(std::uint16_t value) {
    return static_cast<std::uint16_t>(value << 8 | value >> 8);
}

std::uint32_t Swapped(std::uint32_t value) {
    return std::uint32_t{Swapped(static_cast<std::uint16_t>(value))} << 16 |
           Swapped(static_cast<std::uint16_t>(value >> 16));
}

std::string Named(const CRC16Variant& variant) {
    std::string name = "CRC-16/" + std::string(variant.name);
    return variant.alias.empty() ? name : name + " (" + std::string(variant.alias) + ")";
}

// The start of a line about `name` in `style`.
std::string NameOnLine(const std::string& name, NameStyle style) {
    return std::string(LineStart(name, style)) + EscapedName(name, style);
}

// --crc16-family: the file's name and size, then a line for each member:
// its value and the value with its two bytes swapped.
std::string ListText(const std::string& name, const Sums& sums, NameStyle style, bool first) {
    std::string text = first ? "" : "\n";
    text += NameOnLine(name, style) + " (" + System::DecimalText(sums.crc16.length) + " bytes)\n";
    std::size_t longest = 0;
    for (const CRC16Variant& variant : Tallix::CRC16Family()) {
        longest = std::max(longest, variant.name.size());
    }
    for (const CRC16Variant& variant : Tallix::CRC16Family()) {
        const std::uint16_t value = Tallix::CRC16VariantValue(variant, sums.crc16);
        std::string label = "CRC-16/" + std::string(variant.name);
        label.resize(std::string_view("CRC-16/").size() + longest + 2, ' ');
        text += "  " + label + Tallix::CRC16Text(value) + "  swapped " +
                Tallix::CRC16Text(Swapped(value)) +
                (variant.alias.empty() ? "" : "  (" + std::string(variant.alias) + ")") + "\n";
    }
    return text;
}

// --identify: a line for each CRC that gives `sought`, as it is or with its
// bytes swapped; empty when none does.
std::string IdentifyText(const std::string& name, const Sums& sums, std::uint32_t sought,
                         NameStyle style) {
    std::string text;
    const auto found = [&](const std::string& crc, std::uint32_t value, std::uint32_t swapped,
                           const std::string& valueText) {
        if (value == sought) {
            text += NameOnLine(name, style) + ": " + crc + " = " + valueText + "\n";
        } else if (swapped == sought) {
            text += NameOnLine(name, style) + ": " + crc + " = " + valueText + ", bytes swapped\n";
        }
    };
    for (const CRC16Variant& variant : Tallix::CRC16Family()) {
        const std::uint16_t value = Tallix::CRC16VariantValue(variant, sums.crc16);
        found(Named(variant), value, Swapped(value), Tallix::CRC16Text(value));
    }
    found("CRC-32", sums.crc32, Swapped(sums.crc32), Tallix::CRC32Text(sums.crc32));
    return text;
}

// The value held in `bytes`, in the byte order asked for.
std::uint32_t StoredValue(const std::vector<std::uint8_t>& bytes, bool bigEndian) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        value = value << 8 | bytes[bigEndian ? i : bytes.size() - 1 - i];
    }
    return value;
}

// A CRC's bytes in its own order: least significant first for a reflected
// CRC, most significant first otherwise. Run over data and then these
// bytes, the CRC ends at a value the data does not change, its residue.
std::vector<std::uint8_t> InItsOrder(std::uint32_t value, std::size_t count, bool reflected) {
    std::vector<std::uint8_t> bytes(count);
    for (std::size_t i = 0; i < count; ++i) {
        bytes[reflected ? i : count - 1 - i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
    return bytes;
}

// One CRC's verdict on an appended value.
struct Verdict {
    std::string crc;         // its name
    std::uint32_t value;     // over the data before the appended bytes
    bool reflected;          // its own byte order is little-endian
    std::uint32_t residue;   // over the data and the appended bytes
    std::uint32_t expected;  // the residue a correct CRC leaves
};

std::vector<Verdict> Verdicts(const Sums& sums, std::size_t width) {
    std::vector<Verdict> verdicts;
    if (width == 4) {
        const std::uint32_t nothing = Tallix::kCRC32OfNothing;
        verdicts.push_back({"CRC-32", sums.crc32, true, Tallix::ExtendCRC32(sums.crc32, sums.tail),
                            Tallix::ExtendCRC32(nothing, InItsOrder(nothing, 4, true))});
        return verdicts;
    }
    for (const CRC16Variant& variant : Tallix::CRC16Family()) {
        const auto valueOver = [&variant](const Tallix::CRC16FamilySums& over) {
            return Tallix::CRC16VariantValue(variant, over);
        };
        const Tallix::CRC16FamilySums none;
        verdicts.push_back({Named(variant), valueOver(sums.crc16), variant.reflected,
                            valueOver(Tallix::ExtendCRC16Family(sums.crc16, sums.tail)),
                            valueOver(Tallix::ExtendCRC16Family(
                                none, InItsOrder(valueOver(none), 2, variant.reflected)))});
    }
    return verdicts;
}

// --appended: a line for each CRC whose value is the one stored, checked by
// its residue too where the stored order is the CRC's own. Empty when none
// is; `failed` set when a residue disagrees.
std::string AppendedText(const std::string& name, const Sums& sums, const Options& options,
                         NameStyle style, bool& failed) {
    const std::size_t width = options.appendedBytes;
    const std::uint32_t stored = StoredValue(sums.tail, options.appendedBigEndian);
    const auto hex = [width](std::uint32_t value) {
        return width == 4 ? Tallix::CRC32Text(value)
                          : Tallix::CRC16Text(static_cast<std::uint16_t>(value));
    };
    const std::string order = options.appendedBigEndian ? "big-endian" : "little-endian";
    std::string text;
    for (const Verdict& verdict : Verdicts(sums, width)) {
        if (verdict.value != stored) {
            continue;
        }
        text += NameOnLine(name, style) + ": " + verdict.crc;
        if (verdict.reflected == options.appendedBigEndian) {
            text += " OK: stored " + hex(stored) + " " + order +
                    ", by value (its residue needs the other byte order)";
        } else if (verdict.residue == verdict.expected) {
            text += " OK: stored " + hex(stored) + " " + order + ", by value and by residue";
        } else {
            failed = true;
            text += " FAILED: stored " + hex(stored) + " matches by value, but the residue is " +
                    hex(verdict.residue) + ", not " + hex(verdict.expected);
        }
        if (verdict.crc.starts_with("CRC-16/IBM-SDLC")) {
            text += "; this is the CRC-16/MCRF4XX with the final inversion applied";
        }
        text += "\n";
    }
    return text;
}

// Why no CRC matched the appended one.
std::string AppendedMismatch(const Sums& sums, const Options& options) {
    const bool crc32 = options.appendedBytes == 4;
    const std::uint32_t stored = StoredValue(sums.tail, options.appendedBigEndian);
    return System::Filled(
        crc32 ? System::Tr("the appended CRC-32 {1} (read {2}) is not the CRC-32 of the {3} "
                           "bytes before it")
              : System::Tr("the appended CRC-16 {1} (read {2}) is not the CRC of any member "
                           "of the family of the {3} bytes before it"),
        {crc32 ? Tallix::CRC32Text(stored) : Tallix::CRC16Text(static_cast<std::uint16_t>(stored)),
         options.appendedBigEndian ? System::Tr("big-endian") : System::Tr("little-endian"),
         System::DecimalText(sums.crc16.length)});
}

// What one file gives in the mode `options` asks for: the text to print,
// and when it failed, why (said on standard error, unless the text does).
struct Outcome {
    std::string text;
    bool failed = false;
    std::string complaint;
};

Outcome FileOutcome(const std::string& name, const Sums& sums, const Options& options,
                    NameStyle style, bool first) {
    Outcome outcome;
    switch (options.family) {
        case FamilyMode::kIdentify:
            outcome.text = IdentifyText(name, sums, options.identify, style);
            if (outcome.text.empty()) {
                const std::string sought =
                    options.identify > 0xFFFF
                        ? Tallix::CRC32Text(options.identify)
                        : Tallix::CRC16Text(static_cast<std::uint16_t>(options.identify));
                outcome.complaint = System::Filled(
                    System::Tr("no CRC-16 of the family nor the CRC-32 gives {1}, in either "
                               "byte order"),
                    {sought});
            }
            break;
        case FamilyMode::kAppended:
            outcome.text = AppendedText(name, sums, options, style, outcome.failed);
            if (outcome.text.empty()) {
                outcome.complaint = AppendedMismatch(sums, options);
            }
            break;
        case FamilyMode::kList:
        case FamilyMode::kNone:
            outcome.text = ListText(name, sums, style, first);
    }
    outcome.failed = outcome.failed || !outcome.complaint.empty();
    return outcome;
}

}  // namespace

int ReportFamily(const Options& options, System::InputStream input, Session& session) {
    FileWalk walk(options, input);
    // The first thing found chooses the jobs; then the rest as they are found.
    std::optional<Found> ahead = walk.Next();
    const unsigned jobs =
        Cli::Os::JobsTheMemoryAllows(options.jobs != 0        ? options.jobs
                                     : ahead && ahead->target ? DefaultJobs(*ahead->target)
                                                              : Cli::Os::UsableCPUs());
    const auto next = [&] { return ahead ? std::exchange(ahead, std::nullopt) : walk.Next(); };
    int status = kAllReported;
    Progress* const progress = session.progress();
    bool first = true;
    const bool written = OrderedJobs(jobs).RunInOrder(
        next,
        [&](const Found& found) {
            return found.target ? Measure(*found.target, input, options,
                                          progress != nullptr ? &progress->bytes : nullptr)
                                : Measured{};
        },
        [&](Found found, Measured measured) {
            if (!found.target) {
                session.Complain(found.name, found.reason);  // in the walk's order
                status = std::max(status, found.status);
                return true;
            }
            if (progress != nullptr) {
                ++progress->files;
            }
            const std::string& name = found.target->name;
            const Outcome outcome = measured.sums ? FileOutcome(name, *measured.sums, options,
                                                                session.OutputStyle(), first)
                                                  : Outcome{{}, true, measured.error};
            if (outcome.failed) {
                status = std::max(status, kSomeFailed);
            }
            if (!outcome.complaint.empty()) {
                session.Complain(name, outcome.complaint);
            }
            first = first && outcome.text.empty();
            return outcome.text.empty() || session.Print(outcome.text);
        },
        [&] { return ahead.has_value() || walk.Ready(); });
    if (!written || !session.Finish()) {
        return kSomeFailed;
    }
    return status;
}

}  // namespace Cli
