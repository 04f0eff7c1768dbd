#include "platform/app/main_form_win32.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <utility>
#include <vector>

#include "platform/os/directory.h"
#include "platform/os/drives.h"
#include "platform/os/text_win32.h"

namespace Platform {

MainForm::MainForm(const std::function<std::string()>& startDirectory, const std::string& fallback)
    : form_(std::make_unique<Win32Form>(Window::Form1::kLayout.Caption,
                                        Window::Form1::kLayout.ClientWidth,
                                        Window::Form1::kLayout.ClientHeight)),
      drive1_(std::make_unique<Win32DriveListBox>(form_->Handle())),
      dir1_(std::make_unique<Win32DirListBox>(form_->Handle())),
      file1_(std::make_unique<Win32FileListBox>(form_->Handle())),
      label1_(std::make_unique<Win32Label>(form_->Handle())),
      form1_({*drive1_, *dir1_, *file1_, *label1_}, kPathSeparator) {
    PlaceControls();
    OpenOn(startDirectory, fallback);
    ConnectEvents();
}

// Positions and sizes from the layout table, added to the form in the tab
// order it gives; the first has the focus when the form opens.
void MainForm::PlaceControls() {
    const Window::FormLayout& layout = Window::Form1::kLayout;
    std::array<std::pair<Win32Control*, Window::ControlLayout>, 4> controls{{
        {drive1_.get(), layout.Drive1},
        {dir1_.get(), layout.Dir1},
        {file1_.get(), layout.File1},
        {label1_.get(), layout.Label1},
    }};
    std::sort(controls.begin(), controls.end(),
              [](const auto& a, const auto& b) { return a.second.TabIndex < b.second.TabIndex; });
    for (const auto& [control, place] : controls) {
        form_->Add(*control, {place.Left, place.Top, place.Width, place.Height});
    }
    form_->SetCopySource(*label1_);
}

// Fills the lists without raising events, as the runtime does before the
// form loads. A start directory that cannot be read is reported, and the
// lists open on `fallback` instead.
void MainForm::OpenOn(const std::function<std::string()>& startDirectory,
                      const std::string& fallback) {
    const auto open = [this](const std::string& directory) {
        const std::string path = NormalDirectoryPath(directory);
        dir1_->SetPath(path);
        file1_->SetPath(path);
        drive1_->SetDrives(ListDrives(), DriveOf(path));
    };
    if (!RunEvent(form_->Handle(), [&] { open(startDirectory()); })) {
        RunEvent(form_->Handle(), [&] { open(fallback); });
    }
}

void MainForm::ConnectEvents() {
    form_->onLoad = [this] { form1_.Form_Load(); };
    form_->onUnload = [this](bool& cancel) { form1_.Form_Unload(cancel); };
    drive1_->onChange = [this] { form1_.Drive1_Change(); };
    dir1_->onChange = [this] { form1_.Dir1_Change(); };
    file1_->onClick = [this] { form1_.File1_Click(); };
    form_->onDrop = [this](const std::string& path) { OpenDropped(path); };
}

// The lists move to the dropped file's directory, as opening it in the
// directory list would, and the file is clicked; a dropped directory is
// opened.
void MainForm::OpenDropped(const std::string& path) {
    std::string target;
    bool directory = false;
    if (!RunEvent(form_->Handle(), [&] {
            target = NormalDirectoryPath(path);
            std::error_code error;
            directory =
                std::filesystem::is_directory(std::filesystem::path(WideText(target)), error);
        })) {
        return;
    }
    const std::vector<std::string> ancestors = PathAndAncestors(target);
    const std::string parent = ancestors.size() > 1 ? ancestors[ancestors.size() - 2] : target;
    if (RunEvent(form_->Handle(), [&] { dir1_->SetPath(directory ? target : parent); }) &&
        !directory) {
        file1_->ClickFile(LastName(target));
    }
}

}  // namespace Platform
