// What the window does when a file, a directory, a drive or a start path
// fails, on the real Qt controls: the error is reported, the lists and the
// label stay as they were, the program goes on; and the error box itself.
#include <sys/stat.h>
#include <unistd.h>
#include <QApplication>
#include <QCursor>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/main_form_test.h"

namespace {

namespace fs = std::filesystem;
using namespace MainFormTesting;
using Ui::ErrorReportEntry;

TEST_F(MainFormTest, FileDeletedAfterTheListWasFilledLeavesTheLabelSilently) {
    ClickEntry(form_->File1(), "a.txt");
    const std::string report = Caption();
    fs::remove(dir_ + "/b.bin");
    ClickEntry(form_->File1(), "b.bin");
    EXPECT_EQ(Caption(), report);
    EXPECT_TRUE(errors_.empty());
}

TEST_F(MainFormTest, UnreadableFileIsReportedAndTheProgramGoesOn) {
    Write("secret", "123");
    form_->File1().SetPath(dir_);
    ClickEntry(form_->File1(), "a.txt");
    const std::string report = Caption();
    const std::string before = WindowState();
    ::chmod((dir_ + "/secret").c_str(), 0);
    AsUnprivilegedUser([&] { ClickEntry(form_->File1(), "secret"); });
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_EQ(errors_[0].operation, System::Operation::kOpen);
    EXPECT_EQ(errors_[0].path, dir_ + "/secret");
    EXPECT_EQ(errors_[0].reason, "Permission denied");
    EXPECT_EQ(Caption(), report);
    // The highlight is back on the file whose report the label shows.
    EXPECT_EQ(WindowState(), before);

    ClickEntry(form_->File1(), "b.bin");
    EXPECT_TRUE(Caption().starts_with(dir_ + "/b.bin(1バイト)"));
}

// After a failed report the lists are as they were before the click or key
// press: the highlight on the file selected before, or on none.
TEST_F(MainFormTest, FailedReportPutsTheHighlightBackWhereverItWas) {
    Write("secret", "123");
    ::chmod((dir_ + "/secret").c_str(), 0);
    form_->File1().SetPath(dir_);  // a.txt, b.bin, c.empty, secret
    form_->Show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form_->form()));
    const std::string nothingSelected = WindowState();
    AsUnprivilegedUser([&] { ClickEntry(form_->File1(), "secret"); });
    EXPECT_EQ(WindowState(), nothingSelected);
    EXPECT_EQ(form_->File1().FileName(), "");

    ClickEntry(form_->File1(), "c.empty");
    const std::string onEmpty = WindowState();
    form_->File1().setFocus();
    AsUnprivilegedUser([&] { QTest::keyClick(&form_->File1(), Qt::Key_Down); });
    EXPECT_EQ(WindowState(), onEmpty);
    AsUnprivilegedUser([&] { DoubleClickEntry(form_->File1(), "secret"); });
    EXPECT_EQ(WindowState(), onEmpty);
    EXPECT_EQ(errors_.size(), 3u);  // the double-click's second click makes no report
}

// A sparse file far beyond the machine's memory is refused before anything
// is allocated, with its size in the message, and the label keeps its report.
TEST_F(MainFormTest, FileLargerThanMemoryIsRefusedAndTheProgramGoesOn) {
    ClickEntry(form_->File1(), "a.txt");
    const std::string report = Caption();
    Write("huge", "");
    ASSERT_EQ(::truncate((dir_ + "/huge").c_str(), std::int64_t{1} << 42), 0);  // 4 TiB
    form_->File1().SetPath(dir_);
    ClickEntry(form_->File1(), "huge");
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_EQ(errors_[0].path, dir_ + "/huge");
    EXPECT_NE(errors_[0].reason.find("4398046511104 bytes"), std::string::npos)
        << errors_[0].reason;
    EXPECT_EQ(Caption(), report);
}

