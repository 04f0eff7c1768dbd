#include "cli/lists/list_decoder.h"

#include <algorithm>
#include <stdexcept>

#include "platform/system/os/translation.h"
#include "platform/system/os/unicode_text.h"

namespace Cli {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";

// The UTF-8 sequence at `at` of `text`: its length when whole and valid
// (no overlong form, no surrogate, nothing beyond U+10FFFF), 0 when it is
// not UTF-8, -1 when it is cut short by the end of `text`.
int SequenceAt(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) {
        return 1;
    }
    int length = 0;
    unsigned char low = 0x80;  // the range of the byte after the lead
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    for (int i = 1; i < length; ++i) {
        if (at + static_cast<std::size_t>(i) >= text.size()) {
            return -1;
        }
        const unsigned char next = byte(static_cast<std::size_t>(i));
        if (i == 1 ? (next < low || next > high) : (next & 0xC0) != 0x80) {
            return 0;
        }
    }
    return length;
}

// How many of the first bytes of a text tell whether it is UTF-16: up to
// the first line end of UTF-16 of either order ("0A 00" at an even place,
// "00 0A" at an odd one), or kSample bytes, or the end; npos while more
// bytes may change that. A line feed with no NUL before it ends the sample
// there, so that a first line is never held back waiting for the next to
// be written, and the text is told the same however it is cut.
std::size_t SampleEnd(std::string_view start, bool atEnd) {
    constexpr std::size_t kSample = 4096;
    bool nul = false;
    for (std::size_t at = 0; at < std::min(start.size(), kSample); ++at) {
        if (start[at] == '\0') {
            nul = true;
            continue;
        }
        if (start[at] != '\n') {
            continue;
        }
        if (at % 2 == 1 && start[at - 1] == '\0') {
            return at + 1;
        }
        if (at % 2 == 0 && at + 1 == start.size() && !atEnd) {
            // Its other half may be a NUL still to come.
            return nul ? std::string_view::npos : at;
        }
        if (at % 2 == 0 && at + 1 < start.size() && start[at + 1] == '\0') {
            return at + 2;
        }
        if (!nul) {
            return at + 1;
        }
    }
    return atEnd || start.size() >= kSample ? std::min(start.size(), kSample)
                                            : std::string_view::npos;
}

// The name the system knows an encoding by. The Shift_JIS family is read
// as code page 932, whose 0x5C is the backslash of the paths in lists
// written on Windows (strict Shift_JIS makes it a yen sign).
std::string SystemEncodingName(const std::string& encoding) {
    const std::string folded = System::FoldedEncodingName(encoding);
    for (const std::string_view name :
         {"shiftjis", "sjis", "mskanji", "csshiftjis", "windows31j", "cp932"}) {
        if (folded == name) {
            return "CP932";
        }
    }
    return encoding;
}

}  // namespace

bool ListDecoder::KnowsEncoding(const std::string& name) {
    const std::string folded = System::FoldedEncodingName(name);
    return !name.empty() &&
           (folded == "utf8" || folded == "utf16" || folded == "utf16le" || folded == "utf16be" ||
            Cli::Os::DecoderFor(SystemEncodingName(name)) != nullptr);
}

ListDecoder::ListDecoder(const std::string& encoding, bool nulSeparated)
    : nulSeparated_(nulSeparated) {
    if (encoding.empty()) {
        return;
    }
    const std::string folded = System::FoldedEncodingName(encoding);
    if (folded == "utf8") {
        requested_ = Requested::kUtf8;  // its mark is still dropped
    } else if (folded == "utf16") {
        requested_ = Requested::kUtf16;  // its mark or its NULs tell the order
    } else if (folded == "utf16le" || folded == "utf16be") {
        bigEndian_ = folded == "utf16be";
        requested_ = bigEndian_ ? Requested::kUtf16Be : Requested::kUtf16Le;
    } else if ((system_ = Cli::Os::DecoderFor(SystemEncodingName(encoding)))) {
        requested_ = Requested::kSystem;
        Decide(Mode::kSystem, encoding);
    } else {
        throw std::invalid_argument(
            System::Filled(System::Tr("unknown encoding '{1}'"), {encoding}));
    }
}

