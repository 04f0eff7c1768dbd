#include "platform/qt/form_runtime.h"

#include <QCloseEvent>
#include <QFile>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QScreen>
#include <QSignalBlocker>
#include <QStorageInfo>
#include <QStringList>
#include <QToolTip>

#include <algorithm>
#include <exception>
#include <filesystem>
#include <limits>
#include <new>
#include <string_view>
#include <utility>

#include "platform/os/directory.h"
#include "platform/os/error.h"
#include "platform/qt/twips.h"

namespace Platform {
namespace {

// A line of an error message takes at most this many lines of its box,
// and the first line of the label at most this many lines of its tooltip.
constexpr qsizetype kBoxLinesPerLine = 8;
constexpr qsizetype kToolTipLines = 20;

void ShowMessageBox(QWidget* form, const ErrorReportEntry& error) {
    ErrorReportBox(form, error)->exec();
}

ErrorReport& CurrentErrorReport() {
    static ErrorReport report = ShowMessageBox;
    return report;
}

ErrorReportEntry EntryForCurrentException() {
    try {
        throw;
    } catch (const PlatformError& error) {
        return {error.operation(), error.path(), error.reason()};
    } catch (const std::bad_alloc&) {
        return {"allocate memory", "", "not enough memory"};
    } catch (const std::exception& error) {
        return {"run the event", "", error.what()};
    } catch (...) {
        return {"run the event", "", "unknown error"};
    }
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

// Native bytes as text, undecodable bytes as replacement characters.
QString DecodedText(std::string_view native) {
    return QFile::decodeName(
        QByteArray::fromRawData(native.data(), static_cast<qsizetype>(native.size())));
}

// The escape for a character that would move or break the text it is in,
// or an empty text for any other character.
QString EscapeFor(char32_t c) {
    switch (c) {
        case '\n':
            return QStringLiteral("\\n");
        case '\r':
            return QStringLiteral("\\r");
        case '\t':
            return QStringLiteral("\\t");
        default:
            break;
    }
    const bool control = c < 0x20 || (c >= 0x7F && c <= 0x9F);
    const bool separator = c == 0x2028 || c == 0x2029;
    const bool direction = (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) ||
                           c == 0x200E || c == 0x200F || c == 0x061C;
    if (!control && !separator && !direction) {
        return {};
    }
    const int digits = c <= 0x7F ? 2 : 4;
    return (digits == 2 ? QStringLiteral("\\x") : QStringLiteral("\\u")) +
           QString::number(static_cast<uint>(c), 16)
               .rightJustified(digits, QLatin1Char('0'))
               .toUpper();
}

// `text` with every character that would move or break it escaped.
QString VisibleText(const QString& text) {
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text) {
        const QString escape = EscapeFor(c.unicode());
        if (escape.isEmpty()) {
            shown += c;
        } else {
            shown += escape;
        }
    }
    return shown;
}

// `text` broken into lines no wider than `width` pixels in `metrics`: after
// the line's last space when it has one, anywhere in a word too long for a
// line (a path, say). When that makes more than `most` lines, the middle
// ones give way to a line holding only an ellipsis. `readable`, when given,
// tells whether the lines still read as the text: broken at spaces only,
// none left out.
QStringList FittedLines(const QString& text, const QFontMetrics& metrics, int width, qsizetype most,
                        bool* readable = nullptr) {
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

// The width in pixels that lines of text in a box or tooltip keep to: less
// than half the screen, so a message box does not wrap them again.
int FittedWidth(const QWidget* near) {
    const QScreen* screen = near != nullptr ? near->screen() : QGuiApplication::primaryScreen();
    const int half = screen != nullptr ? screen->availableGeometry().width() / 2 : 400;
    return std::clamp(half - 120, 160, 380);
}

// A long line of text as a tooltip: broken into lines that fit beside the
// pointer, the middle ones left out when there are too many. Marked up with
// every character escaped, so a name is never taken for markup.
QString ToolTipText(const QString& line, const QWidget* near) {
    const QStringList lines =
        FittedLines(line, QFontMetrics(QToolTip::font()), FittedWidth(near), kToolTipLines);
    return QStringLiteral("<p style='white-space:pre'>") +
           lines.join(QLatin1Char('\n')).toHtmlEscaped() + QStringLiteral("</p>");
}

// The error's lines: what failed, on which path, and why.
QStringList ErrorLines(const ErrorReportEntry& error) {
    QStringList lines{QStringLiteral("Could not %1.").arg(DisplayText(error.operation))};
    if (!error.path.empty()) {
        lines << QString() << QStringLiteral("Path: ") + DisplayText(error.path);
    }
    lines << QStringLiteral("Reason: ") + DisplayText(error.reason);
    return lines;
}

}  // namespace

ErrorReport SetErrorReport(ErrorReport report) {
    return std::exchange(CurrentErrorReport(), std::move(report));
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
    if (!procedure) {
        return true;
    }
    try {
        const WaitCursor wait;
        procedure();
        return true;
    } catch (...) {
        const ErrorReportEntry entry = EntryForCurrentException();
        QWidget* form = control != nullptr ? control->window() : nullptr;
        if (const ErrorReport& report = CurrentErrorReport()) {
            report(form, entry);
        }
        return false;
    }
}

QString DisplayText(const std::string& native) {
    return VisibleText(DecodedText(native));
}

std::vector<std::string> MountedDrives() {
    std::vector<std::string> drives;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        const std::string root = QFile::encodeName(volume.rootPath()).toStdString();
        // Containers bind-mount single files too; only directories are drives.
        std::error_code error;
        if (volume.isValid() && std::filesystem::is_directory(root, error)) {
            drives.push_back(root);
        }
    }
    std::sort(drives.begin(), drives.end());
    drives.erase(std::unique(drives.begin(), drives.end()), drives.end());
    return drives;
}

std::string DriveOf(const std::string& path) {
    return QFile::encodeName(QStorageInfo(DecodedText(path)).rootPath()).toStdString();
}

// ---- Drive list ----

QtDriveListBox::QtDriveListBox(QWidget* parent) : QComboBox(parent) {
    // `activated` comes from the user only, never from filling the list.
    connect(this, &QComboBox::activated, this,
            [this](int index) { RunEvent(this, [this, index] { Choose(index); }); });
}

void QtDriveListBox::SetDrives(const std::vector<std::string>& drives, const std::string& current) {
    const QSignalBlocker blocker(this);
    drives_ = drives;
    if (std::find(drives_.begin(), drives_.end(), current) == drives_.end()) {
        drives_.push_back(current);
    }
    clear();
    for (const std::string& drive : drives_) {
        addItem(DisplayText(drive));
    }
    chosen_ =
        static_cast<int>(std::find(drives_.begin(), drives_.end(), current) - drives_.begin());
    setCurrentIndex(chosen_);
}

std::string QtDriveListBox::Drive() const {
    return chosen_ >= 0 ? drives_[static_cast<std::size_t>(chosen_)] : std::string();
}

void QtDriveListBox::showPopup() {
    SetDrives(MountedDrives(), Drive());
    QComboBox::showPopup();
}

void QtDriveListBox::Choose(int index) {
    if (index == chosen_ || index < 0) {
        return;
    }
    const int previous = std::exchange(chosen_, index);
    try {
        if (onChange) {
            onChange();
        }
    } catch (...) {
        chosen_ = previous;
        const QSignalBlocker blocker(this);
        setCurrentIndex(previous);
        throw;
    }
}

// ---- Native lists ----

void NativeListModel::SetRows(std::vector<Row> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

int NativeListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

QVariant NativeListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const Row& row = rows_[static_cast<std::size_t>(index.row())];
    const std::string_view name = std::string_view(row.native).substr(row.nameStart);
    return QString(3 * row.indent, QLatin1Char(' ')) + VisibleText(DecodedText(name));
}

NativeListView::NativeListView(QWidget* parent) : QListView(parent) {
    setModel(&model_);
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

int NativeListView::CurrentRow() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

void NativeListView::SetRows(std::vector<NativeListModel::Row> rows, int current) {
    pendingRow_.reset();
    {
        const QScopedValueRollback quiet(quiet_, true);
        model_.SetRows(std::move(rows));
    }
    Highlight(current);
    if (current >= 0) {
        scrollTo(model_.index(current), QAbstractItemView::PositionAtCenter);
    } else {
        scrollToTop();
    }
}

void NativeListView::Highlight(int row) {
    const QScopedValueRollback quiet(quiet_, true);
    if (row < 0) {
        selectionModel()->clear();
    } else {
        selectionModel()->setCurrentIndex(model_.index(row), QItemSelectionModel::ClearAndSelect);
    }
}

void NativeListView::RunEventRestoringHighlight(int row, const std::function<void()>& procedure) {
    const bool completed = RunEvent(this, [this, row, &procedure] {
        try {
            if (procedure) {
                procedure();
            }
        } catch (...) {
            Highlight(row);
            throw;
        }
    });
    if (completed) {
        pendingRow_.reset();
    } else {
        Highlight(row);
        pendingRow_ = row;
    }
}

void NativeListView::ApplyPendingHighlight(bool finished) {
    if (pendingRow_) {
        Highlight(*pendingRow_);
        if (finished) {
            pendingRow_.reset();
        }
    }
}

// A mouse press, double-click or move with a button held may fail an event
// and then go on to select the entry under the pointer; the release ends
// it, or, when an error box took the release, the next move without a
// button.
bool NativeListView::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        ShowToolTip(static_cast<QHelpEvent&>(*event));
        return true;
    }
    const bool handled = QListView::viewportEvent(event);
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            ApplyPendingHighlight(false);
            break;
        case QEvent::MouseMove:
            ApplyPendingHighlight(static_cast<QMouseEvent*>(event)->buttons() == Qt::NoButton);
            break;
        case QEvent::MouseButtonRelease:
            ApplyPendingHighlight(true);
            break;
        default:
            break;
    }
    return handled;
}

