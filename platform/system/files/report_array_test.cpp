// The report's array kept between reports: each content exactly the file's
// bytes, in the pages kept from before whenever they are enough.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "platform/system/files/files.h"
#include "platform/system/files/memory_check.h"
#include "platform/system/os/error.h"
#include "tests/support/mapping_count.h"
#include "tests/support/temp_dir_test.h"

namespace {

using System::ByteBuffer;
using System::ReportArray;
using TestSupport::LargeMappingsMade;

constexpr std::size_t kLarge = ByteBuffer::kMappedThreshold;

// `size` bytes that differ from file to file (`seed`) and along the file.
std::string Pattern(std::size_t size, char seed) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>(seed + static_cast<char>(i * 7 + i / 4099));
    }
    return bytes;
}

class ReportArrayTest : public TestSupport::TempDirTest {
  protected:
    // Reads `path` as a report does and checks the content is `expected`
    // exactly; returns where it lay.
    const std::uint8_t* Report(const std::string& path, const std::string& expected) {
        const std::span<const std::uint8_t> content = array_.Read(path);
        EXPECT_EQ(content.size(), expected.size()) << path;
        EXPECT_TRUE(std::string(content.begin(), content.end()) == expected) << path;
        array_.Discard();
        return content.data();
    }
    std::string ErrorOf(const std::string& path) {
        try {
            array_.Read(path);
        } catch (const System::PlatformError& error) {
            return error.reason();
        }
        return "no error";
    }

    bool failReads_ = false;  // every read request fails, as on a failing device
    ReportArray array_{[this](std::size_t count) {
        return failReads_ ? std::int64_t{-EIO} : static_cast<std::int64_t>(count);
    }};
};

// One mapping serves every report it is large enough for, whatever came in
// between (a smaller file, an empty one, a heap-sized one, a file that is
// gone, a read that failed); a larger file replaces it, and the larger one
// serves from then on.
TEST_F(ReportArrayTest, LaterReportsReuseThePagesAndHoldExactlyTheirFile) {
    const std::string first = Pattern(4 * kLarge + 3, 'a');
    const std::string smaller = Pattern(kLarge + 5, 'b');
    const std::string larger = Pattern(9 * kLarge + 1, 'c');
    const std::string tiny = Pattern(10, 'd');
    const std::string firstPath = Write("first", first);
    const std::string smallerPath = Write("smaller", smaller);
    const std::string largerPath = Write("larger", larger);
    const std::string tinyPath = Write("tiny", tiny);
    const std::string emptyPath = Write("empty", "");

    const std::size_t before = LargeMappingsMade();
    const std::uint8_t* const pages = Report(firstPath, first);
    EXPECT_EQ(LargeMappingsMade(), before + 1);
    EXPECT_EQ(Report(smallerPath, smaller), pages);
    Report(emptyPath, "");
    Report(tinyPath, tiny);
    std::filesystem::remove(firstPath);
    EXPECT_NE(ErrorOf(firstPath), "no error");
    failReads_ = true;
    EXPECT_NE(ErrorOf(smallerPath), "no error");
    failReads_ = false;
    EXPECT_EQ(Report(smallerPath, smaller), pages);
    EXPECT_EQ(LargeMappingsMade(), before + 1);

    const std::uint8_t* const grown = Report(largerPath, larger);
    EXPECT_EQ(LargeMappingsMade(), before + 2);
    EXPECT_EQ(Report(smallerPath, smaller), grown);
    EXPECT_EQ(Report(largerPath, larger), grown);
    EXPECT_EQ(LargeMappingsMade(), before + 2);

    array_.Release();
    Report(smallerPath, smaller);
    EXPECT_EQ(LargeMappingsMade(), before + 3);
}

// Growing is checked against the memory available as a first array is: a
// file far beyond it is refused, naming its size, and the next report
// still works.
TEST_F(ReportArrayTest, GrowingPassesTheMemoryCheck) {
    const std::string small = Pattern(kLarge, 'e');
    const std::string smallPath = Write("small", small);
    Report(smallPath, small);
    // Twice the memory there is now and a GiB more, sparse: far enough
    // beyond it that other programs cannot free that much meanwhile.
    const std::int64_t room = System::ReadMemoryHeadroom().Bytes();
    ASSERT_GT(room, 0);
    const std::int64_t size = 2 * room + (std::int64_t{1} << 30);
    const std::string hugePath = Write("huge", "");
    std::filesystem::resize_file(hugePath, static_cast<std::uintmax_t>(size));
    const std::string reason = ErrorOf(hugePath);
    EXPECT_NE(reason.find(std::to_string(size).append(" bytes), more than the memory available")),
              std::string::npos)
        << reason;
    Report(smallPath, small);
}

}  // namespace
