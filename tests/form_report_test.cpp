// The report in the window's label on the real Qt controls: its bytes,
// how a long name is shown, copied and told in tooltips, and the
// comparison with the clipboard.
#include <sys/stat.h>
#include <QApplication>
#include <QClipboard>
#include <QFontInfo>
#include <QGlyphRun>
#include <QMenu>
#include <QMessageBox>
#include <QRawFont>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>
#include <QToolTip>

#include <algorithm>
#include <memory>
#include <string>

#include "tests/main_form_test.h"

namespace {

namespace fs = std::filesystem;
using namespace MainFormTesting;

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

// A report of a file whose name (200 characters) is far too long for the
// label, shown in the window.
class LongNameTest : public MainFormTest {
  protected:
    void SetUp() override {
        MainFormTest::SetUp();
        Write(name_, "123456789");
        form_->File1().SetPath(dir_);
        form_->Show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form_->form()));
        ClickEntry(form_->File1(), QString::fromStdString(name_));
        QApplication::processEvents();
        ASSERT_TRUE(Caption().starts_with(dir_ + "/" + name_ + "(9バイト)\r\nCRC32 - CBF43926\r\n"))
            << Caption();
    }

    QString FirstRow() { return form_->Label1().document()->firstBlock().text(); }

    // The report as it is copied whole.
    QString WholeReport() {
        return QString::fromStdString(dir_ + "/" + name_ + "(9バイト)\nCRC32 - CBF43926");
    }

    const std::string name_ = std::string(196, 'n') + ".txt";
};

// Each report line stays on one row, cut at the right edge, so a long path
// cannot push the checksum and timing lines out of the label.
TEST_F(LongNameTest, ChecksumAndTimingLinesStayInView) {
    Ui::QtLabel& label = form_->Label1();
    EXPECT_EQ(label.lineWrapMode(), QPlainTextEdit::NoWrap);
    ASSERT_EQ(label.document()->blockCount(), 4);
    for (QTextBlock block = label.document()->firstBlock(); block.isValid(); block = block.next()) {
        EXPECT_EQ(block.layout()->lineCount(), 1) << block.text().toStdString();
    }
    const QTextBlock timing = label.document()->lastBlock();
    EXPECT_TRUE(IsTimingLine(timing.text().toStdString())) << timing.text().toStdString();
    const QRect place = label.cursorRect(QTextCursor(timing));  // in the viewport
    EXPECT_GE(place.top(), 0);
    EXPECT_LE(place.bottom(), label.viewport()->height());
    EXPECT_EQ(label.horizontalScrollBar()->value(), 0);  // the text starts at the left edge
}

// The report is in the toolkit's font, the path's Latin letters and
// separators drawn by it, the katakana by whatever font the system falls
// back to for them.
TEST_F(LongNameTest, ReportIsInTheToolkitsFont) {
    Ui::QtLabel& label = form_->Label1();
    EXPECT_EQ(label.font().family(), QApplication::font().family());
    QTextLayout line(FirstRow(), label.font());
    line.beginLayout();
    line.createLine();
    line.endLayout();
    EXPECT_EQ(line.glyphRuns(0, 1).front().rawFont().familyName(),
              QFontInfo(label.font()).family());
}

// The first line is shortened in the middle: the start of the path, the end
// of the name and the size are in view; the caption stays exact.
TEST_F(LongNameTest, FirstLineIsShortenedInTheMiddle) {
    Ui::QtLabel& label = form_->Label1();
    const QString first = FirstRow();
    EXPECT_TRUE(first.startsWith('/')) << first.toStdString();
    EXPECT_TRUE(first.contains(QStringLiteral("\u2026")) &&
                first.endsWith(QStringLiteral("nnnnnn.txt(9バイト)")))
        << first.toStdString();
    QTextCursor end(label.document()->firstBlock());
    end.movePosition(QTextCursor::EndOfBlock);
    EXPECT_LE(label.cursorRect(end).right(), label.viewport()->width());
}

// A selection of the whole report copies the whole path; a selection within
// the shortened row copies what it shows.
TEST_F(LongNameTest, SelectionCopiesTheWholePathOrWhatItShows) {
    Ui::QtLabel& label = form_->Label1();
    label.selectAll();
    label.CopyReport();
    EXPECT_TRUE(QGuiApplication::clipboard()->text().startsWith(WholeReport()));
    const QString first = FirstRow();
    QTextCursor tail(label.document()->firstBlock());
    tail.setPosition(first.indexOf(QStringLiteral("\u2026")) + 1);
    tail.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    label.setTextCursor(tail);
    label.CopyReport();
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              first.mid(first.indexOf(QStringLiteral("\u2026")) + 1));
}

TEST_F(LongNameTest, CtrlCInAListCopiesTheWholeReport) {
    form_->Label1().setTextCursor(QTextCursor(form_->Label1().document()));  // nothing selected
    QGuiApplication::clipboard()->clear();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form_->form()));
    form_->File1().setFocus();
    QTest::keyClick(&form_->File1(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_TRUE(QGuiApplication::clipboard()->text().startsWith(WholeReport()));
    EXPECT_EQ(QGuiApplication::clipboard()->text().count('\n'), 3);
}

TEST_F(LongNameTest, LabelTooltipShowsTheWholeName) {
    EXPECT_TRUE(
        ToolTipPlainText(form_->Label1().toolTip()).contains(QString::fromStdString(name_)));
}

// The file list cuts the name too; its tooltip shows it whole.
TEST_F(LongNameTest, FileListTooltipShowsTheWholeName) {
    QListView& files = form_->File1();
    const QPoint entry =
        files.visualRect(RowOf(files, QString::fromStdString(name_), Qt::MatchExactly)).center();
    QHelpEvent help(QEvent::ToolTip, entry, files.viewport()->mapToGlobal(entry));
    QApplication::sendEvent(files.viewport(), &help);
    EXPECT_EQ(ToolTipPlainText(QToolTip::text()), QString::fromStdString(name_));
    QToolTip::hideText();
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

TEST_F(MainFormTest, CompareWithClipboardNamesTheChecksumThatMatches) {
    ClickEntry(form_->File1(), "a.txt");
    QGuiApplication::clipboard()->setText(" 0xcbf43926\n");
    EXPECT_EQ(form_->Label1().CompareWithClipboard()->match, Window::ChecksumMatch::kCRC32);
    QGuiApplication::clipboard()->setText("6F92");
    EXPECT_EQ(form_->Label1().CompareWithClipboard()->match, Window::ChecksumMatch::kNeither);
}

// The label's menu offers the comparison once there is a report, and
// answers in a box over the window.
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
    QGuiApplication::clipboard()->setText("6F92");

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

}  // namespace
