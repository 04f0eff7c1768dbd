#include "platform/app/main_form.h"

#include <QAction>

#include <utility>

#include "platform/system/os/directory.h"

namespace App {
namespace {

QString Utf8Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

MainFormControls::MainFormControls()
    : form(std::make_unique<Ui::QtForm>(Utf8Text(Window::Form1::kLayout.Caption),
                                        Window::Form1::kLayout.ClientWidth,
                                        Window::Form1::kLayout.ClientHeight)),
      Drive1(new Ui::QtDriveListBox(form.get())),
      Dir1(new Ui::QtDirListBox(form.get())),
      File1(new Ui::QtFileListBox(form.get())),
      Label1(new Ui::QtLabel(form.get())) {}

MainForm::MainForm(MainFormControls controls, const std::optional<std::string>& path,
                   const Starts& starts)
    : form_(std::move(controls.form)),
      drive1_(controls.Drive1),
      dir1_(controls.Dir1),
      file1_(controls.File1),
      label1_(controls.Label1),
      form1_({*drive1_, *dir1_, *file1_, *label1_}, System::kPathSeparator),
      wiring_(*form_, *drive1_, *dir1_, *file1_, form1_,
              [this](const std::function<void()>& procedure) {
                  return Ui::RunEvent(form_.get(), procedure);
              }) {
    PlaceControls();
    wiring_.OpenOnPath(path, starts);
    wiring_.RouteEvents();
    ConnectCopy();
}

// Positions and sizes from the layout table, and the tab order it gives;
// the first control in that order has the focus when the form opens.
void MainForm::PlaceControls() {
    const auto controls = InTabOrder<QWidget>(drive1_, dir1_, file1_, label1_);
    for (const auto& [widget, place] : controls) {
        widget->setGeometry(form_->HorizontalPixels(place.Left), form_->VerticalPixels(place.Top),
                            form_->HorizontalPixels(place.Width),
                            form_->VerticalPixels(place.Height));
    }
    for (std::size_t i = 1; i < controls.size(); ++i) {
        QWidget::setTabOrder(controls[i - 1].first, controls[i].first);
    }
    controls.front().first->setFocus();
}

// Ctrl+C copies the report whichever list has the focus; the label itself
// takes none.
void MainForm::ConnectCopy() {
    auto* copy = new QAction(form_.get());
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WindowShortcut);
    QObject::connect(copy, &QAction::triggered, label1_, &Ui::QtLabel::CopyReport);
    form_->addAction(copy);
}

}  // namespace App
