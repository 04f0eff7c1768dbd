#include "platform/system/os/message_catalogue.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/system/os/translation.h"

namespace {

using System::MessageCatalogue;
using System::PluralIndex;

// A catalogue in msgfmt's format: the header, the two tables, then the
// strings, each ended by a NUL; `entries` sorted by their originals.
std::string Mo(const std::vector<std::pair<std::string, std::string>>& entries,
               bool bigEndian = false) {
    std::string mo;
    const auto word = [&mo, bigEndian](std::uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            mo += static_cast<char>(value >> (bigEndian ? 24 - 8 * i : 8 * i));
        }
    };
    const auto count = static_cast<std::uint32_t>(entries.size());
    word(0x950412DE);
    word(0);
    word(count);
    word(28);
    word(28 + 8 * count);
    word(0);
    word(28 + 16 * count);
    std::string strings;
    const std::uint32_t start = 28 + 16 * count;
    std::vector<std::uint32_t> translations;
    for (const auto& [original, translation] : entries) {
        word(static_cast<std::uint32_t>(original.size()));
        word(start + static_cast<std::uint32_t>(strings.size()));
        strings += original + '\0';
    }
    for (const auto& [original, translation] : entries) {
        word(static_cast<std::uint32_t>(translation.size()));
        word(start + static_cast<std::uint32_t>(strings.size()));
        strings += translation + '\0';
    }
    return mo + strings;
}

const std::string kHeader =
    "Content-Type: text/plain; charset=UTF-8\nPlural-Forms: nplurals=3; plural=n==1 ? 0 : n<5 ? "
    "1 : 2;\n";

TEST(MessageCatalogueTest, FindsTranslationsAndLeavesTheRestEnglish) {
    for (const bool bigEndian : {false, true}) {
        const std::string mo =
            Mo({{"", kHeader},
                {"Could not open the file.", "ファイルを開けませんでした。"},
                {std::string("{1} file\0{1} files", 17), std::string("a\0b\0c", 5)},
                {"untranslated", ""}},
               bigEndian);
        const MessageCatalogue catalogue(mo);
        EXPECT_EQ(catalogue.size(), 4U);
        EXPECT_STREQ(catalogue.Find("Could not open the file."), "ファイルを開けませんでした。");
        EXPECT_STREQ(catalogue.Find("Could not read the file."), "Could not read the file.");
        EXPECT_STREQ(catalogue.Find("untranslated"), "untranslated");
        EXPECT_STREQ(catalogue.FindCount("{1} file", "{1} files", 1), "a");
        EXPECT_STREQ(catalogue.FindCount("{1} file", "{1} files", 3), "b");
        EXPECT_STREQ(catalogue.FindCount("{1} file", "{1} files", 7), "c");
        EXPECT_STREQ(catalogue.FindCount("{1} line", "{1} lines", 7), "{1} lines");
        EXPECT_STREQ(catalogue.FindCount("{1} line", "{1} lines", 1), "{1} line");
    }
}

TEST(MessageCatalogueTest, BytesThatAreNoCatalogueGiveEnglish) {
    const std::string good = Mo({{"", kHeader}, {"Path: ", "パス: "}});
    std::vector<std::string> broken{"", "not a catalogue at all", good.substr(0, 30),
                                    good.substr(0, good.size() - 3)};
    std::string hugeCount = good;
    hugeCount[8] = '\xFF';
    hugeCount[11] = '\x7F';
    broken.push_back(hugeCount);
    std::string offsetOutside = good;
    offsetOutside[28 + 16 + 8 + 7] = '\x7F';  // the translation's offset, its top byte
    broken.push_back(offsetOutside);
    for (const std::string& mo : broken) {
        EXPECT_STREQ(MessageCatalogue(mo).Find("Path: "), "Path: ") << mo.size();
        EXPECT_STREQ(MessageCatalogue(mo).FindCount("Path: ", "Paths: ", 2), "Paths: ");
    }
}

TEST(MessageCatalogueTest, FewerFormsThanThePluralExpressionNamesGiveTheFirst) {
    const std::string mo = Mo({{"", kHeader}, {std::string("one\0many", 8), "eins"}});
    EXPECT_STREQ(MessageCatalogue(mo).FindCount("one", "many", 9), "eins");
}

TEST(PluralIndexTest, ReadsTheExpressionsOfPluralFormsHeaders) {
    EXPECT_EQ(PluralIndex("0", 5), 0U);
    EXPECT_EQ(PluralIndex("(n != 1)", 1), 0U);
    EXPECT_EQ(PluralIndex("(n != 1)", 0), 1U);
    EXPECT_EQ(PluralIndex("n>1", 1), 0U);
    const char* slavic =
        "(n%10==1 && n%100!=11 ? 0 : n%10>=2 && n%10<=4 && (n%100<10 || n%100>=20) ? 1 : 2)";
    EXPECT_EQ(PluralIndex(slavic, 1), 0U);
    EXPECT_EQ(PluralIndex(slavic, 11), 2U);
    EXPECT_EQ(PluralIndex(slavic, 22), 1U);
    EXPECT_EQ(PluralIndex(slavic, 25), 2U);
    EXPECT_EQ(PluralIndex("n==0 ? 0 : n==1 ? 1 : n==2 ? 2 : n%100>=3 && n%100<=10 ? 3 : 4", 105),
              3U);
    EXPECT_EQ(PluralIndex("!(n == 1)", 1), 0U);
    EXPECT_EQ(PluralIndex("2 + 3 * n - 1", 2), 7U);
}

TEST(PluralIndexTest, AnExpressionItCannotReadGivesTheFirstForm) {
    for (const char* bad : {"", "n ==", "(n != 1", "n ? 1", "x", "n != 1)", "n % 0", "n / 0"}) {
        EXPECT_EQ(PluralIndex(bad, 7), 0U) << bad;
    }
}

TEST(FilledTest, PutsEachValueAtItsMarkInTheTranslationsOrder) {
    EXPECT_EQ(System::Filled("{2} of {1}", {"a", "b"}), "b of a");
    // Marks without a value, and braces that are no mark, stay as they are.
    EXPECT_EQ(System::Filled("{1}{1} {3} {0} {x} {1", {"a"}), "aa {3} {0} {x} {1");
    // A value is never read for marks.
    EXPECT_EQ(System::Filled("{1}", {"{2}", "x"}), "{2}");
}

}  // namespace
