// The lines of a list, or the names --files-from reads, taken a piece at a
// time from a file, a FIFO or standard input: memory stays at one piece and
// one line whatever the size, and each line is handed on as soon as it is
// complete, while the rest is still being written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/lists/list_decoder.h"
#include "platform/system/files/stream_read.h"

namespace Cli {

struct TextLine {
    std::string_view text;  // without its separator; empty when too long
    std::int64_t number;    // 1 for the first line
    bool tooLong;           // longer than kLongestLine: its text is not kept
};

class LineReader {
  public:
    // Longer than any path can be, escaped or not (Windows allows 32,767
    // UTF-16 units, at most 98,301 bytes of UTF-8): a line of more bytes
    // (decoded, its separator not counted) is reported as too long and
    // passed over, never held whole, wherever it falls in the pieces read.
    static constexpr std::size_t kLongestLine = std::size_t{256} << 10;
    // How much is read at once.
    static constexpr std::size_t kPieceBytes = std::size_t{64} << 10;

    // Lines of `source` ending in `separator`, its bytes turned into text
    // by `decoder` as they are read.
    LineReader(System::FileReader source, char separator, ListDecoder decoder);

    // The next line, valid until the next call; nothing after the last. A
    // last line without its separator is a line too. A byte-order mark at a
    // line's start is dropped. Throws PlatformError
    // when a read fails, or once the lines before bytes that cannot be
    // decoded were given out (the line they cut short is not one).
    std::optional<TextLine> Next();

    // Whether Next() has its line without reading (a line read in already,
    // or the end).
    bool LineReady() const {
        return ended_ || text_.find(separator_, start_ + scanned_) != std::string::npos;
    }

    // How the text read so far was decoded.
    const ListDecoder& decoder() const { return decoder_; }

  private:
    // Reads and decodes the next piece; false at the end.
    bool ReadPiece();

    System::FileReader source_;
    char separator_;
    ListDecoder decoder_;
    std::string undecodable_;  // the decoder's error, thrown once the lines before it are out
    std::vector<std::uint8_t> piece_;
    std::string text_;         // decoded, from `start_` on not yet given out
    std::size_t start_ = 0;    // where the next line starts in `text_`
    std::size_t scanned_ = 0;  // the bytes after `start_` known to hold no separator
    std::int64_t number_ = 0;
    bool ended_ = false;
    bool passingOver_ = false;  // the rest of a line too long is dropped
};

}  // namespace Cli
