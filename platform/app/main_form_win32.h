// The program's one form on Windows: Form1 on the Win32 form runtime.
// Builds the form and its controls from Form1's layout table and wires them
// to Form1 (form_wiring.h).
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/app/form_wiring.h"
#include "platform/ui/win32/form_runtime.h"
#include "window/form1.h"

namespace App {

class MainForm {
  public:
    using Starts = MainFormWiring::Starts;

    // Opens on the folder of `path` and on the drive that holds it, the
    // file `path` names to be reported once the form shows; without a path,
    // or when it cannot be reached (reported), on the first of `starts`
    // that can be read.
    MainForm(const std::optional<std::string>& path, const Starts& starts);
    MainForm(const MainForm&) = delete;
    MainForm& operator=(const MainForm&) = delete;

    // Raises Form_Load, shows the form, then clicks the file it opened on.
    void Show(int showCommand) {
        form_->ShowForm(showCommand);
        wiring_.ClickStartFile();
    }

    Ui::Win32Form& form() { return *form_; }

  private:
    void PlaceControls();

    std::unique_ptr<Ui::Win32Form> form_;
    std::unique_ptr<Ui::Win32DriveListBox> drive1_;
    std::unique_ptr<Ui::Win32DirListBox> dir1_;
    std::unique_ptr<Ui::Win32FileListBox> file1_;
    std::unique_ptr<Ui::Win32Label> label1_;
    Window::Form1 form1_;
    MainFormWiring wiring_;
};

}  // namespace App
