// The window on the real Qt controls (offscreen platform): clicks and key
// presses on real list entries, with the error report swapped for a recorder.
#include "platform/app/main_form.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFontInfo>
#include <QGlyphRun>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QRawFont>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextDocumentFragment>
#include <QTextLayout>
#include <QTimer>
#include <QToolTip>
#include <QUrl>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/system/os/clock.h"
#include "platform/system/os/directory.h"
#include "tests/support/temp_dir_test.h"

// Texts in failure messages as text.
void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

namespace fs = std::filesystem;
using Ui::ErrorReportEntry;

// Each run of digits becomes one "#".
std::string Shape(const std::string& text) {
    std::string shape;
    for (const char c : text) {
        const bool digit = c >= '0' && c <= '9';
        if (!digit || shape.empty() || shape.back() != '#') {
            shape += digit ? '#' : c;
        }
    }
    return shape;
}

// A tooltip's text without its markup and line breaks.
QString ToolTipPlainText(const QString& toolTip) {
    return QTextDocumentFragment::fromHtml(toolTip).toPlainText().remove('\n');
}

// Whether `line` is the report's timing line, whatever the three timings.
bool IsTimingLine(const std::string& line) {
    return Shape(line) == Shape("ファイルオープン - 0ms , CRC32 - 0ms , CRC16 - 0ms");
}

// Runs `step` as an unprivileged user when the tests run as root, who may
// read any file, so that a file or directory of mode 0 is really denied.
template <typename Step>
void AsUnprivilegedUser(Step step) {
    const bool root = ::geteuid() == 0;
    ASSERT_TRUE(!root || ::seteuid(65534) == 0);
    step();
    ASSERT_TRUE(!root || ::seteuid(0) == 0);
}

class MainFormTest : public TestSupport::TempDirTest {
  protected:
    void SetUp() override {
        Write("a.txt", "123456789");
        Write("b.bin", std::string(1, '\0'));
        Write("c.empty", "");
        fs::create_directory(dir_ + "/sub");
        Write("sub/inner.txt", "inner");
        previousReport_ = Ui::SetErrorReport(
            [this](QWidget*, const ErrorReportEntry& error) { errors_.push_back(error); });
        form_ = std::make_unique<App::MainForm>(dir_);
    }

    void TearDown() override {
        form_.reset();
        Ui::SetErrorReport(previousReport_);
    }

    // The row of the entry that shows `text` (matched as `flags` say); fails
    // the test unless there is exactly one.
    static QModelIndex RowOf(const QListView& list, const QString& text, Qt::MatchFlags flags) {
        const QAbstractItemModel& rows = *list.model();
        const QModelIndexList found =
            rows.match(rows.index(0, 0), Qt::DisplayRole, text, -1, flags);
        EXPECT_EQ(found.size(), 1) << text.toStdString();
        return found.size() == 1 ? found.front() : QModelIndex();
    }

    // Clicks the entry that shows `text` in a list, at its place on screen.
    static void ClickEntry(QListView& list, const QString& text) {
        const QModelIndex row = RowOf(list, text, Qt::MatchExactly);
        ASSERT_TRUE(row.isValid());
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualRect(row).center());
    }

    static void DoubleClickEntry(QListView& list, const QString& text) {
        const QModelIndex row = RowOf(list, text, Qt::MatchEndsWith);
        ASSERT_TRUE(row.isValid());
        const QPoint centre = list.visualRect(row).center();
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, centre);
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, centre);
    }

    static QStringList Entries(const QListView& list) {
        QStringList texts;
        for (int row = 0; row < list.model()->rowCount(); ++row) {
            texts << list.model()->index(row, 0).data().toString().trimmed();
        }
        return texts;
    }

    std::string Caption() { return form_->Label1().Caption(); }

    // A list's entries, its highlighted row and its selected rows.
    static std::string ListState(const Ui::NativeListView& list) {
        std::string state = Entries(list).join('|').toStdString() + " current " +
                            std::to_string(list.CurrentRow()) + " selected";
        for (const QModelIndex& selected : list.selectionModel()->selectedIndexes()) {
            state.append(1, ' ').append(std::to_string(selected.row()));
        }
        return state;
    }

    // Everything the user sees of the window: the three lists with their
    // highlights, and the label.
    std::string WindowState() {
        return "drive " + form_->Drive1().Drive() + " at " +
               std::to_string(form_->Drive1().currentIndex()) + "\ndirectories " +
               form_->Dir1().Path() + ": " + ListState(form_->Dir1()) + "\nfiles " +
               form_->File1().Path() + ": " + ListState(form_->File1()) + " name " +
               form_->File1().FileName() + "\nlabel " + Caption();
    }

    std::vector<ErrorReportEntry> errors_;
    Ui::ErrorReport previousReport_;
    std::unique_ptr<App::MainForm> form_;
};

