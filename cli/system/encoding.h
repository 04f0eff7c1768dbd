// Text in the encodings this system knows, turned into UTF-8 piece by
// piece: the names given to --list-encoding, and the code page a system
// reads text in when it is not UTF-8.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace Cli::Os {

// A conversion to UTF-8 that is fed its bytes in pieces of any size: a
// character cut at the end of one piece is finished by the next.
class TextDecoder {
  public:
    virtual ~TextDecoder() = default;

    // Appends to `out` the UTF-8 for `bytes`, keeping back the start of a
    // character cut at their end. False when the bytes hold a sequence the
    // encoding does not have.
    virtual bool Decode(std::string_view bytes, std::string& out) = 0;

    // False when a character was left unfinished at the end of the text.
    virtual bool Finish() = 0;
};

// A decoder for the encoding this system calls `name` (as "cp932",
// "SHIFT_JIS", "windows-1252", "ISO-8859-1"; case is not significant), or
// nothing when the system knows no such encoding.
std::unique_ptr<TextDecoder> DecoderFor(const std::string& name);

// The encoding text that is not UTF-8 is read in, with its name, or a
// null decoder where such bytes are names as they stand (POSIX, or Windows
// set to UTF-8).
struct LegacyEncoding {
    std::string name;  // as "cp1252"
    std::unique_ptr<TextDecoder> decoder;
};
LegacyEncoding SystemLegacyEncoding();

// `text`, read from bytes in the legacy code page, as those same bytes read
// in the console's code page (Windows' OEM code page, which `dir > list`
// writes); nothing where that reading is no other, or where there is no
// such pair of code pages (POSIX).
std::optional<std::string> InConsoleCodePage(const std::string& text);

}  // namespace Cli::Os
