// The form: a top-level window of fixed client size, laid out in twips.
#pragma once

#include <QMimeData>
#include <QString>
#include <QWidget>

#include <functional>
#include <optional>
#include <string>

#include "window/controls.h"

namespace Ui {

// The local path a drop's data names, as native bytes (names that are not
// valid UTF-8 included); nothing unless it names exactly one local file or
// directory.
std::optional<std::string> DroppedPath(const QMimeData& data);

// A top-level form with a fixed client size that raises its load event
// before it first shows and its unload event when it is closed. A file or
// directory dropped on it is handed to `onDrop`.
class QtForm : public QWidget, public Window::Form {
  public:
    QtForm(const QString& caption, int clientWidthTwips, int clientHeightTwips);

    // Pixels for a length in twips at this form's screen resolution.
    int HorizontalPixels(int twips) const;
    int VerticalPixels(int twips) const;

    // Raises the load event once, then shows the form.
    void ShowForm();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    bool loaded_ = false;
};

}  // namespace Ui