void ListDecoder::Decide(Mode mode, std::string name) {
    mode_ = mode;
    name_ = std::move(name);
}

// Tells the encoding from the bytes held so far, or waits for more while
// they could still be the start of a byte-order mark or of a first UTF-16
// character; `atEnd` when no more will come.
void ListDecoder::DecideFromStart(bool atEnd) {
    const std::string_view start = pending_;
    const auto mayBecome = [&](std::string_view mark) {
        return !atEnd && start.size() < mark.size() && mark.starts_with(start);
    };
    const auto dropMark = [&](std::string_view mark) {
        const bool marked = start.starts_with(mark);
        if (marked) {
            pending_.erase(0, mark.size());
        }
        return marked;
    };
    if (requested_ == Requested::kUtf16Le || requested_ == Requested::kUtf16Be) {
        const std::string_view own = bigEndian_ ? kUtf16BeMark : kUtf16LeMark;
        if (dropMark(own) || !mayBecome(own)) {
            Decide(Mode::kUtf16, bigEndian_ ? "UTF-16BE" : "UTF-16LE");
        }
        return;
    }
    if (requested_ == Requested::kUtf8) {
        if (dropMark(kUtf8Mark) || !mayBecome(kUtf8Mark)) {
            Decide(Mode::kUtf8, "UTF-8");
        }
        return;
    }
    const bool guessing = requested_ == Requested::kGuess;
    for (const bool bigEndian : {false, true}) {
        if (dropMark(bigEndian ? kUtf16BeMark : kUtf16LeMark)) {
            bigEndian_ = bigEndian;
            return Decide(Mode::kUtf16, bigEndian ? "UTF-16BE" : "UTF-16LE");
        }
    }
    if (guessing && dropMark(kUtf8Mark)) {
        return Decide(Mode::kUtf8OrLegacy, "UTF-8");
    }
    if (mayBecome(kUtf16LeMark) || mayBecome(kUtf16BeMark) || (guessing && mayBecome(kUtf8Mark))) {
        return;
    }
    if (!guessing || !nulSeparated_) {
        const std::size_t end = SampleEnd(start, atEnd);
        if (end == std::string_view::npos) {
            return;  // the bytes so far cannot tell
        }
        // Each NUL byte is the high half of a UTF-16 unit below U+0100 (the
        // CRC's digits, blanks, the line end) or the low half of one at a
        // multiple of U+0100: most are on the side of the text's order,
        // whatever the script of its names.
        std::size_t highLast = 0;  // NULs at odd places: little-endian
        std::size_t highFirst = 0;
        for (std::size_t at = 0; at < end; ++at) {
            if (start[at] == '\0') {
                ++(at % 2 == 1 ? highLast : highFirst);
            }
        }
        if (highLast >= 2 && highLast > highFirst) {
            return Decide(Mode::kUtf16, "UTF-16LE");
        }
        if (highFirst >= 2 && highFirst > highLast) {
            bigEndian_ = true;
            return Decide(Mode::kUtf16, "UTF-16BE");
        }
    }
    if (!guessing) {
        return Decide(Mode::kUtf16, "UTF-16LE");
    }
    Decide(Mode::kUtf8OrLegacy, "UTF-8");
}

bool ListDecoder::Fail() {
    error_ = System::Filled(System::Tr("not valid {1} text"), {name_});
    pending_.clear();
    return false;
}

bool ListDecoder::Feed(std::string_view bytes, std::string& out) {
    if (!error_.empty()) {
        return false;
    }
    if (mode_ == Mode::kSniffing) {
        pending_.append(bytes);
        DecideFromStart(false);
        if (mode_ == Mode::kSniffing) {
            return true;
        }
        std::string held;
        held.swap(pending_);
        return Decode(held, out);
    }
    return Decode(bytes, out);
}

bool ListDecoder::Finish(std::string& out) {
    if (!error_.empty()) {
        return false;
    }
    if (mode_ == Mode::kSniffing) {
        DecideFromStart(true);
        std::string held;
        held.swap(pending_);
        if (!Decode(held, out)) {
            return false;
        }
    }
    switch (mode_) {
        case Mode::kUtf8OrLegacy:
            if (!pending_.empty() && system_) {
                const std::string held = std::move(pending_);
                pending_.clear();
                Decide(Mode::kSystem, legacyName_);
                return Decode(held, out) && Finish(out);
            }
            out += pending_;  // a sequence cut short where names are bytes
            pending_.clear();
            return true;
        case Mode::kUtf8:
            return DecodeUtf8(out, true);
        case Mode::kUtf16:
            return DecodeUtf16(out, true);
        case Mode::kSystem:
            return system_->Finish() || Fail();
        default:
            return true;
    }
}

