#include "platform/qt/form_runtime.h"

#include <QCloseEvent>
#include <QFile>
#include <QMessageBox>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QStorageInfo>

#include <algorithm>
#include <exception>
#include <filesystem>
#include <new>
#include <utility>

#include "platform/os/directory.h"
#include "platform/os/error.h"
#include "platform/qt/twips.h"

namespace Platform {
namespace {

// Each list entry keeps the native bytes of what it stands for.
constexpr int kNativeRole = Qt::UserRole;

void ShowMessageBox(QWidget* form, const ErrorReportEntry& error) {
    const QString title = form != nullptr ? form->windowTitle() : QString();
    QMessageBox::critical(form, title, ErrorReportText(error));
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

std::string NativeOf(const QListWidgetItem* item) {
    return item->data(kNativeRole).toByteArray().toStdString();
}

QListWidgetItem* NewEntry(const std::string& native, const QString& text) {
    auto* item = new QListWidgetItem(text);
    item->setData(kNativeRole, QByteArray::fromStdString(native));
    return item;
}

}  // namespace

ErrorReport SetErrorReport(ErrorReport report) {
    return std::exchange(CurrentErrorReport(), std::move(report));
}

QString ErrorReportText(const ErrorReportEntry& error) {
    QString text = QStringLiteral("Could not %1.").arg(DisplayText(error.operation));
    if (!error.path.empty()) {
        text += QStringLiteral("\n\nPath: ") + DisplayText(error.path);
    }
    text += QStringLiteral("\nReason: ") + DisplayText(error.reason);
    return text;
}

bool RunEvent(QWidget* control, const std::function<void()>& procedure) {
    if (!procedure) {
        return true;
    }
    try {
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
    return QFile::decodeName(QByteArray::fromStdString(native));
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
    return QFile::encodeName(QStorageInfo(DisplayText(path)).rootPath()).toStdString();
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

// ---- Directory list ----

QtDirListBox::QtDirListBox(QWidget* parent) : QListWidget(parent) {
    // A double-click or Enter opens an entry.
    connect(this, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        const std::string target = NativeOf(item);
        RunEvent(this, [this, target] { SetPath(target); });
    });
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
    const QSignalBlocker blocker(this);
    path_ = path;
    subdirectories_ = subdirectories;
    clear();
    const QString indentStep = QStringLiteral("   ");
    int depth = 0;
    QListWidgetItem* current = nullptr;
    for (const std::string& ancestor : PathAndAncestors(path)) {
        current =
            NewEntry(ancestor, indentStep.repeated(depth++) + DisplayText(LastName(ancestor)));
        addItem(current);
    }
    for (const std::string& name : subdirectories) {
        addItem(NewEntry(JoinPath(path, kPathSeparator, name),
                         indentStep.repeated(depth) + DisplayText(name)));
    }
    setCurrentItem(current);
}

// ---- File list ----

QtFileListBox::QtFileListBox(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    // A keyboard move, or the press of a click, that selects another file.
    connect(this, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0) {
            Click();
        }
    });
    // A click on the file that was already selected reports it afresh.
    connect(this, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        if (row(item) == rowBeforePress_) {
            Click();
        }
    });
}

void QtFileListBox::mousePressEvent(QMouseEvent* event) {
    rowBeforePress_ = currentRow();
    QListWidget::mousePressEvent(event);
}

// Qt makes the first entry current when an empty selection gains focus;
// tabbing into the list selects no file and starts no report.
void QtFileListBox::focusInEvent(QFocusEvent* event) {
    const bool hadCurrent = currentItem() != nullptr;
    const QSignalBlocker blocker(this);
    QListWidget::focusInEvent(event);
    if (!hadCurrent) {
        setCurrentItem(nullptr);
    }
}

void QtFileListBox::Click() {
    RunEvent(this, onClick);
}

void QtFileListBox::SetPath(const std::string& path) {
    const std::string target = NormalDirectoryPath(path);
    const std::vector<std::string> files = ListOrdinaryFiles(target);  // may throw
    const QSignalBlocker blocker(this);                                // refilling raises no click
    path_ = target;
    clear();
    for (const std::string& name : files) {
        addItem(NewEntry(name, DisplayText(name)));
    }
    rowBeforePress_ = -1;
}

std::string QtFileListBox::FileName() const {
    const QListWidgetItem* item = currentItem();
    return item != nullptr ? NativeOf(item) : std::string();
}

// ---- Label ----

QtLabel::QtLabel(QWidget* parent) : QPlainTextEdit(parent) {
    // Looks like a label: no frame, the form's background, text from the top
    // left. Selectable with the mouse so a checksum can be copied, wrapping
    // a long path anywhere so it stays inside the box.
    setReadOnly(true);
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::NoFocus);
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    document()->setDocumentMargin(0);
    setBackgroundVisible(false);
    QPalette colours = palette();
    colours.setColor(QPalette::Base, colours.color(QPalette::Window));
    setPalette(colours);
}

void QtLabel::SetCaption(const std::string& caption) {
    caption_ = caption;
    QString text = QString::fromUtf8(caption);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    setPlainText(text);
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