TEST_F(MainFormTest, UnreadableDirectoryIsReportedAndTheListsStayPut) {
    fs::create_directory(dir_ + "/locked");
    ::chmod((dir_ + "/locked").c_str(), 0);
    form_->Dir1().SetPath(dir_);  // lists the new directory
    ClickEntry(form_->File1(), "b.bin");
    const QStringList dirsBefore = Entries(form_->Dir1());
    const std::string before = WindowState();
    AsUnprivilegedUser([&] { DoubleClickEntry(form_->Dir1(), "locked"); });
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_EQ(errors_[0].operation, System::Operation::kList);
    EXPECT_EQ(errors_[0].path, dir_ + "/locked");
    EXPECT_EQ(errors_[0].reason, "Permission denied");
    EXPECT_EQ(form_->Dir1().Path(), dir_);
    EXPECT_EQ(Entries(form_->Dir1()), dirsBefore);
    EXPECT_EQ(form_->File1().Path(), dir_);
    // The directory list's highlight is back on the current directory.
    EXPECT_EQ(WindowState(), before);

    // Enter on a highlighted entry that cannot be opened does the same.
    form_->Dir1().setCurrentIndex(RowOf(form_->Dir1(), "locked", Qt::MatchEndsWith));
    AsUnprivilegedUser([&] { QTest::keyClick(&form_->Dir1(), Qt::Key_Return); });
    EXPECT_EQ(errors_.size(), 2u);
    EXPECT_EQ(WindowState(), before);
}

// A directory the user may read but not search (r--) would list names that
// cannot be opened: moving into it is refused like any unreadable directory.
TEST_F(MainFormTest, DirectoryThatCanBeReadButNotEnteredIsReportedAndNothingChanges) {
    const std::string readOnly = dir_ + "/read-only";
    fs::create_directory(readOnly);
    std::ofstream(readOnly + "/inside.txt") << "x";
    fs::create_directory(readOnly + "/deeper");
    ::chmod(readOnly.c_str(), 0444);
    form_->Dir1().SetPath(dir_);
    ClickEntry(form_->File1(), "a.txt");
    const std::string before = WindowState();
    AsUnprivilegedUser([&] { DoubleClickEntry(form_->Dir1(), "read-only"); });
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_EQ(errors_[0].operation, System::Operation::kEnter);
    EXPECT_EQ(errors_[0].path, readOnly);
    EXPECT_EQ(errors_[0].reason, "Permission denied");
    EXPECT_EQ(WindowState(), before);
    ::chmod(readOnly.c_str(), 0755);
}

// Started in such a directory, the window says so and opens on the root, as
// it does for a start directory it cannot read.
TEST_F(MainFormTest, StartDirectoryThatCannotBeEnteredIsReportedAndTheRootShows) {
    const std::string readOnly = dir_ + "/read-only";
    fs::create_directory(readOnly);
    std::ofstream(readOnly + "/inside.txt") << "x";
    ::chmod(readOnly.c_str(), 0444);
    AsUnprivilegedUser([&] { form_ = std::make_unique<TestSupport::FormUnderTest>(readOnly); });
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_EQ(errors_[0].operation, System::Operation::kEnter);
    EXPECT_EQ(errors_[0].path, readOnly);
    EXPECT_EQ(form_->Dir1().Path(), "/");
    EXPECT_EQ(form_->File1().Path(), "/");
    EXPECT_EQ(form_->Drive1().Drive(), "/");
    ::chmod(readOnly.c_str(), 0755);
}

// The keyboard stays on the drive that failed, so the next Down passes it
// (an empty card reader), while Up from it comes back without an event.
TEST_F(MainFormTest, DriveThatCannotBeReadIsReportedAndTheKeyboardPassesIt) {
    const std::string gone = dir_ + "/not-mounted";
    const std::string other = dir_ + "/sub";
    form_->Drive1().SetDrives({dir_, gone, other}, dir_);
    ClickEntry(form_->File1(), "a.txt");
    const std::string before = WindowState();
    QTest::keyClick(&form_->Drive1(), Qt::Key_Down);
    EXPECT_EQ(WindowState(), before);
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_EQ(errors_[0].path, gone);
    EXPECT_EQ(errors_[0].reason, "No such file or directory");
    EXPECT_EQ(form_->Drive1().Drive(), dir_);
    EXPECT_EQ(form_->Drive1().currentIndex(), 0);
    EXPECT_EQ(form_->Dir1().Path(), dir_);
    EXPECT_EQ(form_->File1().Path(), dir_);

    QTest::keyClick(&form_->Drive1(), Qt::Key_Up);
    EXPECT_EQ(WindowState(), before);
    QTest::keyClick(&form_->Drive1(), Qt::Key_Down);
    EXPECT_EQ(errors_.size(), 2u);
    QTest::keyClick(&form_->Drive1(), Qt::Key_Down);
    EXPECT_EQ(errors_.size(), 2u);
    EXPECT_EQ(form_->Drive1().Drive(), other);
    EXPECT_EQ(form_->Drive1().currentIndex(), 2);
    EXPECT_EQ(form_->Dir1().Path(), other);
}

