// What the tests of the window on the real Qt controls (offscreen platform)
// share: a main form on a temporary directory of a few files, clicks and
// key presses on real list entries, and the error report swapped for a
// recorder.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>
#include <QListView>
#include <QTest>
#include <QTextDocumentFragment>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "tests/form_under_test.h"
#include "tests/support/temp_dir_test.h"

// Texts in failure messages as text.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace MainFormTesting {

// Each run of digits becomes one "#".
inline std::string Shape(const std::string& text) {
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
inline QString ToolTipPlainText(const QString& toolTip) {
    return QTextDocumentFragment::fromHtml(toolTip).toPlainText().remove('\n');
}

// Whether `line` is the report's timing line, whatever the three timings.
inline bool IsTimingLine(const std::string& line) {
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

// The form opened on a directory of a.txt ("123456789"), b.bin (one NUL),
// c.empty and sub/inner.txt.
class MainFormTest : public TestSupport::TempDirTest {
  protected:
    void SetUp() override {
        Write("a.txt", "123456789");
        Write("b.bin", std::string(1, '\0'));
        Write("c.empty", "");
        std::filesystem::create_directory(dir_ + "/sub");
        Write("sub/inner.txt", "inner");
        previousReport_ = Ui::SetErrorReport(
            [this](QWidget*, const Ui::ErrorReportEntry& error) { errors_.push_back(error); });
        form_ = std::make_unique<TestSupport::FormUnderTest>(dir_);
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

    std::vector<Ui::ErrorReportEntry> errors_;
    Ui::ErrorReport previousReport_;
    std::unique_ptr<TestSupport::FormUnderTest> form_;
};

}  // namespace MainFormTesting