TEST_F(MainFormTest, FormHasTheCaptionFixedSizeLayoutAndTabOrder) {
    Ui::QtForm& form = form_->form();
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Tallixサンプル"));
    ASSERT_EQ(form.logicalDpiX(), 96);  // the offscreen screen: 15 twips a pixel
    EXPECT_EQ(form.size(), QSize(507, 311));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());  // not resizable
    EXPECT_EQ(form_->Drive1().geometry(), QRect(8, 208, 217, 20));
    EXPECT_EQ(form_->Dir1().geometry(), QRect(8, 16, 217, 188));
    EXPECT_EQ(form_->File1().geometry(), QRect(232, 16, 265, 210));
    EXPECT_EQ(form_->Label1().geometry(), QRect(8, 240, 489, 65));

    form_->Show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    // Tab walks Drive1, Dir1, File1 and back; the label takes no focus.
    const std::vector<QWidget*> tabOrder{&form_->Drive1(), &form_->Dir1(), &form_->File1(),
                                         &form_->Drive1()};
    // The list with the focus shows it by a frame in the highlight colour,
    // from the start.
    const auto framed = [](QWidget& list) {
        const QImage image = list.grab().toImage();
        return image.pixelColor(1, image.height() / 2) == list.palette().color(QPalette::Highlight);
    };
    for (QWidget* expected : tabOrder) {
        ASSERT_EQ(QApplication::focusWidget(), expected);
        EXPECT_EQ(framed(form_->Drive1()), expected == &form_->Drive1());
        EXPECT_EQ(framed(form_->Dir1()), expected == &form_->Dir1());
        EXPECT_EQ(framed(form_->File1()), expected == &form_->File1());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(Caption(), "");
    EXPECT_EQ(form_->Label1().toPlainText(), "");
}

// At a fractional scale every list still shows the bottom line of its
// frame. Runs under QT_SCALE_FACTOR=1.5 (the CTest main_form_at_scale_1_5).
TEST_F(MainFormTest, ListFramesAreWholeAtAFractionalScale) {
    const qreal scale = form_->form().devicePixelRatioF();
    if (scale == std::floor(scale)) {
        GTEST_SKIP() << "needs QT_SCALE_FACTOR=1.5";
    }
    form_->Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form_->form()));
    for (QWidget* list : std::vector<QWidget*>{&form_->Dir1(), &form_->File1()}) {
        const QImage image = form_->form().grab(list->geometry()).toImage();
        const int window = list->palette().color(QPalette::Window).lightness();
        const int x = image.width() / 2;
        EXPECT_LT(std::min(image.pixelColor(x, image.height() - 1).lightness(),
                           image.pixelColor(x, image.height() - 2).lightness()),
                  window);
    }
}

TEST_F(MainFormTest, OpensOnTheStartDirectoryWithItsOrdinaryFilesAndAncestors) {
    Write(".hidden", "x");
    form_ = std::make_unique<App::MainForm>(dir_);
    EXPECT_EQ(form_->Dir1().Path(), dir_);
    EXPECT_EQ(form_->File1().Path(), dir_);
    EXPECT_EQ(Entries(form_->File1()), (QStringList{"a.txt", "b.bin", "c.empty"}));

    QStringList expectedDirs;
    for (const std::string& ancestor : System::PathAndAncestors(dir_)) {
        expectedDirs << QString::fromStdString(System::LastName(ancestor));
    }
    expectedDirs << "sub";
    EXPECT_EQ(Entries(form_->Dir1()), expectedDirs);
    EXPECT_EQ(form_->Drive1().Drive(), Ui::DriveOf(dir_));
    EXPECT_TRUE(errors_.empty());
}

TEST_F(MainFormTest, ClickingAFileShowsItsReportByteForByte) {
    ClickEntry(form_->File1(), "a.txt");
    const std::string nine = dir_ + "/a.txt(9バイト)\r\nCRC32 - CBF43926\r\nCRC16 - 6F91\r\n";
    ASSERT_TRUE(Caption().starts_with(nine)) << Caption();
    EXPECT_TRUE(IsTimingLine(Caption().substr(nine.size()))) << Caption();
    EXPECT_EQ(form_->Label1().toPlainText().toStdString().find('\r'), std::string::npos);

    ClickEntry(form_->File1(), "b.bin");
    const std::string zero = dir_ + "/b.bin(1バイト)\r\nCRC32 - D202EF8D\r\nCRC16 - 0F87\r\n";
    ASSERT_TRUE(Caption().starts_with(zero)) << Caption();
    EXPECT_TRUE(IsTimingLine(Caption().substr(zero.size()))) << Caption();
    EXPECT_TRUE(errors_.empty());
}