// An entry too long for the list shows whole in its tooltip.
void NativeListView::ShowToolTip(const QHelpEvent& event) {
    const QModelIndex index = indexAt(event.pos());
    const QString text = index.data().toString();
    const QRect place = visualRect(index);
    if (!index.isValid() || fontMetrics().horizontalAdvance(text) < place.width() - 8) {
        QToolTip::hideText();
        return;
    }
    QToolTip::showText(event.globalPos(), ToolTipText(text.trimmed(), this), viewport(), place);
}

// Qt makes the first entry current when a list without one gains focus;
// tabbing into a list highlights nothing and raises no event.
void NativeListView::focusInEvent(QFocusEvent* event) {
    const bool hadCurrent = currentIndex().isValid();
    {
        const QScopedValueRollback quiet(quiet_, true);
        QListView::focusInEvent(event);
    }
    if (!hadCurrent) {
        Highlight(-1);
    }
}

void NativeListView::keyPressEvent(QKeyEvent* event) {
    QListView::keyPressEvent(event);
    ApplyPendingHighlight(true);
}

// ---- Directory list ----

QtDirListBox::QtDirListBox(QWidget* parent) : NativeListView(parent) {
    // A double-click or Enter opens an entry.
    connect(this, &QListView::activated, this, [this](const QModelIndex& index) {
        if (index.isValid()) {
            Open(index.row());
        }
    });
}

