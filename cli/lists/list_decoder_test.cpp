// Lists' bytes turned into text, in pieces cut anywhere.
#include "cli/lists/list_decoder.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Decoded {
    bool ok;
    std::string text;
    std::string error;
};

// `bytes` fed to a decoder for `encoding` in pieces of `piece` bytes.
Decoded DecodeInPieces(const std::string& bytes, std::size_t piece,
                       const std::string& encoding = {}, bool nulSeparated = false) {
    Cli::ListDecoder decoder(encoding, nulSeparated);
    std::string text;
    bool ok = true;
    for (std::size_t at = 0; ok && at < bytes.size(); at += piece) {
        ok = decoder.Feed(std::string_view(bytes).substr(at, piece), text);
    }
    ok = ok && decoder.Finish(text);
    return {ok, text, decoder.Error()};
}

// The same text whatever the pieces: each character and mark cut in two.
Decoded Decode(const std::string& bytes, const std::string& encoding = {},
               bool nulSeparated = false) {
    const Decoded whole = DecodeInPieces(bytes, bytes.size() + 1, encoding, nulSeparated);
    for (std::size_t piece = 1; piece <= 5; ++piece) {
        const Decoded cut = DecodeInPieces(bytes, piece, encoding, nulSeparated);
        EXPECT_EQ(cut.ok, whole.ok) << piece;
        if (whole.ok) {
            EXPECT_EQ(cut.text, whole.text) << piece;
        }
    }
    return whole;
}

// "a ア😀\n" in UTF-16 of one order.
std::string Utf16(bool bigEndian, bool marked) {
    const std::string units[] = {{"\x00\x61", 2}, {"\x00\x20", 2}, {"\x30\xA2", 2},
                                 {"\xD8\x3D", 2}, {"\xDE\x00", 2}, {"\x00\x0A", 2}};
    std::string bytes = marked ? "\xFE\xFF" : "";
    for (const std::string& unit : units) {
        bytes += bigEndian ? unit : std::string{unit[1], unit[0]};
    }
    if (marked && !bigEndian) {
        bytes.replace(0, 2, "\xFF\xFE");
    }
    return bytes;
}

TEST(ListDecoderTest, TellsTheEncodingFromTheText) {
    const std::string text = "a ア😀\n";
    for (const bool bigEndian : {false, true}) {
        for (const bool marked : {false, true}) {
            const Decoded decoded = Decode(Utf16(bigEndian, marked));
            EXPECT_TRUE(decoded.ok) << decoded.error;
            EXPECT_EQ(decoded.text, text) << bigEndian << marked;
        }
    }
    EXPECT_EQ(Decode(std::string("\xA2\x30 \0a\0\n\0", 8)).text, "ア a\n");  // ASCII later
    // A first name of katakana far longer than its CRC, a line end of
    // either order cut between pieces.
    std::string katakana;
    std::string name;
    for (int i = 0; i < 40; ++i) {
        katakana += "\xA2\x30";
        name += "ア";
    }
    const std::string crc(
        "1\0"
        "2\0"
        "3\0"
        "4\0"
        "5\0"
        "6\0"
        "7\0"
        "8\0",
        16);
    const std::string little = katakana + std::string(" \0", 2) + crc + std::string("\n\0", 2);
    EXPECT_EQ(Decode(little).text, name + " 12345678\n");
    std::string big = little;
    for (std::size_t at = 0; at < big.size(); at += 2) {
        std::swap(big[at], big[at + 1]);
    }
    EXPECT_EQ(Decode(big + big).text, name + " 12345678\n" + name + " 12345678\n");
    EXPECT_EQ(Decode("\xEF\xBB\xBF" + text).text, text);
    EXPECT_EQ(Decode(text).text, text);
    EXPECT_EQ(Decode("x").text, "x");
    // A first line without NULs tells UTF-8 before the NULs after it come.
    const std::string nulsAfterLines("\n\n\n\n\0\0\0\0\0\0\0", 11);
    EXPECT_EQ(Decode(nulsAfterLines).text, nulsAfterLines);
    EXPECT_EQ(Decode("").text, "");
    // NULs that end names say nothing of UTF-16.
    EXPECT_EQ(Decode(std::string("a\0b\0", 4), {}, true).text, std::string("a\0b\0", 4));
    // A lone surrogate half is kept as Windows names keep it.
    EXPECT_EQ(Decode(std::string("\xFF\xFE\x00\xD8", 4)).text, "\xED\xA0\x80");
    const Decoded odd =
        Decode(std::string("\xFF\xFE"
                           "a",
                           3));
    EXPECT_FALSE(odd.ok);
    EXPECT_EQ(odd.error, "not valid UTF-16LE text");
}