TEST_F(MainFormTest, KeyboardMovesAndRepeatedClicksEachMakeOneFreshReport) {
    int reports = 0;
    const auto previous = form_->File1().onClick;
    form_->File1().onClick = [&] {
        ++reports;
        previous();
    };
    form_->Show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form_->form()));
    form_->File1().setFocus();  // gaining the focus selects nothing
    EXPECT_EQ(reports, 0);
    EXPECT_EQ(form_->File1().FileName(), "");

    QTest::keyClick(&form_->File1(), Qt::Key_Down);  // onto the first file
    EXPECT_EQ(reports, 1);
    EXPECT_TRUE(Caption().starts_with(dir_ + "/a.txt(9バイト)")) << Caption();
    ClickEntry(form_->File1(), "a.txt");  // the same file again: read afresh
    EXPECT_EQ(reports, 2);
    ClickEntry(form_->File1(), "c.empty");
    EXPECT_EQ(reports, 3);
    QTest::keyClick(&form_->File1(), Qt::Key_Up);
    EXPECT_EQ(reports, 4);
    EXPECT_TRUE(Caption().starts_with(dir_ + "/b.bin(1バイト)")) << Caption();

    form_->File1().SetPath(dir_);  // refilling the list starts no report
    EXPECT_EQ(reports, 4);

    // With nothing highlighted, End, Up and Page Down go to the last file
    // (the last in view: all three fit), Home and Down to the first.
    for (const Qt::Key key : {Qt::Key_End, Qt::Key_Up, Qt::Key_PageDown, Qt::Key_Home}) {
        form_->File1().SetPath(dir_);
        QTest::keyClick(&form_->File1(), key);
        EXPECT_EQ(form_->File1().FileName(), key == Qt::Key_Home ? "a.txt" : "c.empty") << key;
    }
    EXPECT_EQ(reports, 8);
}

