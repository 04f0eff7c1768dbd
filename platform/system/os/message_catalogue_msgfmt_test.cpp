// The catalogues msgfmt compiled from po/, read as the Windows programs
// read theirs.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "platform/system/os/message_catalogue.h"

namespace {

TEST(MessageCatalogueTest, ReadsWhatMsgfmtWrites) {
    std::ifstream file(TALLIX_CATALOGUES "/ja/LC_MESSAGES/tallix.mo", std::ios::binary);
    const std::string mo{std::istreambuf_iterator<char>(file), {}};
    ASSERT_FALSE(mo.empty());
    const System::MessageCatalogue catalogue(mo);
    EXPECT_STREQ(catalogue.Find("Could not open the file."), "ファイルを開けませんでした。");
    EXPECT_STREQ(catalogue.Find("Match: {1} is this file's CRC-32."),
                 "一致: {1} はこのファイルの CRC-32 です。");
    EXPECT_STREQ(catalogue.FindCount("{1} file, {2}, {3}", "{1} files, {2}, {3}", 2),
                 "{1} ファイル、{2}、{3}");
}

}  // namespace
