#include "cli/family/byte_range.h"

#include <algorithm>
#include <deque>
#include <limits>
#include <stdexcept>
#include <string>

#include "cli/measure/streamed_checksums.h"
#include "cli/options/options.h"
#include "cli/output/escape.h"
#include "platform/system/os/decimal_text.h"
#include "platform/system/os/translation.h"

namespace Cli {
namespace {

constexpr std::int64_t kMost = std::numeric_limits<std::int64_t>::max();

// The most a stream's end held back for OFFSET:-N may take: a stream can be
// any size, memory cannot.
constexpr std::size_t kMostHeldBack = std::size_t{64} << 20;

// A whole number in decimal or 0x hex up to kMost, or nothing.
std::optional<std::int64_t> Number(std::string_view text) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    std::int64_t value = 0;
    for (const char c : text) {
        const int digit = c >= '0' && c <= '9'   ? c - '0'
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                 : base;
        if (digit >= base || value > (kMost - digit) / base) {
            return std::nullopt;
        }
        value = value * base + digit;
    }
    return value;
}

std::string RangeText(const ByteRange& range) {
    return Platform::DecimalText(range.offset) + (range.fromEnd ? ":-" : ":") +
           Platform::DecimalText(range.count);
}

[[noreturn]] void NotHeld(const ByteRange& range, const std::string& size) {
    throw std::runtime_error(Platform::Filled(
        Platform::Tr("the range {1} lies outside the file's {2} bytes"), {RangeText(range), size}));
}

// `ranged` when --range chose the bytes: then the range is what is short.
[[noreturn]] void TooShortForTail(std::size_t tail, bool ranged) {
    const char* const text =
        ranged ? Platform::Tr("the range holds fewer than the {1} bytes of an appended CRC")
               : Platform::Tr("the file holds fewer than the {1} bytes of an appended CRC");
    throw std::runtime_error(Platform::Filled(text, {std::to_string(tail)}));
}

// A file taken at its size: the range is checked before anything is read.
std::vector<std::uint8_t> ReadAtItsSize(const Platform::FileReader& reader, const ByteRange& range,
                                        bool ranged, std::size_t tail, const ByteSink& body,
                                        std::atomic<std::int64_t>* counter) {
    const std::int64_t size = reader.length();
    const std::int64_t begin = range.offset;
    const std::int64_t end = range.fromEnd ? size - range.count : begin + range.count;
    if (begin > size || end > size || end < begin) {
        NotHeld(range, Platform::DecimalText(size));
    }
    if (end - begin < static_cast<std::int64_t>(tail)) {
        TooShortForTail(tail, ranged);
    }
    std::vector<std::uint8_t> buffer(kStreamChunkBytes);
    const auto read = [&](std::int64_t at, std::size_t count) {
        const std::span<std::uint8_t> into = std::span(buffer).first(count);
        if (count != 0 && reader.ReadAt(at, into) != count) {
            throw std::runtime_error(Platform::Tr("the file changed while it was being read"));
        }
        if (counter != nullptr) {
            counter->fetch_add(static_cast<std::int64_t>(count), std::memory_order_relaxed);
        }
        return into;
    };
    const std::int64_t bodyEnd = end - static_cast<std::int64_t>(tail);
    for (std::int64_t at = begin; at < bodyEnd;) {
        const auto count = static_cast<std::size_t>(
            std::min<std::int64_t>(bodyEnd - at, static_cast<std::int64_t>(buffer.size())));
        body(read(at, count));
        at += static_cast<std::int64_t>(count);
    }
    const std::span<std::uint8_t> last = read(bodyEnd, tail);
    return {last.begin(), last.end()};
}

// A stream, or a file read to its end: what lies past the range, and the
// tail, are only known at the end, so the last `keep` bytes seen are held
// back in the pieces they came in.
class HoldBack {
  public:
    HoldBack(std::size_t keep, const ByteSink& body) : keep_(keep), body_(body) {}

    void Add(std::span<const std::uint8_t> bytes) {
        pieces_.emplace_back(bytes.begin(), bytes.end());
        held_ += bytes.size();
        while (!pieces_.empty() && held_ - pieces_.front().size() >= keep_) {
            body_(pieces_.front());
            held_ -= pieces_.front().size();
            pieces_.pop_front();
        }
    }
    std::size_t held() const { return held_; }

