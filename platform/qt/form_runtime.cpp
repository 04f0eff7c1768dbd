#include "platform/qt/form_runtime.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScopedValueRollback>
#include <QScreen>
#include <QSignalBlocker>
#include <QStringList>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QToolTip>
#include <QUrl>

#include <mntent.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <limits>
#include <new>
#include <string_view>
#include <utility>

#include "platform/os/directory.h"
#include "platform/os/error.h"
#include "platform/qt/twips.h"
#include "window/directory_move.h"
#include "window/presentation.h"

namespace Platform {
namespace {

// A line of an error message takes at most this many lines of its box,
// and the first line of the label at most this many lines of its tooltip.
constexpr qsizetype kBoxLinesPerLine = 8;
constexpr qsizetype kToolTipLines = 20;

// Opens the box for an error once its form has shown, so that it carries the
// form's caption and opens over it instead of at the screen's corner.
class BoxOnceShown : public QObject {
  public:
    BoxOnceShown(QWidget* form, ErrorReportEntry error)
        : QObject(form), form_(form), error_(std::move(error)) {
        form->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == form_ && event->type() == QEvent::Show) {
            form_->removeEventFilter(this);
            QMetaObject::invokeMethod(
                form_, [form = form_, error = error_] { ErrorReportBox(form, error)->exec(); },
                Qt::QueuedConnection);
            deleteLater();
        }
        return false;
    }

