#include "cli/lists/line_reader.h"

#include <span>
#include <utility>

#include "platform/system/os/error.h"

namespace Cli {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";  // U+FEFF in UTF-8

}  // namespace

LineReader::LineReader(System::FileReader source, char separator, ListDecoder decoder)
    : source_(std::move(source)),
      separator_(separator),
      decoder_(std::move(decoder)),
      piece_(kPieceBytes) {}

bool LineReader::ReadPiece() {
    const std::size_t got = source_.Read(std::span(piece_));
    const bool more = got > 0;
    const bool decoded =
        more ? decoder_.Feed({reinterpret_cast<const char*>(piece_.data()), got}, text_)
             : decoder_.Finish(text_);
    if (!decoded) {
        // The text ends with the last whole line decoded.
        const std::size_t lineEnd = text_.rfind(separator_);
        text_.erase(lineEnd == std::string::npos || lineEnd < start_ ? start_ : lineEnd + 1);
        undecodable_ = decoder_.Error();
        return false;
    }
    return more;
}

std::optional<TextLine> LineReader::Next() {
    for (;;) {
        const std::size_t end = text_.find(separator_, start_ + scanned_);
        if (end != std::string::npos || (ended_ && start_ < text_.size())) {
            const std::size_t stop = end == std::string::npos ? text_.size() : end;
            std::string_view line(text_.data() + start_, stop - start_);
            start_ = end == std::string::npos ? text_.size() : end + 1;
            scanned_ = 0;
            if (std::exchange(passingOver_, false)) {
                continue;  // the end of a line already reported
            }
            if (line.size() > kLongestLine) {
                return TextLine{{}, ++number_, true};  // whole in the text held, but too long
            }
            if (line.starts_with(kByteOrderMark)) {
                line.remove_prefix(kByteOrderMark.size());  // texts joined, each with its mark
            }
            return TextLine{line, ++number_, false};
        }
        if (ended_) {
            if (!undecodable_.empty()) {
                throw System::PlatformError(System::Operation::kRead, source_.name(),
                                            std::exchange(undecodable_, {}));
            }
            return std::nullopt;
        }
        scanned_ = text_.size() - start_;
        if (scanned_ > kLongestLine || (passingOver_ && scanned_ > 0)) {
            text_.clear();  // what there is of the line is dropped
            start_ = scanned_ = 0;
            if (!std::exchange(passingOver_, true)) {
                return TextLine{{}, ++number_, true};
            }
        }
        // Only the line begun is kept before the next piece.
        text_.erase(0, start_);
        start_ = 0;
        ended_ = !ReadPiece();
    }
}

}  // namespace Cli
