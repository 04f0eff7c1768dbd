// The window's lists on the real Qt controls: what they show, how a
// directory, a drive, a dropped file or a path named at the start moves
// them.
#include <QApplication>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTest>
#include <QUrl>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/system/os/directory.h"
#include "tests/main_form_test.h"

namespace {

namespace fs = std::filesystem;
using namespace MainFormTesting;

TEST_F(MainFormTest, OpensOnTheStartDirectoryWithItsOrdinaryFilesAndAncestors) {
    Write(".hidden", "x");
    form_ = std::make_unique<TestSupport::FormUnderTest>(dir_);
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

// Mount points whose names are not UTF-8 or hold escaped blanks are drives
// too; what is not a directory is not, nor are the kernel's own file
// systems and what is mounted under /dev, /proc, /sys or /run. The root is
// always one.
TEST_F(MainFormTest, DrivesAreTheMountedDirectoriesIncludingTheRoot) {
    const std::vector<std::string> drives = Ui::MountedDrives();
    EXPECT_NE(std::find(drives.begin(), drives.end(), "/"), drives.end());
    EXPECT_EQ(Ui::DriveOf("/"), "/");

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
}

TEST_F(MainFormTest, OpeningTheDriveListReadsTheMountsAfreshAndKeepsTheChosenDrive) {
    form_->Drive1().SetDrives({dir_}, dir_);
    form_->Show();
    form_->Drive1().showPopup();
    EXPECT_NE(form_->Drive1().findText("/"), -1);
    EXPECT_EQ(form_->Drive1().Drive(), dir_);
    EXPECT_EQ(form_->Drive1().currentText().toStdString(), dir_);
    form_->Drive1().hidePopup();
}

// A path dropped as a file URL, its bytes percent-encoded.
QList<QUrl> FileUrls(const std::vector<std::string>& paths) {
    QList<QUrl> list;
    for (const std::string& path : paths) {
        list << QUrl::fromEncoded("file://" +
                                  QByteArray::fromStdString(path).toPercentEncoding("/"));
    }
    return list;
}

// One file at a time, and only from this machine.
TEST_F(MainFormTest, DropOfSeveralFilesOrAnotherHostsFileIsRefused) {
    QMimeData data;
    data.setUrls(FileUrls({dir_ + "/a.txt", dir_ + "/b.bin"}));
    QDragEnterEvent two(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(&form_->form(), &two);
    EXPECT_FALSE(two.isAccepted());
    data.setUrls({QUrl("file://elsewhere" + QString::fromStdString(dir_) + "/a.txt")});
    QDragEnterEvent remote(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(&form_->form(), &remote);
    EXPECT_FALSE(remote.isAccepted());
}

// A file dropped on the window moves the lists to its directory and is
// reported as a click on it would be, whatever bytes its name holds.
TEST_F(MainFormTest, DroppedFileIsOpenedAndReportedLikeAClick) {
    Write("sub/caf\xe9.txt", "123456789");
    QMimeData data;
    data.setUrls(FileUrls({dir_ + "/sub/caf\xe9.txt"}));
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

// A file named at the start opens the lists on its folder and, once the
// form shows, is reported as a click on it would be.
TEST_F(MainFormTest, StartPathOpensItsFolderAndReportsTheFile) {
    const std::string folder = dir_ + "/sub/\xE3\x82\xAB\xE3\x82\xBF dir";
    fs::create_directories(folder);
    const std::string name = "\xE3\x82\xAB\xE3\x82\xBF\xE3\x82\xAB\xE3\x83\x8A name.txt";
    Write("sub/\xE3\x82\xAB\xE3\x82\xBF dir/" + name, "123456789");
    Write("sub/\xE3\x82\xAB\xE3\x82\xBF dir/other.txt", "x");
    const App::MainForm::Starts usual{[this] { return dir_; }};

    form_ = std::make_unique<TestSupport::FormUnderTest>(folder + "/" + name, usual);
    EXPECT_EQ(Caption(), "");  // not before the form loads
    form_->Show();
    EXPECT_EQ(form_->Dir1().Path(), folder);
    EXPECT_EQ(form_->File1().Path(), folder);
    EXPECT_EQ(form_->File1().FileName(), name);
    EXPECT_TRUE(Caption().starts_with(folder + "/" + name + "(9バイト)\r\nCRC32 - CBF43926\r\n"));
    EXPECT_TRUE(errors_.empty());
}

// A folder named at the start is opened, nothing reported.
TEST_F(MainFormTest, StartPathOfAFolderOpensIt) {
    const App::MainForm::Starts usual{[this] { return dir_; }};
    form_ = std::make_unique<TestSupport::FormUnderTest>(dir_ + "/sub/", usual);
    form_->Show();
    EXPECT_EQ(form_->Dir1().Path(), dir_ + "/sub");
    EXPECT_EQ(Entries(form_->File1()), QStringList{"inner.txt"});
    EXPECT_EQ(form_->File1().FileName(), "");
    EXPECT_EQ(Caption(), "");
    EXPECT_TRUE(errors_.empty());
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

}  // namespace
