// tallix-report's CRC-16 family, --identify, --appended and --range.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "checksum/tallix.h"
#include "cli/command_test.h"

namespace {

using CliTest::Result;

// The catalogue's check values over "123456789", written apart from the
// engine's table.
struct Check {
    std::string name;
    std::string value;
    std::string swapped;
};
const std::vector<Check> kCatalogue = {
    {"MCRF4XX", "6F91", "916F"},
    {"IBM-SDLC", "906E", "6E90"},
    {"KERMIT", "2189", "8921"},
    {"RIELLO", "63D0", "D063"},
    {"TMS37157", "26B1", "B126"},
    {"IBM-3740", "29B1", "B129"},
    {"SPI-FUJITSU", "E5CC", "CCE5"},
    {"XMODEM", "31C3", "C331"},
    {"GENIBUS", "D64E", "4ED6"},
    {"GSM", "CE3C", "3CCE"},
    {"ISO-IEC-14443-3-A", "BF05", "05BF"},
};

class FamilyReportTest : public CliTest::CommandTest {
  protected:
    // `text`, then `bytes` appended.
    static std::string With(std::string text, std::vector<std::uint8_t> bytes) {
        return text.append(bytes.begin(), bytes.end());
    }
};

TEST_F(FamilyReportTest, ListsEveryCatalogueMemberInBothByteOrders) {
    const std::string path = Write("digits", "123456789");
    // A file that cannot be read between two that can: a blank line
    // between the blocks printed, and a failure.
    const Result result = RunIn({"--crc16-family", path, dir_ + "/missing", path});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find(dir_ + "/missing: "), std::string::npos) << result.err;
    EXPECT_TRUE(result.out.starts_with(path + " (9 bytes)\n")) << result.out;
    EXPECT_NE(result.out.find("\n\n" + path + " (9 bytes)\n"), std::string::npos) << result.out;
    for (const Check& check : kCatalogue) {
        std::string label = "  CRC-16/" + check.name;
        label.resize(28, ' ');
        EXPECT_NE(result.out.find(label + check.value + "  swapped " + check.swapped),
                  std::string::npos)
            << check.name << "\n"
            << result.out;
    }
    EXPECT_EQ(std::count(result.out.begin(), result.out.end(), '\n'), 25);
}

TEST_F(FamilyReportTest, IdentifiesEachMemberInEitherOrderAndSaysWhenNoneFits) {
    const std::string path = Write("digits", "123456789");
    for (const Check& check : kCatalogue) {
        const Result plain = RunIn({"--identify", check.value, path});
        EXPECT_EQ(plain.status, 0);
        EXPECT_TRUE(plain.out.starts_with(path + ": CRC-16/" + check.name)) << plain.out;
        EXPECT_TRUE(plain.out.ends_with(" = " + check.value + "\n")) << plain.out;
        EXPECT_EQ(std::count(plain.out.begin(), plain.out.end(), '\n'), 1) << plain.out;
        const Result swapped = RunIn({"--identify=0x" + check.swapped, path});
        EXPECT_TRUE(swapped.out.ends_with(" = " + check.value + ", bytes swapped\n"))
            << swapped.out;
    }
    EXPECT_EQ(RunIn({"--identify", "cbf43926", path}).out, path + ": CRC-32 = CBF43926\n");
    EXPECT_EQ(RunIn({"--identify", "2639F4CB", path}).out,
              path + ": CRC-32 = CBF43926, bytes swapped\n");

    const Result none = RunIn({"--identify", "1234", path});
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.out, "");
    EXPECT_NE(none.err.find(path + ": no CRC-16 of the family nor the CRC-32 gives 1234"),
              std::string::npos)
        << none.err;
}

TEST_F(FamilyReportTest, ChecksAppendedCRCsByValueAndResidue) {
    const std::string digits = "123456789";
    const auto check = [&](const std::vector<std::string>& options,
                           std::vector<std::uint8_t> tail) {
        std::vector<std::string> args = options;
        args.push_back(Write("frame", With(digits, tail)));
        return RunIn(args);
    };
    const Result mcrf = check({"--appended", "le"}, {0x91, 0x6F});
    EXPECT_EQ(mcrf.status, 0) << mcrf.err;
    EXPECT_NE(
        mcrf.out.find(": CRC-16/MCRF4XX OK: stored 6F91 little-endian, by value and by residue\n"),
        std::string::npos)
        << mcrf.out;
    const Result mcrfBig = check({"--appended", "be"}, {0x6F, 0x91});
    EXPECT_NE(mcrfBig.out.find(": CRC-16/MCRF4XX OK: stored 6F91 big-endian, by value (its"),
              std::string::npos)
        << mcrfBig.out;
    const Result x25 = check({"--appended=le"}, {0x6E, 0x90});
    EXPECT_NE(x25.out.find(": CRC-16/IBM-SDLC (X-25) OK: stored 906E little-endian, by value and "
                           "by residue; this is the CRC-16/MCRF4XX with the final inversion "
                           "applied\n"),
              std::string::npos)
        << x25.out;
    const Result xmodem = check({"--appended", "be"}, {0x31, 0xC3});
    EXPECT_NE(
        xmodem.out.find(": CRC-16/XMODEM OK: stored 31C3 big-endian, by value and by residue"),
        std::string::npos)
        << xmodem.out;
    // NFC Type A frames: the CRC_A of 12 34 is CF26, stored little-endian.
    const Result nfc =
        RunIn({"--appended", "le", Write("nfc", With("", {0x12, 0x34, 0x26, 0xCF}))});
    EXPECT_NE(nfc.out.find(": CRC-16/ISO-IEC-14443-3-A (CRC-A) OK: stored CF26 little-endian, by "
                           "value and by residue"),
              std::string::npos)
        << nfc.out;
    const Result crc32 = check({"--appended32", "le"}, {0x26, 0x39, 0xF4, 0xCB});
    EXPECT_NE(crc32.out.find(": CRC-32 OK: stored CBF43926 little-endian, by value and by residue"),
              std::string::npos)
        << crc32.out;

    const Result swapped = check({"--appended", "le"}, {0x6F, 0x91});
    EXPECT_EQ(swapped.status, 1);
    EXPECT_EQ(swapped.out, "");
    EXPECT_NE(swapped.err.find("the appended CRC-16 916F (read little-endian) is not the CRC of "
                               "any member of the family of the 9 bytes before it"),
              std::string::npos)
        << swapped.err;
    EXPECT_EQ(check({"--appended32", "be"}, {0x26, 0x39, 0xF4, 0xCB}).status, 1);
    const Result shortFile = RunIn({"--appended32", "le", Write("short", "abc")});
    EXPECT_EQ(shortFile.status, 1);
    EXPECT_NE(shortFile.err.find("the file holds fewer than the 4 bytes of an appended CRC"),
              std::string::npos)
        << shortFile.err;
}

