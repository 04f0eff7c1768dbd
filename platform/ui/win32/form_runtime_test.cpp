// The Win32 form runtime's own behaviour on real native controls (a form
// that is never shown): what the lists hold and in what order, and
// everything put back when an event fails.
#include "platform/ui/win32/form_runtime.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/system/os/directory.h"
#include "platform/system/os/error.h"
#include "platform/system/os/text_win32.h"
#include "tests/support/temp_dir_test.h"

namespace {

namespace fs = std::filesystem;
using Ui::ErrorReportEntry;

class Win32FormTest : public TestSupport::TempDirTest {
  protected:
    void SetUp() override {
        root_ = System::NormalDirectoryPath(dir_);
        previousReport_ = Ui::SetErrorReport(
            [this](HWND, const ErrorReportEntry& error) { errors_.push_back(error); });
    }
    void TearDown() override { Ui::SetErrorReport(previousReport_); }

    std::string MakeDirectory(const std::string& path) {
        fs::create_directory(fs::path(System::WideText(path)));
        return path;
    }
    void MakeFile(const std::string& name) {
        const fs::path path(System::WideText(System::JoinPath(root_, "\\", name)));
        std::ofstream(path, std::ios::binary) << "123456789";
    }

    static std::vector<std::wstring> Rows(const Ui::Win32ListBox& list) {
        std::vector<std::wstring> rows;
        for (int row = 0; row < list.RowCount(); ++row) {
            rows.push_back(list.RowText(row));
        }
        return rows;
    }

