// The window's file list driven by the keyboard on the real Qt controls:
// each move reports the file it lands on, and keys pass a file that
// cannot be read.
#include <sys/stat.h>
#include <QTest>

#include <string>

#include "tests/main_form_test.h"

namespace {

namespace fs = std::filesystem;
using namespace MainFormTesting;

// Counts the reports the file list's clicks start.
class ReportCountTest : public MainFormTest {
  protected:
    void SetUp() override {
        MainFormTest::SetUp();
        const auto previous = form_->File1().onClick;
        form_->File1().onClick = [this, previous] {
            ++reports_;
            previous();
        };
        form_->Show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form_->form()));
        form_->File1().setFocus();  // gaining the focus selects nothing
    }
    int reports_ = 0;
};

TEST_F(ReportCountTest, KeyboardMovesAndRepeatedClicksEachMakeOneFreshReport) {
    EXPECT_EQ(reports_, 0);
    EXPECT_EQ(form_->File1().FileName(), "");

    QTest::keyClick(&form_->File1(), Qt::Key_Down);  // onto the first file
    EXPECT_EQ(reports_, 1);
    EXPECT_TRUE(Caption().starts_with(dir_ + "/a.txt(9バイト)")) << Caption();
    ClickEntry(form_->File1(), "a.txt");  // the same file again: read afresh
    EXPECT_EQ(reports_, 2);
    ClickEntry(form_->File1(), "c.empty");
    EXPECT_EQ(reports_, 3);
    QTest::keyClick(&form_->File1(), Qt::Key_Up);
    EXPECT_EQ(reports_, 4);
    EXPECT_TRUE(Caption().starts_with(dir_ + "/b.bin(1バイト)")) << Caption();

    form_->File1().SetPath(dir_);  // refilling the list starts no report
    EXPECT_EQ(reports_, 4);
}

// With nothing highlighted, End, Up and Page Down go to the last file (the
// last in view: all three fit), Home and Down to the first; each reports it.
TEST_F(ReportCountTest, KeysFromNoHighlightGoToTheFirstOrLastFile) {
    for (const Qt::Key key : {Qt::Key_End, Qt::Key_Up, Qt::Key_PageDown, Qt::Key_Home}) {
        form_->File1().SetPath(dir_);
        QTest::keyClick(&form_->File1(), key);
        EXPECT_EQ(form_->File1().FileName(), key == Qt::Key_Home ? "a.txt" : "c.empty") << key;
    }
    EXPECT_EQ(reports_, 4);
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

}  // namespace
