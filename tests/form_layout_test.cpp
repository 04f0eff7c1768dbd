// The window's layout and drawing on the real Qt controls: its size, the
// controls' places and tab order, list frames at a fractional scale, and
// names drawn in view.
#include <QApplication>
#include <QImage>
#include <QTest>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/system/os/clock.h"
#include "tests/main_form_test.h"

namespace {

namespace fs = std::filesystem;
using namespace MainFormTesting;

TEST_F(MainFormTest, FormHasTheCaptionAndAFixedSize) {
    Ui::QtForm& form = form_->form();
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Tallixサンプル"));
    ASSERT_EQ(form.logicalDpiX(), 96);  // the offscreen screen: 15 twips a pixel
    EXPECT_EQ(form.size(), QSize(507, 311));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());  // not resizable
}

TEST_F(MainFormTest, ControlsArePlacedFromTheLayoutTable) {
    ASSERT_EQ(form_->form().logicalDpiX(), 96);
    EXPECT_EQ(form_->Drive1().geometry(), QRect(8, 208, 217, 20));
    EXPECT_EQ(form_->Dir1().geometry(), QRect(8, 16, 217, 188));
    EXPECT_EQ(form_->File1().geometry(), QRect(232, 16, 265, 210));
    EXPECT_EQ(form_->Label1().geometry(), QRect(8, 240, 489, 65));
}

TEST_F(MainFormTest, TabWalksTheListsInOrderAndTheFocusedOneIsFramed) {
    form_->Show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form_->form()));
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
}

TEST_F(MainFormTest, LabelIsEmptyWhenTheFormShows) {
    form_->Show();
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

}  // namespace
