// The report on Windows: a file under a katakana name and one beyond
// MAX_PATH give the same bytes as on Linux, CR LF between the lines.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/system/os/text_win32.h"
#include "tests/support/temp_dir_test.h"
#include "window/report.h"

namespace {

class ReportWin32Test : public TestSupport::TempDirTest {
  protected:
    std::string Create(const std::string& name, const std::string& content) {
        const std::string path = dir_ + "\\" + name;
        const HANDLE file = ::CreateFileW(System::SystemPath(path).c_str(), GENERIC_WRITE, 0,
                                          nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_NE(file, INVALID_HANDLE_VALUE) << name;
        DWORD written = 0;
        EXPECT_TRUE(::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written,
                                nullptr));
        ::CloseHandle(file);
        return path;
    }
    static std::int32_t StoppedClock() { return 7; }
};

TEST_F(ReportWin32Test, KatakanaNamesAndFileContentsGiveTheExactReport) {
    const std::string name = "\xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88.txt";  // テスト.txt
    const std::string path = Create(name, "123456789");
    EXPECT_EQ(Window::ReportText(Window::MeasureFile(path, StoppedClock)),
              path +
                  "(9バイト)\r\nCRC32 - CBF43926\r\nCRC16 - 6F91\r\n"
                  "ファイルオープン - 0ms , CRC32 - 0ms , CRC16 - 0ms");
    const Window::FileReport zero = Window::MeasureFile(Create("zero", std::string(1, '\0')));
    EXPECT_EQ(zero.crc32 + " " + zero.crc16, "D202EF8D 0F87");
    const Window::FileReport empty = Window::MeasureFile(Create("empty", ""));
    EXPECT_EQ(empty.fileLength, 0);
    EXPECT_EQ(empty.crc32 + " " + empty.crc16, "00000000 FFFF");
}

TEST_F(ReportWin32Test, AFileBeyondMaxPathIsMeasured) {
    std::string deep = dir_;
    while (deep.size() <= 300) {
        deep += "\\" + std::string(50, 'd');
        ASSERT_TRUE(::CreateDirectoryW(System::SystemPath(deep).c_str(), nullptr));
    }
    const std::string path = Create(deep.substr(dir_.size() + 1) + "\\digits.txt", "123456789");
    ASSERT_GT(path.size(), std::size_t{MAX_PATH});
    const Window::FileReport report = Window::MeasureFile(path);
    EXPECT_EQ(report.fileLength, 9);
    EXPECT_EQ(report.crc32 + " " + report.crc16, "CBF43926 6F91");
}

}  // namespace