  private:
    QWidget* form_;
    ErrorReportEntry error_;
};

void ShowMessageBox(QWidget* form, const ErrorReportEntry& error) {
    if (form != nullptr && !form->isVisible()) {
        new BoxOnceShown(form, error);  // owned by the form
        return;
    }
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

// Where the last name of a native path starts in its shown text (UTF-8).
std::size_t LastNameStart(const std::string& native) {
    const std::size_t separator = native.rfind(kPathSeparator);
    const std::size_t start = separator == std::string::npos ? 0 : separator + 1;
    return static_cast<std::size_t>(DisplayText(native.substr(0, start)).toUtf8().size());
}

// `line` shortened in the middle to `width` pixels in `metrics`, the end
// from `keepFrom` (UTF-8 bytes) on given up last.
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

// The error's lines: what failed, on which path, and why.
QStringList ErrorLines(const ErrorReportEntry& error) {
    QStringList lines{DisplayText(Window::ErrorHeadline(error.operation))};
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

// The table is read with the C library, which undoes its escapes of
// blanks and backslashes and keeps every other byte as it is.
std::vector<std::string> MountedDrives(const std::string& table) {
    std::vector<std::string> drives;
    FILE* mounts = ::setmntent(table.c_str(), "r");
    if (mounts == nullptr) {
        return {"/"};
    }
    mntent entry{};
    std::array<char, 16384> buffer{};
    while (::getmntent_r(mounts, &entry, buffer.data(), static_cast<int>(buffer.size())) !=
           nullptr) {
        // Containers bind-mount single files too; only directories are drives.
        std::error_code error;
        if (std::filesystem::is_directory(entry.mnt_dir, error)) {
            drives.emplace_back(entry.mnt_dir);
        }
    }
    ::endmntent(mounts);
    std::sort(drives.begin(), drives.end());
    drives.erase(std::unique(drives.begin(), drives.end()), drives.end());
    return drives;
}

std::string DriveOf(const std::string& path) {
    std::string drive = "/";
    for (const std::string& mount : MountedDrives()) {
        const bool inside =
            path.starts_with(mount) &&
            (path.size() == mount.size() || mount.ends_with('/') || path[mount.size()] == '/');
        if (inside && mount.size() > drive.size()) {
            drive = mount;
        }
    }
    return drive;
}

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
    // No entry wider than the window, so the open list does not cover it.
    const int widest = std::max(width(), window()->width() - 2 * x());
    for (const std::string& drive : drives_) {
        const QString whole = DisplayText(drive);
        const QString shown =
            ShortenedInTheMiddle(whole, LastNameStart(drive), view()->fontMetrics(), widest - 24);
        addItem(shown);
        setItemData(count() - 1, shown != whole ? whole : QString(), Qt::ToolTipRole);
    }
    chosen_ =
        static_cast<int>(std::find(drives_.begin(), drives_.end(), current) - drives_.begin());
    setCurrentIndex(chosen_);
    ShowChosenInToolTip();
}

int QtDriveListBox::TextRoom() const {
    QStyleOptionComboBox option;
    initStyleOption(&option);
    return style()
        ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this)
        .width();
}

void QtDriveListBox::ShowChosenInToolTip() {
    const QString whole = chosen_ >= 0 ? DisplayText(Drive()) : QString();
    setToolTip(fontMetrics().horizontalAdvance(whole) > TextRoom() ? ToolTipText(whole, this)
                                                                   : QString());
}

// The closed box shows the chosen mount point shortened in the middle to
// its width, the end of its last name in view.
void QtDriveListBox::paintEvent(QPaintEvent* /*event*/) {
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    if (chosen_ >= 0) {
        option.currentText = ShortenedInTheMiddle(DisplayText(Drive()), LastNameStart(Drive()),
                                                  fontMetrics(), TextRoom() - 2);
    }
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
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
    ShowChosenInToolTip();
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
    return QString(row.indentSpaces, QLatin1Char(' ')) + VisibleText(DecodedText(name));
}

NativeListView::NativeListView(QWidget* parent) : QListView(parent) {
    // At a fractional scale (1.5) the frame's bottom line falls on the
    // device pixel row the entries' area rounds out to, and they paint over
    // it; one pixel less for the entries leaves it in view.
    const qreal scale = devicePixelRatioF();
    if (scale != std::floor(scale)) {
        setViewportMargins(0, 0, 0, 1);
    }
    setModel(&model_);
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

int NativeListView::CurrentRow() const {
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.front().row();
}

int NativeListView::KeyboardRow() const {
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

void NativeListView::HighlightOnly(int row) {
    const QScopedValueRollback quiet(quiet_, true);
    if (row < 0) {
        selectionModel()->clearSelection();
    } else {
        selectionModel()->select(model_.index(row), QItemSelectionModel::ClearAndSelect);
    }
}

bool NativeListView::RunEventRestoringHighlight(int row, const std::function<void()>& procedure) {
    const bool completed = RunEvent(this, [this, row, &procedure] {
        try {
            if (procedure) {
                procedure();
            }
        } catch (...) {
            HighlightOnly(row);
            throw;
        }
    });
    if (completed) {
        pendingRow_.reset();
    } else {
        HighlightOnly(row);
        pendingRow_ = row;
    }
    return completed;
}

void NativeListView::ApplyPendingHighlight(bool finished) {
    if (pendingRow_) {
        HighlightOnly(*pendingRow_);
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
        case QEvent::Paint:
            if (hasFocus()) {
                DrawFocusFrame();
            }
            break;
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
    viewport()->update();
}

// Without a keyboard position the view would take every move key to the
// first entry; End, Up and Page Down go where they point instead.
int NativeListView::FirstKeyboardRow(int key) const {
    const int last = model_.rowCount() - 1;
    switch (key) {
        case Qt::Key_End:
        case Qt::Key_Up:
            return last;
        case Qt::Key_PageDown: {
            const QModelIndex bottom = indexAt(QPoint(0, viewport()->height() - 1));
            return bottom.isValid() ? bottom.row() : last;
        }
        default:
            return -1;
    }
}

void NativeListView::keyPressEvent(QKeyEvent* event) {
    // Copying is the form's: it copies the report, not an entry.
    if (event->matches(QKeySequence::Copy)) {
        event->ignore();
        return;
    }
    const int first =
        KeyboardRow() < 0 && model_.rowCount() > 0 ? FirstKeyboardRow(event->key()) : -1;
    if (first >= 0 && event->modifiers() == Qt::NoModifier) {
        selectionModel()->setCurrentIndex(model_.index(first), QItemSelectionModel::ClearAndSelect);
        scrollTo(model_.index(first));
        event->accept();
    } else {
        QListView::keyPressEvent(event);
    }
    ApplyPendingHighlight(true);
}

// Along the inside of the list's edge, over the entries.
void NativeListView::DrawFocusFrame() {
    QPainter painter(viewport());
    painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
    painter.drawRect(QRectF(viewport()->rect()).adjusted(1, 1, -1, -1));
}

void NativeListView::focusOutEvent(QFocusEvent* event) {
    QListView::focusOutEvent(event);
    viewport()->update();
}

// Scrolling moves what is drawn; the frame stays at the edge.
void NativeListView::scrollContentsBy(int dx, int dy) {
    QListView::scrollContentsBy(dx, dy);
    if (hasFocus()) {
        viewport()->update();
    }
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
    Window::MoveDirectoryList(
        path, path_, subdirectories_,
        [this](const std::string& shown, const std::vector<std::string>& subdirectories) {
            Display(shown, subdirectories);
        },
        onChange);
}

// The ancestors from the root down, each indented one step more, then the
// subdirectories one step below the current directory.
void QtDirListBox::Display(const std::string& path,
                           const std::vector<std::string>& subdirectories) {
    const std::vector<std::string> ancestors = PathAndAncestors(path);
    std::vector<NativeListModel::Row> rows;
    rows.reserve(ancestors.size() + subdirectories.size());
    const int deepest = static_cast<int>(ancestors.size()) - (subdirectories.empty() ? 1 : 0);
    int depth = 0;
    for (const std::string& ancestor : ancestors) {
        rows.push_back({ancestor, ancestor.size() - LastName(ancestor).size(),
                        Window::IndentSpaces(depth++, deepest)});
    }
    for (const std::string& name : subdirectories) {
        std::string native = JoinPath(path, kPathSeparator, name);
        const std::size_t nameStart = native.size() - name.size();
        rows.push_back({std::move(native), nameStart, Window::IndentSpaces(depth, deepest)});
    }
    path_ = path;
    subdirectories_ = subdirectories;
    pathRow_ = static_cast<int>(ancestors.size()) - 1;
    SetRows(std::move(rows), pathRow_);
}

// ---- File list ----

QtFileListBox::QtFileListBox(QWidget* parent) : NativeListView(parent) {
    // A keyboard move, or the press of a click, that moves to another file.
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (!Quiet() && current.isValid()) {
                    Click();
                }
            });
    // A click on the file the keyboard was already on reports it afresh.
    connect(this, &QListView::clicked, this, [this](const QModelIndex& index) {
        if (!Quiet() && index.isValid() && index.row() == keyboardBeforePress_) {
            Click();
        }
    });
}

void QtFileListBox::mousePressEvent(QMouseEvent* event) {
    keyboardBeforePress_ = KeyboardRow();
    NativeListView::mousePressEvent(event);
}

// The file the keyboard is on is the one selected while the event runs (a
// press moves the keyboard's position before the highlight).
void QtFileListBox::Click() {
    const int previous = highlighted_;
    HighlightOnly(KeyboardRow());
    if (RunEventRestoringHighlight(previous, onClick)) {
        highlighted_ = KeyboardRow();
    }
}

void QtFileListBox::ClickFile(const std::string& name) {
    for (int row = 0; row < model()->rowCount(); ++row) {
        if (Native(row) == name) {
            Highlight(row);
            scrollTo(model()->index(row, 0));
            Click();
            return;
        }
    }
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
    highlighted_ = -1;
    keyboardBeforePress_ = -1;
}

std::string QtFileListBox::FileName() const {
    const int row = CurrentRow();
    return row >= 0 ? Native(row) : std::string();
}

// ---- Label ----

namespace {

// Qt draws the digits, blanks and dashes next to katakana in the font it
// falls back to for the katakana, and those next to Latin letters in the
// main font, so the timing line would mix two widths. A proportional font
// with both kinds of letters draws every line in one.
QFont OneFontForLatinAndKatakana(QFont font) {
    const auto both = [](const QString& family) {
        const QList<QFontDatabase::WritingSystem> systems = QFontDatabase::writingSystems(family);
        return systems.contains(QFontDatabase::Japanese) && systems.contains(QFontDatabase::Latin);
    };
    if (both(font.family())) {
        return font;
    }
    for (const QString& family : QFontDatabase::families(QFontDatabase::Japanese)) {
        // Proportional, as the Latin text around it is (fontconfig does
        // not always mark a monospaced one as such).
        const QFontMetrics metrics{QFont(family)};
        const bool proportional = metrics.horizontalAdvance(QLatin1Char('i')) !=
                                  metrics.horizontalAdvance(QLatin1Char('M'));
        if (both(family) && proportional) {
            font.setFamilies({family});
            break;
        }
    }
    return font;
}

}  // namespace

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
    setFont(OneFontForLatinAndKatakana(font()));
    QPalette colours = palette();
    colours.setColor(QPalette::Base, colours.color(QPalette::Window));
    setPalette(colours);
}

void QtLabel::SetCaption(const std::string& caption, std::size_t literalLength) {
    caption_ = caption;
    const std::string_view text(caption_);
    const std::size_t literal = std::min(literalLength, text.size());
    literalLength_ = literal;
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
    const std::optional<Window::ReportChecksums> report =
        Window::ChecksumsOfReport(caption_, literalLength_);
    if (!report) {
        return std::nullopt;
    }
    return Window::CompareChecksum(QGuiApplication::clipboard()->text().toStdString(), *report);
}

std::unique_ptr<QMenu> QtLabel::ContextMenu() {
    std::unique_ptr<QMenu> menu(createStandardContextMenu());
    menu->addSeparator();
    QAction* compare = menu->addAction(QStringLiteral("Compare with clipboard"));
    compare->setEnabled(Window::ChecksumsOfReport(caption_, literalLength_).has_value());
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

// ---- Form ----

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