void QtDirListBox::Open(int row) {
    const std::string target = Native(row);
    RunEventRestoringHighlight(pathRow_, [this, &target] { SetPath(target); });
}

void QtDirListBox::SetPath(const std::string& path) {
    const std::string target = NormalDirectoryPath(path);
    std::vector<std::string> subdirectories = ListSubdirectories(target);  // may throw
    if (target == path_) {
        Display(target, subdirectories);
        return;
    }
    const std::string previousPath = path_;
    std::vector<std::string> previousSubdirectories = subdirectories_;
    Display(target, subdirectories);
    try {
        if (onChange) {
            onChange();
        }
    } catch (...) {
        Display(previousPath, previousSubdirectories);
        throw;
    }
}

// The ancestors from the root down, each indented one step more, then the
// subdirectories one step below the current directory.
void QtDirListBox::Display(const std::string& path,
                           const std::vector<std::string>& subdirectories) {
    const std::vector<std::string> ancestors = PathAndAncestors(path);
    std::vector<NativeListModel::Row> rows;
    rows.reserve(ancestors.size() + subdirectories.size());
    int depth = 0;
    for (const std::string& ancestor : ancestors) {
        rows.push_back({ancestor, ancestor.size() - LastName(ancestor).size(), depth++});
    }
    for (const std::string& name : subdirectories) {
        std::string native = JoinPath(path, kPathSeparator, name);
        const std::size_t nameStart = native.size() - name.size();
        rows.push_back({std::move(native), nameStart, depth});
    }
    path_ = path;
    subdirectories_ = subdirectories;
    pathRow_ = static_cast<int>(ancestors.size()) - 1;
    SetRows(std::move(rows), pathRow_);
}