    // Hands `body` all but the last `left` bytes held, and returns the
    // `count` bytes before those.
    std::vector<std::uint8_t> Finish(std::size_t count, std::size_t left) {
        std::size_t toBody = held_ - count - left;
        std::vector<std::uint8_t> tail;
        for (const std::vector<std::uint8_t>& piece : pieces_) {
            const std::span<const std::uint8_t> bytes(piece);
            const std::size_t first = std::min(toBody, bytes.size());
            body_(bytes.first(first));
            toBody -= first;
            const std::size_t taken = std::min(count - tail.size(), bytes.size() - first);
            tail.insert(tail.end(), bytes.begin() + static_cast<std::ptrdiff_t>(first),
                        bytes.begin() + static_cast<std::ptrdiff_t>(first + taken));
        }
        return tail;
    }

  private:
    std::size_t keep_;
    const ByteSink& body_;
    std::deque<std::vector<std::uint8_t>> pieces_;
    std::size_t held_ = 0;
};

std::vector<std::uint8_t> ReadToItsEnd(Platform::FileReader& reader, const ByteRange& range,
                                       bool ranged, std::size_t tail, const ByteSink& body,
                                       std::atomic<std::int64_t>* counter) {
    const std::size_t leftOut = range.fromEnd ? static_cast<std::size_t>(range.count) : 0;
    HoldBack held(leftOut + tail, body);
    std::vector<std::uint8_t> buffer(kStreamChunkBytes);
    std::int64_t seen = 0;  // bytes read so far
    const std::int64_t wanted = range.fromEnd ? kMost : range.offset + range.count;
    while (seen < wanted) {
        const auto room = static_cast<std::size_t>(
            std::min<std::int64_t>(wanted - seen, static_cast<std::int64_t>(buffer.size())));
        const std::size_t got = reader.Read(std::span(buffer).first(room));
        if (got == 0) {
            break;
        }
        if (counter != nullptr) {
            counter->fetch_add(static_cast<std::int64_t>(got), std::memory_order_relaxed);
        }
        const std::int64_t skip =
            std::clamp<std::int64_t>(range.offset - seen, 0, static_cast<std::int64_t>(got));
        held.Add(std::span(buffer).first(got).subspan(static_cast<std::size_t>(skip)));
        if (leftOut > kMostHeldBack && held.held() > kMostHeldBack) {
            throw std::runtime_error(Platform::Filled(
                Platform::Tr("a stream's last {1} bytes are more than can be held back to leave "
                             "them out"),
                {Platform::DecimalText(range.count)}));
        }
        seen += static_cast<std::int64_t>(got);
    }
    if (seen < range.offset || (!range.fromEnd && seen < wanted) || held.held() < leftOut) {
        NotHeld(range, Platform::DecimalText(seen));
    }
    if (held.held() < leftOut + tail) {
        TooShortForTail(tail, ranged);
    }
    return held.Finish(tail, leftOut);
}

}  // namespace

ByteRange ParseRange(std::string_view text) {
    const std::size_t colon = text.find(':');
    const bool fromEnd = colon != std::string_view::npos && text.substr(colon + 1).starts_with('-');
    const std::optional<std::int64_t> offset = Number(text.substr(0, colon));
    const std::optional<std::int64_t> count = colon == std::string_view::npos
                                                  ? std::nullopt
                                                  : Number(text.substr(colon + (fromEnd ? 2 : 1)));
    if (!offset || !count || (!fromEnd && *count > kMost - *offset)) {
        throw UsageError(Platform::Filled(
            Platform::Tr("invalid range '{1}' (OFFSET:LENGTH, whole numbers within 2^63, LENGTH "
                         "-N for all but the last N bytes)"),
            {EscapedName(text, NameStyle::kTerminal)}));
    }
    return {*offset, *count, fromEnd};
}

std::vector<std::uint8_t> ReadRange(Platform::FileReader& reader,
                                    const std::optional<ByteRange>& range, std::size_t tail,
                                    const ByteSink& body, std::atomic<std::int64_t>* counter) {
    const ByteRange taken = range.value_or(ByteRange{});
    return reader.length() >= 0
               ? ReadAtItsSize(reader, taken, range.has_value(), tail, body, counter)
               : ReadToItsEnd(reader, taken, range.has_value(), tail, body, counter);
}

}  // namespace Cli
