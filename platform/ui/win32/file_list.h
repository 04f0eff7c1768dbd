// The file list: the ordinary files of the current directory.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui/win32/list_box.h"
#include "window/controls.h"
#include "window/keyboard_position.h"

namespace Ui {

class Win32FileListBox : public Win32ListBox, public Window::FileListBox {
  public:
    explicit Win32FileListBox(HWND form);

    // The click event is raised also when a click lands on the file
    // already selected; with nothing selected, End and Up select the last
    // file and Page Down the last in view. When it fails, the keyboard goes
    // on from the file that failed, so the next key passes it.

    std::string Path() const override { return path_; }
    void SetPath(const std::string& path) override;
    std::string FileName() const override;

    // `name` is matched in any case.
    bool ClickFile(const std::string& name) override;

    void OnCommand(WORD code) override;

  protected:
    std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    // The row a key starts at when nothing is highlighted and the list box
    // would start it at the first: the last for End and Up, the last in
    // view for Page Down; -1 for any other key or case.
    int FirstKeyboardRow(UINT key) const;
    void Click(int row);
    std::string path_;
    std::vector<std::string> names_;
    Window::KeyboardPosition position_;  // the row reported, and where the keyboard goes on
    int pressedRow_ = -1;                // the row highlighted when the button went down
};

}  // namespace Ui
