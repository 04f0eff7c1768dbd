// The file list: the ordinary files of the current directory.
#pragma once

#include <QWidget>

#include <functional>
#include <string>

#include "platform/ui/qt/native_list.h"
#include "window/controls.h"

namespace Ui {

class QtFileListBox : public NativeListView, public Window::FileListBox {
  public:
    explicit QtFileListBox(QWidget* parent);

    std::string Path() const override { return path_; }
    void SetPath(const std::string& path) override;
    std::string FileName() const override;

    bool ClickFile(const std::string& name) override;

  protected:
    void mousePressEvent(QMouseEvent* event) override;

  private:
    void Click();
    std::string path_;
    int highlighted_ = -1;  // the file the last completed click selected
    int keyboardBeforePress_ = -1;
};

}  // namespace Ui
