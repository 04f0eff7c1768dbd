// The window in Japanese, as a user whose locale is ja_JP.UTF-8 sees it:
// the error box, the label's menu and the comparison's answer come from
// the catalogue and from Qt's translations; the window's own texts (the
// caption, the report) stay as they are in every language.
#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>

#include <clocale>
#include <cstdlib>

#include "platform/system/os/translation.h"
#include "platform/ui/qt/qt_language.h"
#include "tests/form_under_test.h"
#include "tests/support/temp_dir_test.h"

void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

bool japaneseLocale = false;

class JapaneseWindowTest : public TestSupport::TempDirTest {
  protected:
    void SetUp() override {
        if (!japaneseLocale) {
            GTEST_SKIP() << "the locale ja_JP.UTF-8 is not installed";
        }
        previousReport_ = Ui::SetErrorReport(
            [this](QWidget*, const Ui::ErrorReportEntry& error) { errors_.push_back(error); });
    }
    void TearDown() override {
        Ui::SetErrorReport(previousReport_);
        for (const Ui::ErrorReportEntry& error : errors_) {
            ADD_FAILURE() << System::OperationName(error.operation) << " " << error.path << ": "
                          << error.reason;
        }
    }

    std::vector<Ui::ErrorReportEntry> errors_;
    Ui::ErrorReport previousReport_;
};

TEST_F(JapaneseWindowTest, ErrorBoxSaysWhatFailedInJapanese) {
    const Ui::ErrorReportEntry error{System::Operation::kOpen, "/data/a.txt", "許可がありません"};
    EXPECT_EQ(Ui::ErrorReportText(error),
              QStringLiteral(
                  "ファイルを開けませんでした。\n\nパス: /data/a.txt\n理由: 許可がありません"));
    EXPECT_EQ(Ui::ErrorReportText({System::Operation::kRunEvent, "", "x"}),
              QStringLiteral("イベントを実行できませんでした。\n理由: x"));
    const auto box = Ui::ErrorReportBox(nullptr, error);
    ASSERT_EQ(box->buttons().size(), 1);
    EXPECT_EQ(box->buttons().front()->text(), "OK");
}

TEST_F(JapaneseWindowTest, LabelMenuIsJapaneseAndTheReportIsNot) {
    Write("a.txt", "123456789");
    TestSupport::FormUnderTest form(dir_);
    EXPECT_EQ(form.form().windowTitle(), QStringLiteral("Tallixサンプル"));
    ASSERT_TRUE(form.File1().ClickFile("a.txt"));
    const std::string report = form.Label1().Caption();
    EXPECT_NE(
        report.find("/a.txt(9バイト)\r\nCRC32 - CBF43926\r\nCRC16 - 6F91\r\nファイルオープン - "),
        std::string::npos)
        << report;

    QStringList entries;
    const std::unique_ptr<QMenu> menu = form.Label1().ContextMenu();
    for (const QAction* action : menu->actions()) {
        entries << action->text().section('\t', 0, 0);
    }
    EXPECT_EQ(entries,
              (QStringList{"コピー(&C)", "", "すべてを選択", "", "クリップボードと比較(&M)"}));

    QGuiApplication::clipboard()->setText("6F92");
    EXPECT_EQ(
        form.Label1().CompareWithClipboard()->message,
        "不一致: 6F92 はこのファイルの CRC-32 (CBF43926) とも CRC-16 (6F91) とも一致しません。");
}

}  // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // The user's settings, as a Japanese desktop session has them.
    ::setenv("LC_ALL", "ja_JP.UTF-8", 1);
    ::unsetenv("LANGUAGE");
    japaneseLocale = std::setlocale(LC_ALL, "ja_JP.UTF-8") != nullptr;
    QApplication application(argc, argv);
    System::UseUserLanguage(TALLIX_CATALOGUES);
    Ui::UseQtTranslations(application);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
