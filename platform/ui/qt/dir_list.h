// The directory list: the current directory's ancestors and subdirectories.
#pragma once

#include <QWidget>

#include <functional>
#include <string>
#include <vector>

#include "platform/ui/qt/native_list.h"
#include "window/controls.h"

namespace Ui {

class QtDirListBox : public NativeListView, public Window::DirListBox {
  public:
    explicit QtDirListBox(QWidget* parent);

    std::string Path() const override { return path_; }
    void SetPath(const std::string& path) override;

  private:
    void Display(const std::string& path, const std::vector<std::string>& subdirectories);
    void Open(int row);
    std::string path_;
    std::vector<std::string> subdirectories_;
    int pathRow_ = -1;
};

}  // namespace Ui