    std::string root_;
    Ui::Win32Form form_{"Test", 7605, 4665};
    std::vector<ErrorReportEntry> errors_;
    Ui::ErrorReport previousReport_;
};

// The ancestors from the root down, then the subdirectories in name order,
// indented a level deeper each and no deeper than the list can show: on a
// deep path every name stays in view.
TEST_F(Win32FormTest, DirectoryListShowsAncestorsThenSubdirectoriesInView) {
    std::string deep = root_;
    for (int level = 0; level < 30; ++level) {
        deep = MakeDirectory(deep + "\\d" + std::to_string(level));
    }
    MakeDirectory(deep + "\\b");
    MakeDirectory(deep + "\\a");
    Ui::Win32DirListBox dir1(form_.Handle());
    dir1.SetPath(deep);

    std::vector<std::wstring> names;
    for (const std::string& ancestor : System::PathAndAncestors(deep)) {
        names.push_back(System::WideText(System::LastName(ancestor)));
    }
    names.insert(names.end(), {L"a", L"b"});
    const std::vector<std::wstring> rows = Rows(dir1);
    ASSERT_EQ(rows.size(), names.size());
    std::size_t indent = 0;
    for (std::size_t row = 0; row < rows.size(); ++row) {
        const std::size_t spaces = rows[row].find_first_not_of(L' ');
        EXPECT_EQ(rows[row].substr(spaces), names[row]);
        EXPECT_GE(spaces, indent);  // deeper rows never stand further left
        EXPECT_LE(spaces, 16u);     // and never out of sight
        indent = spaces;
    }
    EXPECT_GT(indent, 0u);
    EXPECT_EQ(dir1.CurrentRow(), static_cast<int>(names.size()) - 3);
}

// The list with the focus draws its edge in the highlight colour; the
// other keeps the system's own.
TEST_F(Win32FormTest, ListWithTheFocusShowsAFrameInTheHighlightColour) {
    Ui::Win32DirListBox dir1(form_.Handle());
    Ui::Win32FileListBox file1(form_.Handle());
    form_.Add(dir1, {120, 240, 3255, 2820});
    form_.Add(file1, {3480, 240, 3975, 3150});
    const auto edge = [](const Ui::Win32ListBox& list) {
        RECT place{};
        ::GetWindowRect(list.Handle(), &place);
        const HDC screen = ::GetDC(nullptr);
        const HDC dc = ::CreateCompatibleDC(screen);
        const HBITMAP image =
            ::CreateCompatibleBitmap(screen, place.right - place.left, place.bottom - place.top);
        const HGDIOBJ previous = ::SelectObject(dc, image);
        ::SendMessageW(list.Handle(), WM_PRINT, reinterpret_cast<WPARAM>(dc),
                       PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND);
        const COLORREF colour = ::GetPixel(dc, 0, (place.bottom - place.top) / 2);
        ::SelectObject(dc, previous);
        ::DeleteObject(image);
        ::DeleteDC(dc);
        ::ReleaseDC(nullptr, screen);
        return colour;
    };
    const COLORREF highlight = ::GetSysColor(COLOR_HIGHLIGHT);
    const std::vector<const Ui::Win32ListBox*> lists{&dir1, &file1};
    for (const Ui::Win32ListBox* focused : lists) {
        ::SetFocus(focused->Handle());
        ASSERT_EQ(::GetFocus(), focused->Handle());
        EXPECT_EQ(edge(dir1) == highlight, focused == &dir1);
        EXPECT_EQ(edge(file1) == highlight, focused == &file1);
    }
}

// Files in name order, names that are not plain ASCII shown as they are and
// control characters as escapes; no subdirectories.
TEST_F(Win32FormTest, FileListShowsTheFilesInNameOrder) {
    MakeFile("b.txt");
    MakeFile("\xE3\x82\xAB\xE3\x82\xBF\xE3\x82\xAB\xE3\x83\x8A.txt");  // カタカナ.txt
    MakeFile("a.txt");
    MakeDirectory(root_ + "\\sub");
    Ui::Win32FileListBox file1(form_.Handle());
    file1.SetPath(root_);

    EXPECT_EQ(Rows(file1), (std::vector<std::wstring>{L"a.txt", L"b.txt", L"カタカナ.txt"}));
    // A name longer than the list is wide can be scrolled into view.
    MakeFile(std::string(200, 'z'));
    form_.Add(file1, {3480, 240, 3975, 3150});
    file1.SetPath(root_);
    RECT client{};
    ::GetClientRect(file1.Handle(), &client);
    EXPECT_GT(::SendMessageW(file1.Handle(), LB_GETHORIZONTALEXTENT, 0, 0), 2 * client.right);
    EXPECT_EQ(file1.CurrentRow(), -1);
    EXPECT_EQ(file1.FileName(), "");
    EXPECT_EQ(Ui::DisplayText("a\r\nb\x1B\xE2\x80\xAE"), L"a\\r\\nb\\x1B\\u202E");
    // A box's paragraph is wrapped by the box, its headings and blank lines kept.
    EXPECT_EQ(Ui::BoxParagraphs(L"Usage: x\nOpens it as a\nclick would\n(or not).\n\nPath: p\n"),
              L"Usage: x\nOpens it as a click would (or not).\n\nPath: p\n");
}

TEST_F(Win32FormTest, DirectoryListKeepsItsPathWhenTheNewOneFailsOrItsEventDoes) {
    MakeDirectory(root_ + "\\sub");
    Ui::Win32DirListBox dir1(form_.Handle());
    dir1.SetPath(root_);
    const std::vector<std::wstring> before = Rows(dir1);

    EXPECT_THROW(dir1.SetPath(root_ + "\\missing"), System::PlatformError);
    dir1.onChange = [] { throw System::PlatformError(System::Operation::kList, "x", "refused"); };
    EXPECT_THROW(dir1.SetPath(root_ + "\\sub"), System::PlatformError);

    EXPECT_EQ(dir1.Path(), root_);
    EXPECT_EQ(Rows(dir1), before);
    EXPECT_EQ(dir1.CurrentRow(), static_cast<int>(before.size()) - 2);
}

// End with nothing highlighted starts at the last file. A file that fails
// leaves the highlight where it was, but the keyboard goes on from it: the
// next Down reports the file after it.
TEST_F(Win32FormTest, FileThatFailsPutsTheHighlightBackAndTheKeyboardPassesIt) {
    MakeFile("a.txt");
    MakeFile("b.txt");
    MakeFile("c.txt");
    Ui::Win32FileListBox file1(form_.Handle());
    form_.Add(file1, {3480, 240, 3975, 3150});  // the form routes its notifications
    file1.SetPath(root_);
    std::vector<std::string> reported;
    file1.onClick = [&] {
        if (file1.FileName() == "b.txt") {
            throw System::PlatformError(System::Operation::kRead, "b.txt", "refused");
        }
        reported.push_back(file1.FileName());
    };

    ::SendMessageW(file1.Handle(), WM_KEYDOWN, VK_END, 0);   // c.txt
    ::SendMessageW(file1.Handle(), WM_KEYDOWN, VK_HOME, 0);  // a.txt
    ::SendMessageW(file1.Handle(), WM_KEYDOWN, VK_DOWN, 0);  // b.txt fails
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_EQ(errors_[0].path, "b.txt");
    EXPECT_EQ(file1.CurrentRow(), 0);
    EXPECT_EQ(file1.FileName(), "a.txt");

    ::SendMessageW(file1.Handle(), WM_KEYDOWN, VK_DOWN, 0);  // past b.txt
    EXPECT_EQ(reported, (std::vector<std::string>{"c.txt", "a.txt", "c.txt"}));
    EXPECT_EQ(file1.CurrentRow(), 2);
}

// A drive that fails (no medium) puts the list back on the drive it showed,
// but the keyboard goes on from it: the next Down passes it, and a key that
// moves nowhere new shows the drive chosen before.
TEST_F(Win32FormTest, DriveThatFailsPutsTheListBackAndTheKeyboardPassesIt) {
    Ui::Win32DriveListBox drive1(form_.Handle());
    form_.Add(drive1, {120, 3120, 3255, 300});  // the form routes its notifications
    drive1.SetDrives({"A:", "B:", "C:"}, "A:");
    std::vector<std::string> changes;
    drive1.onChange = [&] {
        if (drive1.Drive() == "B:") {
            throw System::PlatformError(System::Operation::kList, "B:\\", "not ready");
        }
        changes.push_back(drive1.Drive());
    };
    const auto shown = [&] { return ::SendMessageW(drive1.Handle(), CB_GETCURSEL, 0, 0); };

    ::SendMessageW(drive1.Handle(), WM_KEYDOWN, VK_DOWN, 0);  // B: fails
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_EQ(drive1.Drive(), "A:");
    EXPECT_EQ(shown(), 0);
    ::SendMessageW(drive1.Handle(), WM_KEYDOWN, VK_UP, 0);  // back on A:, no event
    EXPECT_EQ(shown(), 0);
    ::SendMessageW(drive1.Handle(), WM_KEYDOWN, VK_DOWN, 0);  // B: again
    ::SendMessageW(drive1.Handle(), WM_KEYDOWN, VK_DOWN, 0);  // past it
    EXPECT_EQ(errors_.size(), 2u);
    EXPECT_EQ(changes, std::vector<std::string>{"C:"});
    EXPECT_EQ(drive1.Drive(), "C:");
    EXPECT_EQ(shown(), 2);
}

// The caption's CR LF pairs break lines; in the literal path they are text.
TEST_F(Win32FormTest, LabelShowsTheReportsLinesAndAPathsLineBreaksAsEscapes) {
    Ui::Win32Label label1(form_.Handle());
    form_.Add(label1, {120, 3600, 7335, 975});
    const std::string path = "C:\\a\r\nb.txt";
    const std::string caption = path + "(9バイト)\r\nCRC32 - CBF43926\r\nCRC16 - 6F91\r\nms";
    label1.SetCaption(caption, path.size(), {"CBF43926", "6F91"});

    EXPECT_EQ(label1.Caption(), caption);
    EXPECT_EQ(::SendMessageW(label1.Handle(), EM_GETLINECOUNT, 0, 0), 4);
    wchar_t first[64]{};
    first[0] = 64;
    first[::SendMessageW(label1.Handle(), EM_GETLINE, 0, reinterpret_cast<LPARAM>(first))] = 0;
    EXPECT_STREQ(first, L"C:\\a\\r\\nb.txt(9バイト)");
}

// A path too long for the label loses its middle, never the file's name and
// size; what is copied is the whole text.
TEST_F(Win32FormTest, LabelShortensALongPathInTheMiddleAndCopiesItWhole) {
    Ui::Win32Label label1(form_.Handle());
    form_.Add(label1, {120, 3600, 7335, 975});
    const std::string path = "C:\\" + std::string(300, 'd') + "\\name.txt";
    label1.SetCaption(path + "(9バイト)\r\nCRC32 - CBF43926\r\nCRC16 - 6F91\r\nms", path.size(),
                      {"CBF43926", "6F91"});

    wchar_t first[400]{};
    first[0] = 400;
    first[::SendMessageW(label1.Handle(), EM_GETLINE, 0, reinterpret_cast<LPARAM>(first))] = 0;
    const std::wstring shown = first;
    EXPECT_TRUE(shown.starts_with(L"C:\\d")) << shown;
    EXPECT_NE(shown.find(L"\u2026"), std::wstring::npos) << shown;
    EXPECT_TRUE(shown.ends_with(L"\\name.txt(9バイト)")) << shown;

    ::SendMessageW(label1.Handle(), EM_SETSEL, 0, -1);
    label1.Copy();
    ASSERT_TRUE(::OpenClipboard(nullptr));
    const auto* copied =
        static_cast<const wchar_t*>(::GlobalLock(::GetClipboardData(CF_UNICODETEXT)));
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(std::wstring(copied),
              System::WideText(path) + L"(9バイト)\r\nCRC32 - CBF43926\r\nCRC16 - 6F91\r\nms");
    ::GlobalUnlock(::GetClipboardData(CF_UNICODETEXT));
    ::CloseClipboard();
}

}  // namespace