bool ListDecoder::Decode(std::string_view bytes, std::string& out) {
    switch (mode_) {
        case Mode::kBytes:
            out.append(bytes);
            return true;
        case Mode::kSystem:
            return system_->Decode(bytes, out) || Fail();
        default:
            break;
    }
    pending_.append(bytes);
    switch (mode_) {
        case Mode::kUtf8OrLegacy:
            return DecodeUtf8OrLegacy(out);
        case Mode::kUtf8:
            return DecodeUtf8(out, false);
        default:
            return DecodeUtf16(out, false);
    }
}

// Guessed UTF-8: the first character beyond ASCII decides between UTF-8
// and the system's legacy code page (the ASCII before it is the same in
// both); where there is none, the bytes are kept as they are.
bool ListDecoder::DecodeUtf8OrLegacy(std::string& out) {
    if (!system_) {
        Cli::Os::LegacyEncoding legacy = Cli::Os::SystemLegacyEncoding();
        if (!legacy.decoder) {
            mode_ = Mode::kBytes;
            out += pending_;
            pending_.clear();
            return true;
        }
        system_ = std::move(legacy.decoder);
        legacyName_ = std::move(legacy.name);
    }
    std::size_t at = 0;
    while (at < pending_.size() && static_cast<unsigned char>(pending_[at]) < 0x80) {
        ++at;
    }
    out.append(pending_, 0, at);
    if (at == pending_.size()) {
        pending_.clear();
        return true;
    }
    const int sequence = SequenceAt(pending_, at);
    pending_.erase(0, at);
    if (sequence < 0) {
        return true;  // cut short: the next piece tells
    }
    std::string rest;
    rest.swap(pending_);
    if (sequence > 0) {
        system_.reset();
        Decide(Mode::kBytes, "UTF-8");
    } else {
        Decide(Mode::kSystem, legacyName_);
    }
    return Decode(rest, out);
}

// Named UTF-8: every sequence must be one.
bool ListDecoder::DecodeUtf8(std::string& out, bool atEnd) {
    std::size_t at = 0;
    while (at < pending_.size()) {
        const int sequence = SequenceAt(pending_, at);
        if (sequence == 0 || (sequence < 0 && atEnd)) {
            out.append(pending_, 0, at);
            return Fail();
        }
        if (sequence < 0) {
            break;
        }
        at += static_cast<std::size_t>(sequence);
    }
    out.append(pending_, 0, at);
    pending_.erase(0, at);
    return true;
}

// UTF-16 of either order, a pair of surrogates as one character; a lone
// half is kept as its three bytes, as a Windows name holding one is.
bool ListDecoder::DecodeUtf16(std::string& out, bool atEnd) {
    const auto unitAt = [&](std::size_t at) {
        const auto first = static_cast<unsigned char>(pending_[at]);
        const auto second = static_cast<unsigned char>(pending_[at + 1]);
        return bigEndian_ ? (first << 8) | second : (second << 8) | first;
    };
    std::size_t at = 0;
    while (at + 2 <= pending_.size()) {
        const unsigned long unit = static_cast<unsigned long>(unitAt(at));
        const bool high = unit >= 0xD800 && unit <= 0xDBFF;
        if (high && at + 4 > pending_.size() && !atEnd) {
            break;  // its other half may come
        }
        if (high && at + 4 <= pending_.size()) {
            const unsigned long low = static_cast<unsigned long>(unitAt(at + 2));
            if (low >= 0xDC00 && low <= 0xDFFF) {
                System::AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                at += 4;
                continue;
            }
        }
        System::AppendUtf8(out, unit);
        at += 2;
    }
    pending_.erase(0, at);
    return !(atEnd && !pending_.empty()) || Fail();  // an odd byte at the end
}

}  // namespace Cli
