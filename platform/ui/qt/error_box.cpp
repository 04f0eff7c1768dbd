#include "platform/ui/qt/error_box.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QStringList>
#include <QTimer>

#include <chrono>
#include <utility>

#include "platform/system/os/translation.h"
#include "platform/ui/qt/text.h"
#include "window/presentation.h"

namespace Ui {
namespace {

// A line of an error message takes at most this many lines of its box.
constexpr qsizetype kBoxLinesPerLine = 8;

// Opens the box for an error once its form has shown, so that it carries the
// form's caption and opens over it instead of at the screen's corner. The
// form's first paint, not its show event, is the sign: a window manager
// places the form in between, and the box is centred on where it was put.
// A form shown under other windows may not paint at once, so the box opens
// at the latest a moment after the show.
class BoxOnceShown : public QObject {
  public:
    BoxOnceShown(QWidget* form, ErrorReportEntry error)
        : QObject(form), form_(form), error_(std::move(error)) {
        form->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == form_ && event->type() == QEvent::Show) {
            QTimer::singleShot(kLatestAfterShow, this, &BoxOnceShown::Open);
        } else if (watched == form_ && event->type() == QEvent::Paint) {
            Open();
        }
        return false;
    }

  private:
    static constexpr std::chrono::milliseconds kLatestAfterShow{1000};

    void Open() {
        if (std::exchange(opened_, true)) {
            return;
        }
        form_->removeEventFilter(this);
        QMetaObject::invokeMethod(
            form_, [form = form_, error = error_] { ErrorReportBox(form, error)->exec(); },
            Qt::QueuedConnection);
        deleteLater();
    }

    QWidget* form_;
    ErrorReportEntry error_;
    bool opened_ = false;
};

void ShowMessageBox(QWidget* form, const ErrorReportEntry& error) {
    if (form != nullptr && !form->isVisible()) {
        new BoxOnceShown(form, error);  // owned by the form
        return;
    }
    ErrorReportBox(form, error)->exec();
}

Window::ErrorReportSlot<QWidget*>& CurrentErrorReport() {
    static Window::ErrorReportSlot<QWidget*> report(ShowMessageBox);
    return report;
}

// Shows the wait cursor for as long as it lives. The platform applies the
// cursor at once, without a turn of the event loop.
class WaitCursor {
  public:
    WaitCursor()
        : active_(qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
        if (active_) {
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        }
    }
    ~WaitCursor() {
        if (active_) {
            QGuiApplication::restoreOverrideCursor();
        }
    }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

  private:
    bool active_;
};

// The error's lines: what failed, on which path, and why.
QStringList ErrorLines(const ErrorReportEntry& error) {
    QStringList lines{DisplayText(Window::ErrorHeadline(error.operation))};
    if (!error.path.empty()) {
        lines << QString() << QString::fromUtf8(System::Tr("Path: ")) + DisplayText(error.path);
    }
    lines << QString::fromUtf8(System::Tr("Reason: ")) + DisplayText(error.reason);
    return lines;
}

}  // namespace

ErrorReport SetErrorReport(ErrorReport report) {
    return CurrentErrorReport().Replace(std::move(report));
}

QString ErrorReportText(const ErrorReportEntry& error) {
    return ErrorLines(error).join(QLatin1Char('\n'));
}

std::unique_ptr<QMessageBox> ErrorReportBox(QWidget* form, const ErrorReportEntry& error) {
    const QString title = form != nullptr ? form->windowTitle() : QString();
    auto box = std::make_unique<QMessageBox>(QMessageBox::Critical, title, QString(),
                                             QMessageBox::Ok, form);
    // Each line of the text broken where the box's width ends, and a long one
    // shortened in the middle, so the box fits on the screen.
    QStringList shown;
    bool readable = true;
    for (const QString& line : ErrorLines(error)) {
        bool lineReadable = true;
        shown << FittedLines(line, box->fontMetrics(), FittedWidth(form), kBoxLinesPerLine,
                             &lineReadable);
        readable = readable && lineReadable;
    }
    box->setTextFormat(Qt::PlainText);  // a name is never taken for markup
    box->setText(shown.join(QLatin1Char('\n')));
    box->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // A line cut inside a word or shortened: the details hold it as it is.
    if (!readable) {
        box->setDetailedText(ErrorReportText(error));
    }
    return box;
}

bool RunEvent(QWidget* control, const std::function<void()>& procedure) {
    QWidget* form = control != nullptr ? control->window() : nullptr;
    return CurrentErrorReport().Run<WaitCursor>(form, procedure);
}

}  // namespace Ui
