// Any bytes as a checksum list, and as a file name: decoding and reading the
// list never crash, never hang and never give a path the system would cut
// short (a NUL); the text decoded is the same however the bytes are cut; a
// name escaped in either style reads back as itself, and one written on a
// line of each form that names it is read back from the list.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "cli/lists/check_list.h"
#include "cli/lists/list_decoder.h"
#include "cli/output/escape.h"
#include "tests/support/whole_list.h"

namespace {

void Require(bool held, const char* what, std::string_view name) {
    if (!held) {
        std::fprintf(stderr, "%s (name of %zu bytes)\n", what, name.size());
        std::abort();
    }
}

bool IsUpperHex(std::string_view digits) {
    return digits.find_first_not_of("0123456789ABCDEF") == std::string_view::npos;
}

// `bytes` decoded whole, and cut in two at `cut`: the same either way.
std::string Decoded(std::string_view bytes, std::size_t cut, const std::string& encoding,
                    bool nulSeparated) {
    std::string whole;
    Cli::ListDecoder one(encoding, nulSeparated);
    const bool ok = one.Feed(bytes, whole) && one.Finish(whole);
    std::string pieces;
    Cli::ListDecoder two(encoding, nulSeparated);
    const bool cutOk = two.Feed(bytes.substr(0, cut), pieces) &&
                       two.Feed(bytes.substr(std::min(cut, bytes.size())), pieces) &&
                       two.Finish(pieces);
    Require(ok == cutOk && (!ok || whole == pieces), "decoded differently in pieces", bytes);
    Require(ok || !one.Error().empty(), "a failure without a reason", bytes);
    return whole;
}

void CheckList(std::string_view bytes) {
    const std::size_t cut = bytes.empty() ? 0 : static_cast<unsigned char>(bytes[0]);
    Decoded(bytes, cut, "UTF-16", false);
    Decoded(bytes, cut, "UTF-8", false);
    Decoded(bytes, cut, {}, true);
    const std::string text = Decoded(bytes, cut, {}, false);
    const auto lines = TestSupport::ParseList(text, "dir/file.bin.crc32");
    Require(lines.size() == TestSupport::SplitLines(text).size(), "a line lost or added", text);
    for (const Cli::ListLine& line : lines) {
        if (line.kind != Cli::ListLine::Kind::kEntry) {
            continue;
        }
        const Cli::ListEntry& entry = line.entry;
        Require(!entry.path.empty() && entry.path.find('\0') == std::string::npos,
                "an empty path or one holding a NUL", entry.path);
        Require(entry.crc32.size() == 8 && IsUpperHex(entry.crc32), "a CRC-32 misread", entry.path);
        Require(!entry.crc16 || (entry.crc16->size() == 4 && IsUpperHex(*entry.crc16)),
                "a CRC-16 misread", entry.path);
        Require(!entry.size || *entry.size >= 0, "a negative size", entry.path);
    }
}

// The one entry `list` names, or nothing when it names not exactly one.
std::string OnlyPath(std::string_view list) {
    std::string path;
    int entries = 0;
    for (const Cli::ListLine& line : TestSupport::ParseList(list, "list")) {
        if (line.kind == Cli::ListLine::Kind::kEntry) {
            path = line.entry.path;
            ++entries;
        }
    }
    return entries == 1 ? path : std::string("\n(not one entry)");
}

void CheckName(std::string_view name) {
    for (const Cli::NameStyle style : {Cli::NameStyle::kLine, Cli::NameStyle::kTerminal}) {
        const std::string escaped = Cli::EscapedName(name, style);
        Require(escaped.find_first_of("\n\r") == std::string::npos, "a line break left", name);
        Require(Cli::NeedsEscaping(name, style) || escaped == name, "a name changed needlessly",
                name);
        Require(
            Cli::UnescapedName(escaped) == std::string(name) || !Cli::NeedsEscaping(name, style),
            "escaping does not read back", name);
        if (style == Cli::NameStyle::kTerminal) {
            for (const char c : escaped) {
                Require(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F,
                        "a control character shown", name);
            }
        }
    }
    if (name.empty() || name.find('\0') != std::string_view::npos) {
        return;  // no file has such a name
    }
    const std::string start(Cli::LineStart(name));
    const std::string escaped = Cli::EscapedName(name);
    Require(OnlyPath(start + "CBF43926 6F91 9 " + escaped + "\n") == name,
            "a --brief line does not read back", name);
    Require(OnlyPath(start + "cbf43926 *" + escaped + "\n") == name,
            "a checksum tool's line does not read back", name);
    Require(OnlyPath(start + "CRC32 (" + escaped + ") = CBF43926\n") == name,
            "a tag line does not read back", name);
    if (name.find('\n') == std::string_view::npos && !name.starts_with(';')) {
        const std::string sfv = "; header\n" + std::string(name) + " CBF43926\r\n";
        Require(OnlyPath(sfv) == name, "an SFV line does not read back", name);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CheckList(bytes);
    CheckName(bytes);
    return 0;
}
