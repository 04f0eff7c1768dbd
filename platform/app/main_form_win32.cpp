#include "platform/app/main_form_win32.h"

#include "platform/system/os/directory.h"

namespace App {

MainForm::MainForm(const std::optional<std::string>& path, const Starts& starts)
    : form_(std::make_unique<Ui::Win32Form>(Window::Form1::kLayout.Caption,
                                            Window::Form1::kLayout.ClientWidth,
                                            Window::Form1::kLayout.ClientHeight)),
      drive1_(std::make_unique<Ui::Win32DriveListBox>(form_->Handle())),
      dir1_(std::make_unique<Ui::Win32DirListBox>(form_->Handle())),
      file1_(std::make_unique<Ui::Win32FileListBox>(form_->Handle())),
      label1_(std::make_unique<Ui::Win32Label>(form_->Handle())),
      form1_({*drive1_, *dir1_, *file1_, *label1_}, System::kPathSeparator),
      wiring_(*form_, *drive1_, *dir1_, *file1_, form1_,
              [this](const std::function<void()>& procedure) {
                  return Ui::RunEvent(form_->Handle(), procedure);
              }) {
    PlaceControls();
    wiring_.OpenOnPath(path, starts);
    wiring_.RouteEvents();
}

// Positions and sizes from the layout table, added to the form in the tab
// order it gives; the first has the focus when the form opens.
void MainForm::PlaceControls() {
    for (const auto& [control, place] :
         InTabOrder<Ui::Win32Control>(drive1_.get(), dir1_.get(), file1_.get(), label1_.get())) {
        form_->Add(*control, {place.Left, place.Top, place.Width, place.Height});
    }
    form_->SetCopySource(*label1_);
}

}  // namespace App
