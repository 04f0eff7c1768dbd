// The directory list: the current directory's ancestors and subdirectories.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/ui/win32/list_box.h"
#include "window/controls.h"

namespace Ui {

class Win32DirListBox : public Win32ListBox, public Window::DirListBox {
  public:
    explicit Win32DirListBox(HWND form);

    std::string Path() const override { return path_; }
    void SetPath(const std::string& path) override;

    // A double-click or Enter opens the highlighted entry.
    void OnCommand(WORD code) override;
    void OnEnter() override;

  private:
    void Display(const std::string& path, const std::vector<std::string>& subdirectories);
    void Open(int row);
    std::string path_;
    std::vector<std::string> subdirectories_;
    std::vector<std::string> rowPaths_;
    int pathRow_ = -1;
};

}  // namespace Ui