// ---- File list ----

QtFileListBox::QtFileListBox(QWidget* parent) : NativeListView(parent) {
    // A keyboard move, or the press of a click, that selects another file.
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current, const QModelIndex& previous) {
                if (!Quiet() && current.isValid()) {
                    Click(previous.isValid() ? previous.row() : -1);
                }
            });
    // A click on the file that was already selected reports it afresh.
    connect(this, &QListView::clicked, this, [this](const QModelIndex& index) {
        if (!Quiet() && index.isValid() && index.row() == rowBeforePress_) {
            Click(rowBeforePress_);
        }
    });
}

void QtFileListBox::mousePressEvent(QMouseEvent* event) {
    rowBeforePress_ = CurrentRow();
    NativeListView::mousePressEvent(event);
}

void QtFileListBox::Click(int previousRow) {
    RunEventRestoringHighlight(previousRow, onClick);
}

void QtFileListBox::SetPath(const std::string& path) {
    const std::string target = NormalDirectoryPath(path);
    std::vector<std::string> files = ListOrdinaryFiles(target);  // may throw
    std::vector<NativeListModel::Row> rows;
    rows.reserve(files.size());
    for (std::string& name : files) {
        rows.push_back({std::move(name), 0, 0});
    }
    path_ = target;
    SetRows(std::move(rows), -1);  // refilling raises no click
    rowBeforePress_ = -1;
}

std::string QtFileListBox::FileName() const {
    const int row = CurrentRow();
    return row >= 0 ? Native(row) : std::string();
}

// ---- Label ----

QtLabel::QtLabel(QWidget* parent) : QPlainTextEdit(parent) {
    // Looks like a label: no frame, the form's background, text from the top
    // left, each line on one row cut at the right edge. Selectable with the
    // mouse so a checksum can be copied.
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

void QtLabel::SetCaption(const std::string& caption, std::size_t literalLength) {
    caption_ = caption;
    const std::string_view text(caption_);
    const std::size_t literal = std::min(literalLength, text.size());
    QStringList lines{DisplayText(std::string(text.substr(0, literal)))};
    const std::string_view lineBreak = "\r\n";
    std::size_t start = literal;
    for (std::size_t end; (end = text.find(lineBreak, start)) != std::string_view::npos;
         start = end + lineBreak.size()) {
        lines.back() += VisibleText(QString::fromUtf8(text.substr(start, end - start)));
        lines << QString();
    }
    lines.back() += VisibleText(QString::fromUtf8(text.substr(start)));
    setPlainText(lines.join(QLatin1Char('\n')));
    // A first line too long for the label shows whole in the tooltip.
    const bool cut = fontMetrics().horizontalAdvance(lines.front()) > contentsRect().width();
    setToolTip(cut ? ToolTipText(lines.front(), this) : QString());
}

// ---- Form ----

QtForm::QtForm(const QString& caption, int clientWidthTwips, int clientHeightTwips)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                           Qt::WindowCloseButtonHint) {
    setWindowTitle(caption);
    setFixedSize(HorizontalPixels(clientWidthTwips), VerticalPixels(clientHeightTwips));
}

int QtForm::HorizontalPixels(int twips) const {
    return TwipsToPixels(twips, logicalDpiX());
}

int QtForm::VerticalPixels(int twips) const {
    return TwipsToPixels(twips, logicalDpiY());
}

void QtForm::ShowForm() {
    if (!loaded_) {
        loaded_ = true;
        RunEvent(this, onLoad);
    }
    show();
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

}  // namespace Platform