// Each report line stays on one row, cut at the right edge, so a long path
// cannot push the checksum and timing lines out of the label.
TEST_F(MainFormTest, LongNameKeepsTheChecksumAndTimingLinesInView) {
    const std::string name = std::string(196, 'n') + ".txt";  // 200 characters
    Write(name, "123456789");
    form_->File1().SetPath(dir_);
    form_->Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form_->form()));
    ClickEntry(form_->File1(), QString::fromStdString(name));
    QApplication::processEvents();
    ASSERT_TRUE(Caption().starts_with(dir_ + "/" + name + "(9バイト)\r\nCRC32 - CBF43926\r\n"))
        << Caption();

    Ui::QtLabel& label = form_->Label1();
    EXPECT_EQ(label.lineWrapMode(), QPlainTextEdit::NoWrap);
    ASSERT_EQ(label.document()->blockCount(), 4);
    for (QTextBlock block = label.document()->firstBlock(); block.isValid(); block = block.next()) {
        EXPECT_EQ(block.layout()->lineCount(), 1) << block.text().toStdString();
    }
    const QTextBlock timing = label.document()->lastBlock();
    EXPECT_TRUE(IsTimingLine(timing.text().toStdString())) << timing.text().toStdString();
    // The report is in the toolkit's font, the path's Latin letters and
    // separators drawn by it, the katakana by whatever font the system
    // falls back to for them.
    EXPECT_EQ(label.font().family(), QApplication::font().family());
    QTextLayout line(label.document()->firstBlock().text(), label.font());
    line.beginLayout();
    line.createLine();
    line.endLayout();
    EXPECT_EQ(line.glyphRuns(0, 1).front().rawFont().familyName(),
              QFontInfo(label.font()).family());
    const QRect place = label.cursorRect(QTextCursor(timing));  // in the viewport
    EXPECT_GE(place.top(), 0);
    EXPECT_LE(place.bottom(), label.viewport()->height());
    EXPECT_EQ(label.horizontalScrollBar()->value(), 0);  // the text starts at the left edge
    // The first line is shortened in the middle: the start of the path, the
    // end of the name and the size are in view; the caption stays exact.
    const QString first = label.document()->firstBlock().text();
    EXPECT_TRUE(first.startsWith('/')) << first.toStdString();
    EXPECT_TRUE(first.contains(QStringLiteral("\u2026")) &&
                first.endsWith(QStringLiteral("nnnnnn.txt(9バイト)")))
        << first.toStdString();
    QTextCursor end(label.document()->firstBlock());
    end.movePosition(QTextCursor::EndOfBlock);
    EXPECT_LE(label.cursorRect(end).right(), label.viewport()->width());
    // The whole path is copied, from a selection or with Ctrl+C from a list,
    // and the tooltip shows it.
    const QString whole = QString::fromStdString(dir_ + "/" + name + "(9バイト)\nCRC32 - CBF43926");
    label.selectAll();
    label.CopyReport();
    EXPECT_TRUE(QGuiApplication::clipboard()->text().startsWith(whole));
    QTextCursor tail(label.document()->firstBlock());
    tail.setPosition(first.indexOf(QStringLiteral("\u2026")) + 1);
    tail.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    label.setTextCursor(tail);
    label.CopyReport();
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              first.mid(first.indexOf(QStringLiteral("\u2026")) + 1));
    label.setTextCursor(QTextCursor(label.document()));  // nothing selected
    QGuiApplication::clipboard()->clear();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form_->form()));
    form_->File1().setFocus();
    QTest::keyClick(&form_->File1(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_TRUE(QGuiApplication::clipboard()->text().startsWith(whole));
    EXPECT_EQ(QGuiApplication::clipboard()->text().count('\n'), 3);
    EXPECT_TRUE(ToolTipPlainText(label.toolTip()).contains(QString::fromStdString(name)));

    // The file list cuts the name too; its tooltip shows it whole.
    QListView& files = form_->File1();
    const QPoint entry =
        files.visualRect(RowOf(files, QString::fromStdString(name), Qt::MatchExactly)).center();
    QHelpEvent help(QEvent::ToolTip, entry, files.viewport()->mapToGlobal(entry));
    QApplication::sendEvent(files.viewport(), &help);
    EXPECT_EQ(ToolTipPlainText(QToolTip::text()), QString::fromStdString(name));
    QToolTip::hideText();
}

// A name may hold any byte but "/" and NUL. Line breaks and other control
// characters show as escapes, so every file is one row of the list and the
// report is four rows of the label; the file still opens by its real name.
TEST_F(MainFormTest, ControlCharactersInNamesShowAsEscapesOnOneRow) {
    const std::string name = "two\nlines\r\nCRC32 - 00000000\t\x01\x7f.txt";
    Write(name, "123456789");
    fs::create_directory(dir_ + "/new\nline");
    form_->Dir1().SetPath(dir_);
    form_->File1().SetPath(dir_);
    const QString shown = QStringLiteral("two\\nlines\\r\\nCRC32 - 00000000\\t\\x01\\x7F.txt");
    EXPECT_EQ(Entries(form_->File1()), (QStringList{"a.txt", "b.bin", "c.empty", shown}));
    EXPECT_EQ(Entries(form_->Dir1()).back(), QStringLiteral("sub"));
    EXPECT_TRUE(Entries(form_->Dir1()).contains(QStringLiteral("new\\nline")));

    ClickEntry(form_->File1(), shown);
    EXPECT_EQ(form_->File1().FileName(), name);
    ASSERT_TRUE(Caption().starts_with(dir_ + "/" + name + "(9バイト)\r\nCRC32 - CBF43926\r\n"))
        << Caption();
    const QStringList rows = form_->Label1().ReportText().split('\n');
    ASSERT_EQ(rows.size(), 4) << form_->Label1().ReportText().toStdString();
    EXPECT_EQ(rows[0], QString::fromStdString(dir_ + "/") + shown + QStringLiteral("(9バイト)"));
    EXPECT_EQ(rows[1], QStringLiteral("CRC32 - CBF43926"));
    EXPECT_TRUE(IsTimingLine(rows[3].toStdString()));
    EXPECT_TRUE(errors_.empty());
}

TEST(DisplayTextTest, ShowsEveryCharacterThatWouldMoveOrBreakTheTextAsAnEscape) {
    using Ui::DisplayText;
    EXPECT_EQ(DisplayText("plain name (1).txt"), QStringLiteral("plain name (1).txt"));
    EXPECT_EQ(DisplayText("Tallixサンプル"), QStringLiteral("Tallixサンプル"));
    EXPECT_EQ(DisplayText("back\\slash"), QStringLiteral("back\\slash"));
    EXPECT_EQ(DisplayText(std::string("a\0b", 3)), QStringLiteral("a\\x00b"));
    EXPECT_EQ(DisplayText("\n\r\t\x1b\x1f\x7f"), QStringLiteral("\\n\\r\\t\\x1B\\x1F\\x7F"));
    // C1 controls, line and paragraph separators, direction overrides.
    EXPECT_EQ(DisplayText("\u0085|\u2028|\u2029|\u202e|\u2066"),
              QStringLiteral("\\u0085|\\u2028|\\u2029|\\u202E|\\u2066"));
    EXPECT_EQ(DisplayText("caf\xe9"), QStringLiteral("caf\uFFFD"));  // not UTF-8
}

TEST_F(MainFormTest, ZeroLengthFileReportsWithoutBeingOpened) {
    ::chmod((dir_ + "/c.empty").c_str(), 0);  // may not be read, but is never opened
    AsUnprivilegedUser([&] { ClickEntry(form_->File1(), "c.empty"); });
    const std::string caption = Caption();
    const std::size_t timings = caption.rfind("\r\n") + 2;
    EXPECT_EQ(caption.substr(0, timings),
              dir_ + "/c.empty(0バイト)\r\nCRC32 - 00000000\r\nCRC16 - FFFF\r\n");
    EXPECT_TRUE(IsTimingLine(caption.substr(timings))) << caption;
    EXPECT_TRUE(errors_.empty());
}

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

// The keyboard's position stays on a file that failed while the highlight
// goes back, so the next key goes on past it instead of trying it again.
TEST_F(MainFormTest, KeysGoOnPastAFileThatCannotBeRead) {
    Write("0-secret", "123");  // the first file
    ::chmod((dir_ + "/0-secret").c_str(), 0);
    form_->File1().SetPath(dir_);
    form_->Show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form_->form()));
    form_->File1().setFocus();
    const std::string nothingSelected = WindowState();
    AsUnprivilegedUser([&] { QTest::keyClick(&form_->File1(), Qt::Key_Down); });
    EXPECT_EQ(WindowState(), nothingSelected);
    QTest::keyClick(&form_->File1(), Qt::Key_Down);
    EXPECT_EQ(form_->File1().FileName(), "a.txt");
    EXPECT_TRUE(Caption().starts_with(dir_ + "/a.txt(9バイト)")) << Caption();
    EXPECT_EQ(errors_.size(), 1u);
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