// Bytes that are not UTF-8 are the system's legacy code page where it has
// one (Windows), and names as they stand where names are bytes.
TEST(ListDecoderTest, ReadsTextThatIsNotUtf8AsTheSystemDoes) {
    const std::string latin = "caf\xE9 12345678\n";
    const std::string cutMark = "\xEF\xBB";  // the start of a UTF-8 mark is text
    const Cli::Os::LegacyEncoding legacy = Cli::Os::SystemLegacyEncoding();
    if (legacy.name.empty()) {
        EXPECT_EQ(Decode(latin).text, latin);
        EXPECT_EQ(Decode(cutMark).text, cutMark);
    } else if (legacy.name == "cp1252") {
        EXPECT_EQ(Decode(latin).text, "café 12345678\n");
        EXPECT_EQ(Decode(cutMark).text, "ï»");
    } else {
        GTEST_SKIP() << "legacy code page " << legacy.name;
    }
    // Once UTF-8 is seen the list is UTF-8.
    EXPECT_EQ(Decode("é\n" + latin).text, "é\n" + latin);
}

TEST(ListDecoderTest, ReadsNamedEncodings) {
    struct Case {
        std::string encoding, bytes, text;
    };
    const Case cases[] = {
        {"cp932", "\x83\x65\x83\x58\x83\x67.bin 12345678\r\n", "テスト.bin 12345678\r\n"},
        {"CP1252", "caf\xE9 \x80\n", "café €\n"},
        {"utf-8",
         "\xEF\xBB\xBF"
         "é",
         "é"},
        {"UTF-16BE", std::string("\xFE\xFF\x00\xE9", 4), "é"},
        {"utf16le", std::string("\xE9\x00", 2), "é"},
        {"UTF-16", std::string("\xFE\xFF\x00\xE9", 4), "é"},
        {"UTF-16", std::string("\xE9\x00", 2), "é"},  // no mark: as Windows writes it
    };
    for (const Case& c : cases) {
        const Decoded decoded = Decode(c.bytes, c.encoding);
        EXPECT_TRUE(decoded.ok) << c.encoding << ": " << decoded.error;
        EXPECT_EQ(decoded.text, c.text) << c.encoding;
    }
    // What the named encoding cannot read is an error that names it.
    const std::pair<std::string, std::string> bad[] = {
        {"UTF-8", "ok\xFF"}, {"UTF-8", "cut \xE3\x83"}, {"cp932", "\x83"}, {"cp932", "\x81\x20"}};
    for (const auto& [encoding, bytes] : bad) {
        const Decoded decoded = Decode(bytes, encoding);
        EXPECT_FALSE(decoded.ok) << encoding << " " << bytes;
        EXPECT_EQ(decoded.error, "not valid " + encoding + " text");
    }
    // Shift_JIS by each of its names: 0x5C is the backslash of Windows paths.
    for (const std::string name :
         {"Shift_JIS", "SJIS", "MS_Kanji", "csShiftJIS", "Windows-31J", "cp932"}) {
        const Decoded decoded = Decode("sub\\\x83\x65.bin 12345678\n", name);
        EXPECT_EQ(decoded.text, "sub\\テ.bin 12345678\n") << name << ": " << decoded.error;
    }
    EXPECT_FALSE(Cli::ListDecoder::KnowsEncoding("no-such-encoding"));
    EXPECT_FALSE(Cli::ListDecoder::KnowsEncoding(""));
    EXPECT_FALSE(Cli::ListDecoder::KnowsEncoding("UTF-8//IGNORE"));  // would drop bytes
}

}  // namespace
