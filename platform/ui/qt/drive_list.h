// The drive list: a drop-down of the machine's mount points.
#pragma once

#include <QComboBox>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

#include "window/controls.h"
#include "window/keyboard_position.h"

namespace Ui {

// The mount points in the mount table `table` that are directories where
// users keep files (not the kernel's own file systems such as /proc or
// /sys/fs/cgroup, nor mounts under /dev or /run but for /run/media),
// sorted, as the native bytes of their names (valid UTF-8 or not).
std::vector<std::string> MountedDrives(const std::string& table = "/proc/self/mounts");

// The mount point of the file system that holds `path`: the longest of
// MountedDrives() that `path` lies in.
std::string DriveOf(const std::string& path);

class QtDriveListBox : public QComboBox, public Window::DriveListBox {
  public:
    explicit QtDriveListBox(QWidget* parent);

    // Fills the list with `drives` and shows `current` without an event.
    void SetDrives(const std::vector<std::string>& drives, const std::string& current);
    // The mounted drives.
    void ShowDriveOf(const std::string& path) override {
        SetDrives(MountedDrives(), DriveOf(path));
    }
    std::string Drive() const override;

    // Lists the drives afresh each time the list opens, so a medium mounted
    // since the start shows up. A mount point too long for the window is
    // shortened in the middle in the list, so it opens no wider than the
    // window, and shows whole in its tooltip, as the chosen one does in the
    // closed box's.
    void showPopup() override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void Choose(int index);
    void Highlight(int index);
    int TextRoom() const;
    void ShowChosenInToolTip();
    std::vector<std::string> drives_;
    int chosen_ = -1;  // the drive the change event sees
    Window::KeyboardPosition position_;
};

}  // namespace Ui
