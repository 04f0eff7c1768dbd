#include "checksum/crc16_family.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

// The general CRC-16 of polynomial 0x1021 one bit at a time, from the
// catalogue's parameters alone: no tables, no shortcuts.
std::uint16_t Bitwise(const Tallix::CRC16Variant& v, std::span<const std::uint8_t> bytes) {
    std::uint16_t reg = v.init;  // the register kept most significant bit first
    for (std::uint8_t byte : bytes) {
        for (int i = 0; i < 8; ++i) {
            const int bit = v.reflected ? (byte >> i) & 1 : (byte >> (7 - i)) & 1;
            const bool top = ((reg >> 15) & 1) != bit;
            reg = static_cast<std::uint16_t>((reg << 1) ^ (top ? 0x1021 : 0));
        }
    }
    if (v.reflected) {
        std::uint16_t reversed = 0;
        for (int i = 0; i < 16; ++i) {
            reversed = static_cast<std::uint16_t>(reversed | (((reg >> i) & 1) << (15 - i)));
        }
        reg = reversed;
    }
    return static_cast<std::uint16_t>(reg ^ v.xorout);
}

Tallix::CRC16FamilySums Sums(std::span<const std::uint8_t> bytes, std::size_t split) {
    Tallix::CRC16FamilySums sums;
    sums = Tallix::ExtendCRC16Family(sums, bytes.first(split));
    return Tallix::ExtendCRC16Family(sums, bytes.subspan(split));
}

// The catalogue's check values, written here apart from the engine's table.
TEST(CRC16FamilyTest, EveryVariantGivesItsCatalogueCheckValue) {
    const std::map<std::string, std::uint16_t> catalogue{
        {"MCRF4XX", 0x6F91},     {"IBM-SDLC", 0x906E},         {"KERMIT", 0x2189},
        {"RIELLO", 0x63D0},      {"TMS37157", 0x26B1},         {"IBM-3740", 0x29B1},
        {"SPI-FUJITSU", 0xE5CC}, {"XMODEM", 0x31C3},           {"GENIBUS", 0xD64E},
        {"GSM", 0xCE3C},         {"ISO-IEC-14443-3-A", 0xBF05}};
    const std::string digits = "123456789";
    const std::span bytes(reinterpret_cast<const std::uint8_t*>(digits.data()), digits.size());
    ASSERT_EQ(Tallix::CRC16Family().size(), catalogue.size());
    for (const Tallix::CRC16Variant& variant : Tallix::CRC16Family()) {
        SCOPED_TRACE(std::string(variant.name));
        ASSERT_EQ(catalogue.count(std::string(variant.name)), 1u);
        const std::uint16_t check = catalogue.at(std::string(variant.name));
        EXPECT_EQ(Bitwise(variant, bytes), check);
        EXPECT_EQ(variant.check, check);
        for (std::size_t split = 0; split <= bytes.size(); ++split) {
            EXPECT_EQ(Tallix::CRC16VariantValue(variant, Sums(bytes, split)), check) << split;
        }
    }
}

// Lengths around the eight-byte step and beyond the shift's first powers,
// random bytes, split anywhere: every variant as the bitwise rule gives it.
TEST(CRC16FamilyTest, EveryVariantMatchesTheBitwiseRuleOnAnyLength) {
    std::mt19937 random(26);
    for (const std::size_t length : {0, 1, 2, 7, 8, 9, 15, 16, 17, 63, 64, 1000, 4099, 20000}) {
        std::vector<std::uint8_t> bytes(length);
        for (auto& byte : bytes) {
            byte = static_cast<std::uint8_t>(random());
        }
        const std::size_t split = length == 0 ? 0 : random() % (length + 1);
        const Tallix::CRC16FamilySums sums = Sums(bytes, split);
        EXPECT_EQ(sums.length, length);
        for (const Tallix::CRC16Variant& variant : Tallix::CRC16Family()) {
            EXPECT_EQ(Tallix::CRC16VariantValue(variant, sums), Bitwise(variant, bytes))
                << variant.name << " over " << length << " split at " << split;
        }
    }
}

}  // namespace
