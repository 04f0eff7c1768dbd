#include "platform/ui/qt/form.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QUrl>

#include "platform/ui/qt/error_box.h"
#include "window/twips.h"

namespace Ui {

std::optional<std::string> DroppedPath(const QMimeData& data) {
    const QList<QUrl> urls = data.urls();
    if (urls.size() != 1 || !urls.front().isLocalFile()) {
        return std::nullopt;
    }
    // A path on another host is not this machine's, whatever it names here.
    const QString host = urls.front().host();
    if (!host.isEmpty() && host != QStringLiteral("localhost")) {
        return std::nullopt;
    }
    // The encoded path keeps bytes that are not UTF-8 as %XX escapes.
    const QByteArray encoded = urls.front().path(QUrl::FullyEncoded).toLatin1();
    const std::string path = QByteArray::fromPercentEncoding(encoded).toStdString();
    if (path.empty() || path.find('\0') != std::string::npos) {
        return std::nullopt;
    }
    return path;
}

QtForm::QtForm(const QString& caption, int clientWidthTwips, int clientHeightTwips)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                           Qt::WindowCloseButtonHint) {
    setWindowTitle(caption);
    setFixedSize(HorizontalPixels(clientWidthTwips), VerticalPixels(clientHeightTwips));
    setAcceptDrops(true);
}

void QtForm::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData() != nullptr && DroppedPath(*event->mimeData())) {
        event->acceptProposedAction();
    }
}

void QtForm::dropEvent(QDropEvent* event) {
    const std::optional<std::string> path =
        event->mimeData() != nullptr ? DroppedPath(*event->mimeData()) : std::nullopt;
    if (!path) {
        return;
    }
    event->acceptProposedAction();
    if (onDrop) {
        onDrop(*path);
    }
}

int QtForm::HorizontalPixels(int twips) const {
    return Window::TwipsToPixels(twips, logicalDpiX());
}

int QtForm::VerticalPixels(int twips) const {
    return Window::TwipsToPixels(twips, logicalDpiY());
}

void QtForm::ShowForm() {
    if (!loaded_) {
        loaded_ = true;
        RunEvent(this, onLoad);
    }
    show();
    // The keyboard comes to the window started, so the focused list shows
    // its frame at once: a window manager would give it, and on an X
    // server without one nothing else does.
    activateWindow();
}

void QtForm::closeEvent(QCloseEvent* event) {
    bool cancel = false;
    if (loaded_) {
        RunEvent(this, [this, &cancel] {
            if (onUnload) {
                onUnload(cancel);
            }
        });
    }
    if (cancel) {
        event->ignore();
        return;
    }
    loaded_ = false;
    event->accept();
}

}  // namespace Ui
