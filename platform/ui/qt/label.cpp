#include "platform/ui/qt/label.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMessageBox>
#include <QMimeData>

#include <algorithm>
#include <string_view>

#include "platform/system/os/translation.h"
#include "platform/ui/qt/text.h"

namespace Ui {

QtLabel::QtLabel(QWidget* parent) : QPlainTextEdit(parent) {
    // Looks like a label: no frame, the form's background, text from the top
    // left, each line on one row. Selectable with the mouse so a checksum can
    // be copied.
    setReadOnly(true);
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::NoFocus);
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    document()->setDocumentMargin(0);
    setBackgroundVisible(false);
    QPalette colours = palette();
    colours.setColor(QPalette::Base, colours.color(QPalette::Window));
    setPalette(colours);
}

void QtLabel::SetCaption(const std::string& caption, std::size_t literalLength,
                         const Window::ReportChecksums& checksums) {
    caption_ = caption;
    checksums_ = checksums;
    const std::string_view text(caption_);
    const std::size_t literal = std::min(literalLength, text.size());
    const std::string path(text.substr(0, literal));
    QStringList lines{DisplayText(path)};
    nameStart_ = LastNameStart(path);
    const std::string_view lineBreak = "\r\n";
    std::size_t start = literal;
    for (std::size_t end; (end = text.find(lineBreak, start)) != std::string_view::npos;
         start = end + lineBreak.size()) {
        lines.back() += VisibleText(QString::fromUtf8(text.substr(start, end - start)));
        lines << QString();
    }
    lines.back() += VisibleText(QString::fromUtf8(text.substr(start)));
    lines_ = lines;
    ShowLines();
}

// The first line shortened in the middle to the label's width; the others
// are short enough.
void QtLabel::ShowLines() {
    QStringList shown = lines_;
    hiddenLength_ = -1;
    if (!caption_.empty()) {
        const Window::MiddleElision first =
            MiddleElided(lines_.front(), nameStart_, fontMetrics(), contentsRect().width() - 2);
        if (first.Shortened()) {
            const QByteArray whole = lines_.front().toUtf8();
            keptHead_ =
                QString::fromUtf8(whole.constData(), static_cast<qsizetype>(first.headBytes))
                    .size();
            const qsizetype keptTail =
                QString::fromUtf8(whole.constData() + whole.size() - first.tailBytes,
                                  static_cast<qsizetype>(first.tailBytes))
                    .size();
            hiddenLength_ = lines_.front().size() - keptHead_ - keptTail;
            shown.front() = QString::fromStdString(first.text);
        }
    }
    setPlainText(shown.join(QLatin1Char('\n')));
    setToolTip(hiddenLength_ >= 0 ? ToolTipText(lines_.front(), this) : QString());
}

void QtLabel::resizeEvent(QResizeEvent* event) {
    QPlainTextEdit::resizeEvent(event);
    ShowLines();
}

// A position in the shown text as a position in the whole report: past the
// ellipsis, the characters it stands for come in between.
int QtLabel::WholeTextPosition(int shownPosition) const {
    if (hiddenLength_ < 0 || shownPosition <= keptHead_) {
        return shownPosition;
    }
    return static_cast<int>(shownPosition + hiddenLength_ - 1);
}

QMimeData* QtLabel::createMimeDataFromSelection() const {
    const QTextCursor cursor = textCursor();
    const int start = WholeTextPosition(cursor.selectionStart());
    const int end = WholeTextPosition(cursor.selectionEnd());
    auto* data = new QMimeData;
    data->setText(ReportText().mid(start, end - start));
    return data;
}

void QtLabel::CopyReport() {
    if (textCursor().hasSelection()) {
        copy();
    } else if (!caption_.empty()) {
        QGuiApplication::clipboard()->setText(ReportText());
    }
}

std::optional<Window::ChecksumComparison> QtLabel::CompareWithClipboard() const {
    if (!checksums_) {
        return std::nullopt;
    }
    return Window::CompareChecksum(QGuiApplication::clipboard()->text().toStdString(), *checksums_);
}

std::unique_ptr<QMenu> QtLabel::ContextMenu() {
    std::unique_ptr<QMenu> menu(createStandardContextMenu());
    menu->addSeparator();
    QAction* compare = menu->addAction(QString::fromUtf8(System::Tr("Compare with clipboard")));
    compare->setEnabled(checksums_.has_value());
    connect(compare, &QAction::triggered, this, [this] { ShowComparison(); });
    return menu;
}

void QtLabel::contextMenuEvent(QContextMenuEvent* event) {
    ContextMenu()->exec(event->globalPos());
}

// The answer in a box of its own, so it cannot be missed.
void QtLabel::ShowComparison() {
    const std::optional<Window::ChecksumComparison> comparison = CompareWithClipboard();
    if (!comparison) {
        return;
    }
    const bool matched = comparison->match == Window::ChecksumMatch::kCRC32 ||
                         comparison->match == Window::ChecksumMatch::kCRC16;
    QMessageBox box(matched ? QMessageBox::Information : QMessageBox::Warning,
                    window()->windowTitle(), QString::fromStdString(comparison->message),
                    QMessageBox::Ok, window());
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

}  // namespace Ui