// A start path that is missing, or a folder that cannot be read, is
// reported and the window opens as usual; a file that cannot be read is
// reported as a click on it is, in its folder.
class StartPathTest : public MainFormTest {
  protected:
    // Opens a new form on `path` and shows it.
    void OpenOn(const std::string& path) {
        form_ = std::make_unique<TestSupport::FormUnderTest>(path, usual_);
        form_->Show();
    }
    const App::MainForm::Starts usual_{[this] { return dir_ + "/sub"; }};
};

TEST_F(StartPathTest, MissingPathIsReportedAndTheUsualStartOpens) {
    OpenOn(dir_ + "/missing.txt");
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_EQ(errors_[0].operation, System::Operation::kOpen);
    EXPECT_EQ(errors_[0].path, dir_ + "/missing.txt");
    EXPECT_EQ(form_->Dir1().Path(), dir_ + "/sub");
    EXPECT_EQ(form_->File1().Path(), dir_ + "/sub");
}

TEST_F(StartPathTest, FolderThatCannotBeReadIsReportedAndTheUsualStartOpens) {
    const std::string closed = dir_ + "/closed";
    fs::create_directory(closed);
    ::chmod(closed.c_str(), 0);
    AsUnprivilegedUser([&] { OpenOn(closed); });
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_EQ(errors_[0].path, closed);
    EXPECT_EQ(form_->Dir1().Path(), dir_ + "/sub");
    ::chmod(closed.c_str(), 0755);
}

// A file the list leaves out cannot be clicked: the lists are on its folder
// and the box says why.
TEST_F(StartPathTest, FileTheListLeavesOutIsReportedInItsFolder) {
    Write(".hidden", "x");
    OpenOn(dir_ + "/.hidden");
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_EQ(errors_[0].path, dir_ + "/.hidden");
    EXPECT_TRUE(errors_[0].reason.starts_with("the file list does not show it"))
        << errors_[0].reason;
    EXPECT_EQ(form_->Dir1().Path(), dir_);
}

TEST_F(StartPathTest, FileThatCannotBeReadIsReportedInItsFolder) {
    ::chmod((dir_ + "/a.txt").c_str(), 0);
    AsUnprivilegedUser([&] { OpenOn(dir_ + "/a.txt"); });
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_EQ(errors_[0].path, dir_ + "/a.txt");
    EXPECT_EQ(errors_[0].reason, "Permission denied");
    EXPECT_EQ(form_->Dir1().Path(), dir_);
    EXPECT_EQ(form_->File1().FileName(), "");
    EXPECT_EQ(Caption(), "");
}

TEST(ErrorReportTextTest, NamesWhatFailedThePathAndTheReason) {
    EXPECT_EQ(
        Ui::ErrorReportText({System::Operation::kOpen, "/data/a.txt", "Permission denied"}),
        QStringLiteral("Could not open the file.\n\nPath: /data/a.txt\nReason: Permission denied"));
}

TEST(ErrorReportTextTest, BoxShowsTheTextAsSelectablePlainTextWithoutDetails) {
    auto box =
        Ui::ErrorReportBox(nullptr, {System::Operation::kOpen, "/data/a.txt", "Permission denied"});
    EXPECT_EQ(box->text(),
              Ui::ErrorReportText({System::Operation::kOpen, "/data/a.txt", "Permission denied"}));
    EXPECT_EQ(box->detailedText(), "");
    EXPECT_EQ(box->icon(), QMessageBox::Critical);
    EXPECT_TRUE(box->textInteractionFlags().testFlag(Qt::TextSelectableByMouse));
    EXPECT_EQ(box->textFormat(), Qt::PlainText);
}