TEST_F(MainFormTest, NonUtf8FileNameIsListedAndReported) {
    const std::string raw = "caf\xe9.txt";  // Latin-1, not valid UTF-8
    Write(raw, "123456789");
    form_->File1().SetPath(dir_);
    const QString shown = QStringLiteral("caf\uFFFD.txt");
    ClickEntry(form_->File1(), shown);
    EXPECT_EQ(form_->File1().FileName(), raw);
    EXPECT_TRUE(Caption().starts_with(dir_ + "/" + raw + "(9バイト)\r\nCRC32 - CBF43926"))
        << Caption();
    EXPECT_TRUE(form_->Label1().ReportText().startsWith(QString::fromStdString(dir_) + "/" + shown +
                                                        "(9バイト)"));
}

TEST_F(MainFormTest, OpeningADirectoryMovesBothListsAndLeavesTheLabel) {
    ClickEntry(form_->File1(), "a.txt");
    const std::string report = Caption();
    DoubleClickEntry(form_->Dir1(), "sub");
    EXPECT_EQ(form_->Dir1().Path(), dir_ + "/sub");
    EXPECT_EQ(form_->File1().Path(), dir_ + "/sub");
    EXPECT_EQ(Entries(form_->File1()), QStringList{"inner.txt"});
    EXPECT_EQ(Caption(), report);

    // Back up with the keyboard: the entry above the current one is its parent.
    form_->Dir1().setCurrentIndex(
        form_->Dir1().currentIndex().siblingAtRow(form_->Dir1().CurrentRow() - 1));
    QTest::keyClick(&form_->Dir1(), Qt::Key_Return);
    EXPECT_EQ(form_->Dir1().Path(), dir_);
    EXPECT_EQ(Entries(form_->File1()), (QStringList{"a.txt", "b.bin", "c.empty"}));
    EXPECT_TRUE(errors_.empty());
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
    AsUnprivilegedUser([&] { form_ = std::make_unique<App::MainForm>(readOnly); });
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_EQ(errors_[0].operation, System::Operation::kEnter);
    EXPECT_EQ(errors_[0].path, readOnly);
    EXPECT_EQ(form_->Dir1().Path(), "/");
    EXPECT_EQ(form_->File1().Path(), "/");
    EXPECT_EQ(form_->Drive1().Drive(), "/");
    ::chmod(readOnly.c_str(), 0755);
}

