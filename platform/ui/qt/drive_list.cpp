#include "platform/ui/qt/drive_list.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QSignalBlocker>
#include <QStyleOptionComboBox>
#include <QStylePainter>

#include <mntent.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <string_view>
#include <utility>

#include "platform/ui/qt/error_box.h"
#include "platform/ui/qt/native_list.h"
#include "platform/ui/qt/text.h"
#include "window/list_choice.h"

namespace Ui {
namespace {

// Whether `path` is `top` or lies in it.
bool LiesIn(std::string_view path, std::string_view top) {
    return path.starts_with(top) && (path.size() == top.size() || path[top.size()] == '/');
}

// Whether a mount is a place for the user's files, as file managers list
// them: not one of the kernel's own file systems, nor one mounted in the
// folders the system keeps for itself (devices, processes, run-time
// state), save the removable media mounted under /run/media.
bool HoldsUserFiles(std::string_view dir, std::string_view type) {
    static constexpr std::array<std::string_view, 24> kKernelTypes{
        "autofs",      "binfmt_misc", "bpf",        "cgroup",    "cgroup2", "configfs",
        "debugfs",     "devpts",      "devtmpfs",   "efivarfs",  "fusectl", "fuse.gvfsd-fuse",
        "fuse.portal", "hugetlbfs",   "mqueue",     "nsfs",      "proc",    "pstore",
        "ramfs",       "rpc_pipefs",  "securityfs", "selinuxfs", "sysfs",   "tracefs"};
    static constexpr std::array<std::string_view, 6> kSystemFolders{
        "/dev", "/proc", "/sys", "/run", "/var/run", "/var/lock"};
    if (std::find(kKernelTypes.begin(), kKernelTypes.end(), type) != kKernelTypes.end()) {
        return false;
    }
    return LiesIn(dir, "/run/media") ||
           std::none_of(kSystemFolders.begin(), kSystemFolders.end(),
                        [dir](std::string_view folder) { return LiesIn(dir, folder); });
}

}  // namespace

// The table is read with the C library, which undoes its escapes of
// blanks and backslashes and keeps every other byte as it is.
std::vector<std::string> MountedDrives(const std::string& table) {
    std::vector<std::string> drives;
    FILE* mounts = ::setmntent(table.c_str(), "r");
    if (mounts == nullptr) {
        return {"/"};
    }
    mntent entry{};
    std::array<char, 16384> buffer{};
    while (::getmntent_r(mounts, &entry, buffer.data(), static_cast<int>(buffer.size())) !=
           nullptr) {
        // Containers bind-mount single files too; only directories are drives.
        std::error_code error;
        if (HoldsUserFiles(entry.mnt_dir, entry.mnt_type) &&
            std::filesystem::is_directory(entry.mnt_dir, error)) {
            drives.emplace_back(entry.mnt_dir);
        }
    }
    ::endmntent(mounts);
    std::sort(drives.begin(), drives.end());
    drives.erase(std::unique(drives.begin(), drives.end()), drives.end());
    return drives;
}

std::string DriveOf(const std::string& path) {
    std::string drive = "/";
    for (const std::string& mount : MountedDrives()) {
        const bool inside =
            path.starts_with(mount) &&
            (path.size() == mount.size() || mount.ends_with('/') || path[mount.size()] == '/');
        if (inside && mount.size() > drive.size()) {
            drive = mount;
        }
    }
    return drive;
}

QtDriveListBox::QtDriveListBox(QWidget* parent) : QComboBox(parent) {
    // `activated` comes from the user only, never from filling the list.
    connect(this, &QComboBox::activated, this, [this](int index) { Choose(index); });
}

void QtDriveListBox::SetDrives(const std::vector<std::string>& drives, const std::string& current) {
    const QSignalBlocker blocker(this);
    drives_ = drives;
    if (std::find(drives_.begin(), drives_.end(), current) == drives_.end()) {
        drives_.push_back(current);
    }
    clear();
    // No entry wider than the window, so the open list does not cover it.
    const int widest = std::max(width(), window()->width() - 2 * x());
    for (const std::string& drive : drives_) {
        const QString whole = DisplayText(drive);
        const QString shown =
            ShortenedInTheMiddle(whole, LastNameStart(drive), view()->fontMetrics(), widest - 24);
        addItem(shown);
        setItemData(count() - 1, shown != whole ? whole : QString(), Qt::ToolTipRole);
    }
    chosen_ =
        static_cast<int>(std::find(drives_.begin(), drives_.end(), current) - drives_.begin());
    setCurrentIndex(chosen_);
    position_.Settle(chosen_);
    ShowChosenInToolTip();
}

int QtDriveListBox::TextRoom() const {
    QStyleOptionComboBox option;
    initStyleOption(&option);
    return style()
        ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this)
        .width();
}

void QtDriveListBox::ShowChosenInToolTip() {
    const QString whole = chosen_ >= 0 ? DisplayText(Drive()) : QString();
    setToolTip(fontMetrics().horizontalAdvance(whole) > TextRoom() ? ToolTipText(whole, this)
                                                                   : QString());
}

// The closed box shows the chosen mount point shortened in the middle to
// its width, the end of its last name in view, and the focus by the lists'
// frame: the style draws its own only after a key has moved the focus.
void QtDriveListBox::paintEvent(QPaintEvent* /*event*/) {
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    if (chosen_ >= 0) {
        option.currentText = ShortenedInTheMiddle(DisplayText(Drive()), LastNameStart(Drive()),
                                                  fontMetrics(), TextRoom() - 2);
    }
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
    painter.end();
    if (hasFocus()) {
        DrawFocusFrame(*this);
    }
}

std::string QtDriveListBox::Drive() const {
    return chosen_ >= 0 ? drives_[static_cast<std::size_t>(chosen_)] : std::string();
}

void QtDriveListBox::showPopup() {
    SetDrives(MountedDrives(), Drive());
    QComboBox::showPopup();
}

void QtDriveListBox::Choose(int index) {
    if (index == chosen_ || index < 0) {
        return;
    }
    const bool completed = RunEvent(this, [this, index] {
        Window::ChangeChoice(chosen_, index, onChange, [this](int row) { Highlight(row); });
        ShowChosenInToolTip();
    });
    if (completed) {
        position_.Settle(index);
    } else {
        position_.Fail(index);
    }
}

void QtDriveListBox::Highlight(int index) {
    const QSignalBlocker blocker(this);
    setCurrentIndex(index);
}

// An arrow key on the closed box after a drive failed goes on from that
// drive; the open list starts from the chosen one.
void QtDriveListBox::keyPressEvent(QKeyEvent* event) {
    position_.Key([this](int index) { Highlight(index); },
                  [this, event] { QComboBox::keyPressEvent(event); });
}

}  // namespace Ui