// A long reason breaks at its spaces and still reads as it is: no details.
TEST(ErrorReportTextTest, BoxBreaksALongReasonAtItsSpaces) {
    const Ui::ErrorReportEntry memory{
        System::Operation::kRead, "/data/huge",
        "the file is 4 TiB (4398046511104 bytes), more than the memory available, 23 GiB "
        "(24650379264 bytes)"};
    const auto box = Ui::ErrorReportBox(nullptr, memory);
    EXPECT_GT(box->text().count('\n'), Ui::ErrorReportText(memory).count('\n'));
    EXPECT_EQ(QString(box->text()).replace('\n', ""),
              Ui::ErrorReportText(memory).replace('\n', ""));
    EXPECT_EQ(box->detailedText(), "");
}

// An error raised before the window first shows waits for it, then opens
// over it with its caption.
TEST_F(MainFormTest, ErrorAtStartOpensOverTheWindowOnceItShows) {
    Ui::SetErrorReport(previousReport_);  // the message box
    QString title;
    QPoint centre;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            title = box->windowTitle();
            centre = box->frameGeometry().center();
            box->close();
        }
    });
    closer.start(20);
    form_ = std::make_unique<TestSupport::FormUnderTest>(dir_ + "/gone");
    EXPECT_EQ(title, "");  // not yet
    form_->form().move(300, 200);
    form_->Show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !title.isEmpty(); }, 3000));
    EXPECT_EQ(title, QStringLiteral("Tallixサンプル"));
    EXPECT_LE((centre - form_->form().frameGeometry().center()).manhattanLength(), 20);
}

// The report runs under the wait cursor, which the platform shows without
// a turn of the event loop; it is gone before an error is shown.
TEST_F(MainFormTest, WaitCursorShowsWhileAReportRunsAndIsGoneBeforeAnErrorShows) {
    std::vector<int> shapes;
    const auto cursorShape = [] {
        const QCursor* cursor = QGuiApplication::overrideCursor();
        return cursor != nullptr ? static_cast<int>(cursor->shape()) : -1;
    };
    const auto report = form_->File1().onClick;
    form_->File1().onClick = [&] {
        shapes.push_back(cursorShape());
        report();
    };
    Ui::SetErrorReport([&](QWidget*, const ErrorReportEntry& error) {
        errors_.push_back(error);
        shapes.push_back(cursorShape());
    });
    ClickEntry(form_->File1(), "a.txt");
    EXPECT_EQ(cursorShape(), -1);
    fs::remove(dir_ + "/b.bin");
    fs::create_directory(dir_ + "/b.bin");  // no longer a file: silently passed over
    Write("secret", "123");
    ::chmod((dir_ + "/secret").c_str(), 0);
    form_->File1().SetPath(dir_);
    AsUnprivilegedUser([&] { ClickEntry(form_->File1(), "secret"); });
    EXPECT_EQ(errors_.size(), 1u);
    EXPECT_EQ(shapes, (std::vector<int>{Qt::WaitCursor, Qt::WaitCursor, -1}));
    EXPECT_EQ(cursorShape(), -1);
}

// Whatever the path's length the box fits on the screen, its OK button in
// reach; the whole path is in its details, to be selected and copied.
TEST(ErrorReportTextTest, BoxForAVeryLongPathFitsOnTheScreenWithThePathWholeInItsDetails) {
    std::string path;
    while (path.size() < 20000) {
        path.append(1, '/').append(99, 'd');
    }
    path.resize(20000);
    const Ui::ErrorReportEntry error{System::Operation::kOpen, path, "Permission denied"};
    auto box = Ui::ErrorReportBox(nullptr, error);
    EXPECT_LT(box->text().size(), 1000);
    EXPECT_TRUE(box->text().endsWith("\nReason: Permission denied"));
    EXPECT_EQ(box->detailedText(), Ui::ErrorReportText(error));
    EXPECT_TRUE(box->detailedText().contains(QString::fromStdString(path)));

    box->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(box.get()));
    const QRect screen = box->screen()->availableGeometry();
    EXPECT_LE(box->frameGeometry().width(), screen.width());
    EXPECT_LE(box->frameGeometry().height(), screen.height());
    // With the details open it still fits.
    for (QPushButton* button : box->findChildren<QPushButton*>()) {
        if (button->text().contains("Details")) {
            button->click();
        }
    }
    QApplication::processEvents();
    EXPECT_LE(box->sizeHint().width(), screen.width());
    EXPECT_LE(box->sizeHint().height(), screen.height());
    EXPECT_LE(box->frameGeometry().height(), screen.height());
    box->close();
}

}  // namespace