TEST_F(MainFormTest, DriveChangeMovesTheListsButLeavesTheLabel) {
    const std::string other = dir_ + "/sub";
    form_->Drive1().SetDrives({dir_, other}, dir_);
    ClickEntry(form_->File1(), "a.txt");
    const std::string report = Caption();

    form_->Drive1().setFocus();
    QTest::keyClick(&form_->Drive1(), Qt::Key_Down);
    EXPECT_EQ(form_->Drive1().Drive(), other);
    EXPECT_EQ(form_->Dir1().Path(), other);
    EXPECT_EQ(Entries(form_->File1()), QStringList{"inner.txt"});
    EXPECT_EQ(Caption(), report);
    EXPECT_TRUE(errors_.empty());
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

TEST_F(MainFormTest, DrivesAreTheMountedDirectoriesIncludingTheRoot) {
    const std::vector<std::string> drives = Ui::MountedDrives();
    EXPECT_NE(std::find(drives.begin(), drives.end(), "/"), drives.end());
    EXPECT_EQ(Ui::DriveOf("/"), "/");

    // Mount points whose names are not UTF-8 or hold escaped blanks are
    // drives too; what is not a directory is not, nor are the kernel's own
    // file systems and what is mounted under /dev, /proc, /sys or /run.
    fs::create_directory(dir_ + "/caf\xe9");
    fs::create_directory(dir_ + "/two words");
    fs::create_directory(dir_ + "/cgroup");
    fs::create_directory(dir_ + "/remote");
    Write("file", "");
    Write("mounts", "/dev/sda1 / ext4 rw 0 0\ntmpfs " + dir_ + "/caf\xe9 tmpfs rw 0 0\n" +
                        "tmpfs " + dir_ + "/two\\040words tmpfs rw 0 0\n" + "tmpfs " + dir_ +
                        "/file tmpfs rw 0 0\nproc /proc proc rw 0 0\nsysfs /sys sysfs rw 0 0\n" +
                        "tmpfs /dev/shm tmpfs rw 0 0\ntmpfs /run tmpfs rw 0 0\n" + "cgroup2 " +
                        dir_ + "/cgroup cgroup2 rw 0 0\n" + "host:/ " + dir_ +
                        "/remote fuse.sshfs rw 0 0\n");
    EXPECT_EQ(
        Ui::MountedDrives(dir_ + "/mounts"),
        (std::vector<std::string>{"/", dir_ + "/caf\xe9", dir_ + "/remote", dir_ + "/two words"}));

    // Opening the list reads the mounts afresh and keeps the chosen drive.
    form_->Drive1().SetDrives({dir_}, dir_);
    form_->Show();
    form_->Drive1().showPopup();
    EXPECT_NE(form_->Drive1().findText("/"), -1);
    EXPECT_EQ(form_->Drive1().Drive(), dir_);
    EXPECT_EQ(form_->Drive1().currentText().toStdString(), dir_);
    form_->Drive1().hidePopup();
}

// A mount point too long for the window opens a list no wider than the
// window, and shows whole in the tooltips of its entry and the closed box.
TEST_F(MainFormTest, LongMountPointKeepsTheDriveListWithinTheWindow) {
    const std::string longDrive = dir_ + "/" + std::string(200, 'm') + "/" + std::string(200, 'n');
    fs::create_directories(longDrive);
    QComboBox& drives = form_->Drive1();
    form_->Drive1().SetDrives({dir_, longDrive}, longDrive);
    EXPECT_EQ(ToolTipPlainText(drives.toolTip()), QString::fromStdString(longDrive));
    EXPECT_EQ(ToolTipPlainText(drives.itemData(1, Qt::ToolTipRole).toString()),
              QString::fromStdString(longDrive));
    EXPECT_TRUE(drives.itemText(1).endsWith(QString(20, 'n'))) << drives.itemText(1).toStdString();
    form_->Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form_->form()));
    drives.showPopup();  // the real drives and the chosen one
    EXPECT_LE(drives.view()->window()->width(), form_->form().width());
    drives.hidePopup();
    form_->Drive1().SetDrives({dir_, longDrive}, dir_);
    EXPECT_EQ(drives.toolTip(), "");
}

// However deep the directory, the current one's name is in view: the
// indentation stays within a fixed width.
TEST_F(MainFormTest, DeepDirectoryKeepsItsNameInView) {
    std::string deep = dir_;
    for (int level = 0; level < 100; ++level) {
        deep += "/level" + std::to_string(level);
    }
    fs::create_directories(deep);
    form_->Dir1().SetPath(deep);
    const QString current = form_->Dir1().currentIndex().data().toString();
    EXPECT_TRUE(current.endsWith("level99")) << current.toStdString();
    EXPECT_LT(form_->Dir1().fontMetrics().horizontalAdvance(current), form_->Dir1().width() / 2);
}

// A name in katakana starts where its siblings' Latin names do, though
// its script is drawn in a font of its own.
TEST_F(MainFormTest, KatakanaNameIsIndentedAsItsSiblings) {
    fs::create_directory(dir_ + "/sub/alpha");
    fs::create_directory(dir_ + "/sub/\xe3\x82\xab\xe3\x82\xbf");  // カタ
    form_->Dir1().SetPath(dir_ + "/sub");
    form_->Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form_->form()));
    const QImage image = form_->Dir1().viewport()->grab().toImage();
    const QColor background = form_->Dir1().palette().color(QPalette::Base);
    const auto inkLeft = [&](const QString& name) {
        const QRect row = form_->Dir1().visualRect(RowOf(form_->Dir1(), name, Qt::MatchEndsWith));
        for (int x = row.left(); x <= row.right(); ++x) {
            for (int y = row.top(); y <= row.bottom(); ++y) {
                if (image.pixelColor(x, y) != background) {
                    return x;
                }
            }
        }
        return -1;
    };
    const int latin = inkLeft("alpha");
    EXPECT_GT(latin, inkLeft("sub"));
    EXPECT_NEAR(inkLeft(QStringLiteral("\u30AB\u30BF")), latin, 2);
}

