#include "platform/ui/qt/text.h"

#include <QByteArray>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QToolTip>

#include <algorithm>

#include "platform/system/os/directory.h"
#include "window/presentation.h"

namespace Ui {
namespace {

// The first line of the label takes at most this many lines of its
// tooltip.
constexpr qsizetype kToolTipLines = 20;

}  // namespace

QString DecodedText(std::string_view native) {
    return QFile::decodeName(
        QByteArray::fromRawData(native.data(), static_cast<qsizetype>(native.size())));
}

QString VisibleText(const QString& text) {
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text) {
        const std::string escape = Window::ShownEscapeFor(c.unicode());
        if (escape.empty()) {
            shown += c;
        } else {
            shown += QLatin1String(escape.data(), static_cast<qsizetype>(escape.size()));
        }
    }
    return shown;
}

QString DisplayText(const std::string& native) {
    return VisibleText(DecodedText(native));
}

QStringList FittedLines(const QString& text, const QFontMetrics& metrics, int width, qsizetype most,
                        bool* readable) {
    bool whole = true;
    QStringList lines{QString()};
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype length = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        QString& line = lines.back();
        line += text.mid(i, length);
        i += length;
        if (line.size() > length && metrics.horizontalAdvance(line) > width) {
            const qsizetype space = line.lastIndexOf(QLatin1Char(' '), -1 - length);
            whole = whole && space > 0;
            const qsizetype cut = space > 0 ? space + 1 : line.size() - length;
            QString rest = line.mid(cut);
            line.truncate(cut);
            lines << rest;
        }
    }
    if (lines.size() > most) {
        const qsizetype head = most / 2;
        const qsizetype tail = most - head - 1;
        lines = lines.mid(0, head) + QStringList{QStringLiteral("\u2026")} +
                lines.mid(lines.size() - tail);
        whole = false;
    }
    if (readable != nullptr) {
        *readable = whole;
    }
    return lines;
}

int FittedWidth(const QWidget* near) {
    const QScreen* screen = near != nullptr ? near->screen() : QGuiApplication::primaryScreen();
    const int half = screen != nullptr ? screen->availableGeometry().width() / 2 : 400;
    return std::clamp(half - 120, 160, 380);
}

QString ToolTipText(const QString& line, const QWidget* near) {
    const QStringList lines =
        FittedLines(line, QFontMetrics(QToolTip::font()), FittedWidth(near), kToolTipLines);
    return QStringLiteral("<p style='white-space:pre'>") +
           lines.join(QLatin1Char('\n')).toHtmlEscaped() + QStringLiteral("</p>");
}

std::size_t LastNameStart(const std::string& native) {
    const std::size_t separator = native.rfind(System::kPathSeparator);
    const std::size_t start = separator == std::string::npos ? 0 : separator + 1;
    return static_cast<std::size_t>(DisplayText(native.substr(0, start)).toUtf8().size());
}

Window::MiddleElision MiddleElided(const QString& line, std::size_t keepFrom,
                                   const QFontMetrics& metrics, int width) {
    const QByteArray bytes = line.toUtf8();
    return Window::MiddleElided(
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), keepFrom,
        [&](std::string_view text) {
            return metrics.horizontalAdvance(QString::fromUtf8(
                       text.data(), static_cast<qsizetype>(text.size()))) <= width;
        });
}

QString ShortenedInTheMiddle(const QString& line, std::size_t keepFrom, const QFontMetrics& metrics,
                             int width) {
    return QString::fromStdString(MiddleElided(line, keepFrom, metrics, width).text);
}

}  // namespace Ui
