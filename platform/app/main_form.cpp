#include "platform/app/main_form.h"

#include <QAction>

#include <algorithm>
#include <array>
#include <filesystem>
#include <utility>

#include "platform/os/directory.h"

namespace Platform {
namespace {

QString Utf8Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

MainForm::MainForm(const std::string& startDirectory)
    : form_(std::make_unique<QtForm>(Utf8Text(Window::Form1::kLayout.Caption),
                                     Window::Form1::kLayout.ClientWidth,
                                     Window::Form1::kLayout.ClientHeight)),
      drive1_(new QtDriveListBox(form_.get())),
      dir1_(new QtDirListBox(form_.get())),
      file1_(new QtFileListBox(form_.get())),
      label1_(new QtLabel(form_.get())),
      form1_({*drive1_, *dir1_, *file1_, *label1_}, kPathSeparator) {
    PlaceControls();
    OpenOn(startDirectory);
    ConnectEvents();
}

// Positions and sizes from the layout table, and the tab order it gives;
// the first control in that order has the focus when the form opens.
void MainForm::PlaceControls() {
    const Window::FormLayout& layout = Window::Form1::kLayout;
    std::array<std::pair<QWidget*, Window::ControlLayout>, 4> controls{{
        {drive1_, layout.Drive1},
        {dir1_, layout.Dir1},
        {file1_, layout.File1},
        {label1_, layout.Label1},
    }};
    for (const auto& [widget, place] : controls) {
        widget->setGeometry(form_->HorizontalPixels(place.Left), form_->VerticalPixels(place.Top),
                            form_->HorizontalPixels(place.Width),
                            form_->VerticalPixels(place.Height));
    }
    std::sort(controls.begin(), controls.end(),
              [](const auto& a, const auto& b) { return a.second.TabIndex < b.second.TabIndex; });
    for (std::size_t i = 1; i < controls.size(); ++i) {
        QWidget::setTabOrder(controls[i - 1].first, controls[i].first);
    }
    controls.front().first->setFocus();
}

// Fills the lists without raising events, as the runtime does before the
// form loads. A start directory that cannot be read is reported, and the
// lists open on the root instead.
void MainForm::OpenOn(const std::string& startDirectory) {
    const auto open = [this](const std::string& directory) {
        const std::string path = NormalDirectoryPath(directory);
        dir1_->SetPath(path);
        file1_->SetPath(path);
        drive1_->SetDrives(MountedDrives(), DriveOf(path));
    };
    if (!RunEvent(form_.get(), [&] { open(startDirectory); })) {
        RunEvent(form_.get(), [&] { open("/"); });
    }
}

void MainForm::ConnectEvents() {
    form_->onLoad = [this] { form1_.Form_Load(); };
    form_->onUnload = [this](bool& cancel) { form1_.Form_Unload(cancel); };
    drive1_->onChange = [this] { form1_.Drive1_Change(); };
    dir1_->onChange = [this] { form1_.Dir1_Change(); };
    file1_->onClick = [this] { form1_.File1_Click(); };
    form_->onDrop = [this](const std::string& path) { OpenDropped(path); };
    // Ctrl+C copies the report whichever list has the focus; the label
    // itself takes none.
    auto* copy = new QAction(form_.get());
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WindowShortcut);
    QObject::connect(copy, &QAction::triggered, label1_, &QtLabel::CopyReport);
    form_->addAction(copy);
}

// The lists move to the dropped file's directory, as opening it in the
// directory list would, and the file is clicked; a dropped directory is
// opened.
void MainForm::OpenDropped(const std::string& path) {
    std::error_code error;
    const bool directory = std::filesystem::is_directory(path, error);
    const std::string target = NormalDirectoryPath(path);
    const std::size_t separator = target.rfind(kPathSeparator);
    const std::string parent = separator == 0 ? target.substr(0, 1) : target.substr(0, separator);
    if (RunEvent(form_.get(), [&] { dir1_->SetPath(directory ? target : parent); }) && !directory) {
        file1_->ClickFile(LastName(target));
    }
}

}  // namespace Platform