// A file dropped on the window moves the lists to its directory and is
// reported as a click on it would be, whatever bytes its name holds.
TEST_F(MainFormTest, DroppedFileIsOpenedAndReportedLikeAClick) {
    Write("sub/caf\xe9.txt", "123456789");
    const auto urls = [](const std::vector<std::string>& paths) {
        QList<QUrl> list;
        for (const std::string& path : paths) {
            list << QUrl::fromEncoded("file://" +
                                      QByteArray::fromStdString(path).toPercentEncoding("/"));
        }
        return list;
    };
    QMimeData data;
    data.setUrls(urls({dir_ + "/a.txt", dir_ + "/b.bin"}));
    QDragEnterEvent two(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(&form_->form(), &two);
    EXPECT_FALSE(two.isAccepted());  // one file at a time
    data.setUrls({QUrl("file://elsewhere" + QString::fromStdString(dir_) + "/a.txt")});
    QDragEnterEvent remote(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(&form_->form(), &remote);
    EXPECT_FALSE(remote.isAccepted());  // another host's file

    data.setUrls(urls({dir_ + "/sub/caf\xe9.txt"}));
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(&form_->form(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(&form_->form(), &drop);
    EXPECT_EQ(form_->Dir1().Path(), dir_ + "/sub");
    EXPECT_EQ(form_->File1().Path(), dir_ + "/sub");
    EXPECT_EQ(form_->File1().FileName(), "caf\xe9.txt");
    EXPECT_TRUE(Caption().starts_with(dir_ + "/sub/caf\xe9.txt(9バイト)\r\nCRC32 - CBF43926"))
        << Caption();
    EXPECT_TRUE(errors_.empty());
}

TEST_F(MainFormTest, LabelMenuComparesTheClipboardWithTheReport) {
    const auto compareAction = [this] {
        std::unique_ptr<QMenu> menu = form_->Label1().ContextMenu();
        const QList<QAction*> actions = menu->actions();
        const auto found = std::find_if(actions.begin(), actions.end(), [](const QAction* action) {
            return action->text() == "Compare with clipboard";
        });
        return found != actions.end() && (*found)->isEnabled();
    };
    EXPECT_FALSE(compareAction());  // no report yet
    ClickEntry(form_->File1(), "a.txt");
    EXPECT_TRUE(compareAction());
    QGuiApplication::clipboard()->setText(" 0xcbf43926\n");
    EXPECT_EQ(form_->Label1().CompareWithClipboard()->match, Window::ChecksumMatch::kCRC32);
    QGuiApplication::clipboard()->setText("6F92");
    EXPECT_EQ(form_->Label1().CompareWithClipboard()->match, Window::ChecksumMatch::kNeither);

    // The menu's entry answers in a box over the window.
    QString answer;
    QTimer::singleShot(50, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            answer = box->windowTitle() + ": " + box->text();
            box->close();
        }
    });
    std::unique_ptr<QMenu> menu = form_->Label1().ContextMenu();
    menu->actions().back()->trigger();
    EXPECT_EQ(answer, QStringLiteral("Tallixサンプル: NO MATCH: 6F92 matches neither this file's "
                                     "CRC-32 (CBF43926) nor its CRC-16 (6F91)."));
}

// A path named at the start opens the lists on its folder and, once the
// form shows, reports the file as a click on it would; a folder is opened.
TEST_F(MainFormTest, StartPathOpensItsFolderAndReportsTheFile) {
    const std::string folder = dir_ + "/sub/\xE3\x82\xAB\xE3\x82\xBF dir";
    fs::create_directories(folder);
    const std::string name = "\xE3\x82\xAB\xE3\x82\xBF\xE3\x82\xAB\xE3\x83\x8A name.txt";
    Write("sub/\xE3\x82\xAB\xE3\x82\xBF dir/" + name, "123456789");
    Write("sub/\xE3\x82\xAB\xE3\x82\xBF dir/other.txt", "x");
    const App::MainForm::Starts usual{[this] { return dir_; }};

    form_ = std::make_unique<App::MainForm>(folder + "/" + name, usual);
    EXPECT_EQ(Caption(), "");  // not before the form loads
    form_->Show();
    EXPECT_EQ(form_->Dir1().Path(), folder);
    EXPECT_EQ(form_->File1().Path(), folder);
    EXPECT_EQ(form_->File1().FileName(), name);
    EXPECT_TRUE(Caption().starts_with(folder + "/" + name + "(9バイト)\r\nCRC32 - CBF43926\r\n"));

    form_ = std::make_unique<App::MainForm>(dir_ + "/sub/", usual);
    form_->Show();
    EXPECT_EQ(form_->Dir1().Path(), dir_ + "/sub");
    EXPECT_EQ(Entries(form_->File1()), QStringList{"inner.txt"});
    EXPECT_EQ(form_->File1().FileName(), "");
    EXPECT_EQ(Caption(), "");
    EXPECT_TRUE(errors_.empty());
}

// A start path that is missing, or a folder that cannot be read, is
// reported and the window opens as usual; a file that cannot be read is
// reported as a click on it is, in its folder.
TEST_F(MainFormTest, StartPathThatCannotBeReadIsReported) {
    const App::MainForm::Starts usual{[this] { return dir_ + "/sub"; }};
    form_ = std::make_unique<App::MainForm>(dir_ + "/missing.txt", usual);
    form_->Show();
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_EQ(errors_[0].operation, System::Operation::kOpen);
    EXPECT_EQ(errors_[0].path, dir_ + "/missing.txt");
    EXPECT_EQ(form_->Dir1().Path(), dir_ + "/sub");
    EXPECT_EQ(form_->File1().Path(), dir_ + "/sub");

    const std::string closed = dir_ + "/closed";
    fs::create_directory(closed);
    ::chmod(closed.c_str(), 0);
    AsUnprivilegedUser([&] {
        form_ = std::make_unique<App::MainForm>(closed, usual);
        form_->Show();
    });
    ASSERT_EQ(errors_.size(), 2u);
    EXPECT_EQ(errors_[1].path, closed);
    EXPECT_EQ(form_->Dir1().Path(), dir_ + "/sub");

    // A file the list leaves out cannot be clicked: the lists are on its
    // folder and the box says why.
    Write(".hidden", "x");
    form_ = std::make_unique<App::MainForm>(dir_ + "/.hidden", usual);
    form_->Show();
    ASSERT_EQ(errors_.size(), 3u);
    EXPECT_EQ(errors_[2].path, dir_ + "/.hidden");
    EXPECT_TRUE(errors_[2].reason.starts_with("the file list does not show it"))
        << errors_[2].reason;
    EXPECT_EQ(form_->Dir1().Path(), dir_);

    ::chmod((dir_ + "/a.txt").c_str(), 0);
    AsUnprivilegedUser([&] {
        form_ = std::make_unique<App::MainForm>(dir_ + "/a.txt", usual);
        form_->Show();
    });
    ASSERT_EQ(errors_.size(), 4u);
    EXPECT_EQ(errors_[3].path, dir_ + "/a.txt");
    EXPECT_EQ(errors_[3].reason, "Permission denied");
    EXPECT_EQ(form_->Dir1().Path(), dir_);
    EXPECT_EQ(form_->File1().FileName(), "");
    EXPECT_EQ(Caption(), "");
    ::chmod(closed.c_str(), 0755);
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
    form_ = std::make_unique<App::MainForm>(dir_ + "/gone");
    EXPECT_EQ(title, "");  // not yet
    form_->form().move(300, 200);
    form_->Show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !title.isEmpty(); }, 3000));
    EXPECT_EQ(title, QStringLiteral("Tallixサンプル"));
    EXPECT_LE((centre - form_->form().frameGeometry().center()).manhattanLength(), 20);
}