// The range's edges, on a file taken at its size and on the same bytes
// streamed, where what lies past the range is known only at the end.
TEST_F(FamilyReportTest, RangesAtTheirEdgesOnFilesAndStreams) {
    const std::string bytes = "ab123456789cd";
    const std::string path = Write("padded", bytes);
    const std::string digits = "CBF43926 6F91 9 ";
    const std::string nothing = "00000000 FFFF 0 ";
    for (const auto& [range, expected] :
         std::vector<std::pair<std::string, std::string>>{{"2:9", digits},
                                                          {"2:-2", digits},
                                                          {"0x2:-0X2", digits},
                                                          {"13:0", nothing},
                                                          {"0:-13", nothing},
                                                          {"0:13", "AAF24920 9C63 13 "},
                                                          {"14:0", ""},
                                                          {"0:14", ""},
                                                          {"0:-14", ""},
                                                          {"12:-2", ""},
                                                          {"9223372036854775807:0", ""}}) {
        const Result file = RunIn({"--brief", "--range", range, path});
        const Result stream = RunIn({"--brief", "--range=" + range, "-"}, bytes);
        EXPECT_EQ(file.out, expected.empty() ? "" : expected + path + "\n") << range;
        EXPECT_EQ(stream.out, expected.empty() ? "" : expected + "-\n") << range;
        EXPECT_EQ(file.status, expected.empty() ? 1 : 0) << range;
        EXPECT_EQ(stream.status, file.status) << range;
        if (expected.empty()) {
            const std::string reason = "the range " + range + " lies outside the file's 13 bytes";
            EXPECT_NE(file.err.find(reason), std::string::npos) << file.err;
            EXPECT_NE(stream.err.find(reason), std::string::npos) << stream.err;
        }
    }
    const Result full = RunIn({"--range", "2:-2", path});
    EXPECT_TRUE(full.out.starts_with(path + "(9バイト)\nCRC32 - CBF43926\nCRC16 - 6F91\n"))
        << full.out;
    EXPECT_EQ(RunIn({"--identify", "6F91", "--range", "2:9", path}).status, 0);
    const std::string frame = Write("frame", With("ab123456789", {0x91, 0x6F}) + "cd");
    EXPECT_EQ(RunIn({"--appended", "le", "--range", "2:-2", frame}).status, 0);
    EXPECT_EQ(RunIn({"--appended", "le", "--range", "2:-2", "-"}, CliTest::ReadText(frame)).status,
              0);
}

// Ranges and appended CRCs across the read's pieces: a stream holds back
// what may lie past the range in the pieces it came in.
TEST_F(FamilyReportTest, StreamsAgreeWithFilesAcrossReadPieces) {
    std::vector<std::uint8_t> data(1 << 20);
    std::mt19937 random(26);
    for (auto& byte : data) {
        byte = static_cast<std::uint8_t>(random());
    }
    const std::size_t begin = 100'000;
    const std::size_t end = data.size() - 300'000;
    const std::span<const std::uint8_t> body = std::span(data).subspan(begin, end - begin - 2);
    const std::uint16_t crc = Tallix::CRC16Value(body);
    data[end - 2] = static_cast<std::uint8_t>(crc);
    data[end - 1] = static_cast<std::uint8_t>(crc >> 8);
    const std::string bytes(data.begin(), data.end());
    const std::string path = Write("large", bytes);
    const std::string range = "100000:-300000";

    const std::string expected = Tallix::CalcCRC32(std::span(data).subspan(begin, end - begin)) +
                                 " " +
                                 Tallix::CalcCRC16(std::span(data).subspan(begin, end - begin)) +
                                 " " + std::to_string(end - begin) + " ";
    EXPECT_EQ(RunIn({"--brief", "--range", range, path}).out, expected + path + "\n");
    EXPECT_EQ(RunIn({"--brief", "--range", range, "-"}, bytes).out, expected + "-\n");
    for (const std::string& name : {path, std::string("-")}) {
        const Result appended = RunIn({"--appended", "le", "--range", range, name}, bytes);
        EXPECT_EQ(appended.status, 0) << name << appended.err;
        EXPECT_NE(appended.out.find("CRC-16/MCRF4XX OK"), std::string::npos) << name;
    }
}

}  // namespace
