// The bytes of a checksum list or a --files-from file, turned into text
// piece by piece as they arrive. Without a named encoding the text tells
// its own: a byte-order mark (UTF-8, UTF-16LE or UTF-16BE) is read and
// dropped; text whose first line has most of its NUL bytes on one side of
// its byte pairs is UTF-16 of that order (unless NULs end names); the rest is
// UTF-8, where text that is not UTF-8 is read in the system's legacy code
// page when it has one (Windows) and kept as the bytes it is otherwise
// (POSIX, where names are bytes). UTF-16 is read here; other named
// encodings are the system's (Cli::Os::DecoderFor), Shift_JIS by any of its
// names as code page 932.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "cli/system/encoding.h"

namespace Cli {

class ListDecoder {
  public:
    // `encoding` as given to --list-encoding, or empty to tell it from the
    // text; `nulSeparated` when NUL bytes end names (--null). Throws
    // std::invalid_argument for an encoding KnowsEncoding refuses.
    explicit ListDecoder(const std::string& encoding = {}, bool nulSeparated = false);

    // Whether `name` is an encoding lists can be read in here.
    static bool KnowsEncoding(const std::string& name);

    // Appends to `out` the text of the next `bytes`, holding back a
    // character cut at their end. False when they cannot be decoded: `out`
    // then ends where the text could be read (perhaps inside a line), Error()
    // says why, and nothing more may be fed.
    bool Feed(std::string_view bytes, std::string& out);

    // Appends what was held back; false when the text ended inside a
    // character.
    bool Finish(std::string& out);

    // "not valid NAME text", naming the encoding read.
    const std::string& Error() const { return error_; }

    // Whether the text read so far was not UTF-8 and was read in the
    // system's legacy code page, unasked.
    bool ReadInLegacyCodePage() const { return mode_ == Mode::kSystem && !legacyName_.empty(); }

  private:
    enum class Mode {
        kSniffing,      // the first bytes, until they show the encoding
        kBytes,         // passed on as they are
        kUtf8OrLegacy,  // UTF-8 until a byte that is not, then the legacy code page
        kUtf8,          // checked: a sequence that is not UTF-8 is an error
        kUtf16,
        kSystem,  // the system's decoder
    };

    void Decide(Mode mode, std::string name);
    void DecideFromStart(bool atEnd);
    bool Decode(std::string_view bytes, std::string& out);
    bool DecodeUtf8OrLegacy(std::string& out);
    bool DecodeUtf8(std::string& out, bool atEnd);
    bool DecodeUtf16(std::string& out, bool atEnd);
    bool Fail();

    enum class Requested { kGuess, kUtf8, kUtf16, kUtf16Le, kUtf16Be, kSystem };

    Requested requested_ = Requested::kGuess;
    Mode mode_ = Mode::kSniffing;
    bool nulSeparated_ = false;
    bool bigEndian_ = false;
    std::string name_;                              // of the encoding read, for Error()
    std::string pending_;                           // bytes held back
    std::unique_ptr<Cli::Os::TextDecoder> system_;  // named, or the legacy code page
    std::string legacyName_;
    std::string error_;
};

}  // namespace Cli