TEST_F(MainFormTest, LoadBeforeShowAndUnloadOnCloseBalanceTheTimerPeriod) {
    const int before = System::OutstandingTimerPeriods();
    bool visibleAtLoad = true;
    const auto load = form_->form().onLoad;
    form_->form().onLoad = [&] {
        visibleAtLoad = form_->form().isVisible();
        load();
    };
    form_->Show();
    EXPECT_FALSE(visibleAtLoad);
    EXPECT_EQ(System::OutstandingTimerPeriods(), before + 1);
    form_->Show();  // showing again loads nothing more
    EXPECT_EQ(System::OutstandingTimerPeriods(), before + 1);
    EXPECT_TRUE(form_->form().close());
    EXPECT_EQ(System::OutstandingTimerPeriods(), before);
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

TEST(ErrorReportTextTest, NamesWhatFailedThePathAndTheReason) {
    EXPECT_EQ(
        Ui::ErrorReportText({System::Operation::kOpen, "/data/a.txt", "Permission denied"}),
        QStringLiteral("Could not open the file.\n\nPath: /data/a.txt\nReason: Permission denied"));
    auto box = Ui::ErrorReportBox(
        nullptr, {System::Operation::kOpen, "/data/a.txt", "Permission denied"});
    EXPECT_EQ(box->text(), Ui::ErrorReportText(
                               {System::Operation::kOpen, "/data/a.txt", "Permission denied"}));
    EXPECT_EQ(box->detailedText(), "");
    EXPECT_EQ(box->icon(), QMessageBox::Critical);
    EXPECT_TRUE(box->textInteractionFlags().testFlag(Qt::TextSelectableByMouse));
    EXPECT_EQ(box->textFormat(), Qt::PlainText);

    // A long reason breaks at its spaces and still reads as it is: no details.
    const Ui::ErrorReportEntry memory{
        System::Operation::kRead, "/data/huge",
        "the file is 4 TiB (4398046511104 bytes), more than the memory available, 23 GiB "
        "(24650379264 bytes)"};
    box = Ui::ErrorReportBox(nullptr, memory);
    EXPECT_GT(box->text().count('\n'), Ui::ErrorReportText(memory).count('\n'));
    EXPECT_EQ(QString(box->text()).replace('\n', ""),
              Ui::ErrorReportText(memory).replace('\n', ""));
    EXPECT_EQ(box->detailedText(), "");
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

int main(int argc, char** argv) {
    // The tests never need a display; CTest sets this too.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
