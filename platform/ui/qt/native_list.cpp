#include "platform/ui/qt/native_list.h"

#include <QApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScopedValueRollback>
#include <QStyledItemDelegate>
#include <QToolTip>

#include <cmath>
#include <string_view>
#include <utility>

#include "platform/ui/qt/error_box.h"
#include "platform/ui/qt/text.h"

namespace Ui {

void NativeListModel::SetRows(std::vector<Row> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

int NativeListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

QVariant NativeListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const Row& row = rows_[static_cast<std::size_t>(index.row())];
    if (role == kIndentRole) {
        return row.indentSpaces;
    }
    if (role != Qt::DisplayRole) {
        return {};
    }
    return VisibleText(DecodedText(std::string_view(row.native).substr(row.nameStart)));
}

namespace {

// The room in front of a row's name, in pixels.
int IndentWidth(const QModelIndex& index, const QFontMetrics& metrics) {
    return index.data(NativeListModel::kIndentRole).toInt() *
           metrics.horizontalAdvance(QLatin1Char(' '));
}

// Draws a row's highlight across the whole row and its text after the
// row's indentation.
class IndentingDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const int indent = IndentWidth(index, option.fontMetrics);
        if (indent == 0) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        QStyleOptionViewItem background = option;
        initStyleOption(&background, index);
        background.text.clear();
        const QWidget* list = option.widget;
        QStyle* style = list != nullptr ? list->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &background, painter, list);
        QStyleOptionViewItem indented = option;
        indented.rect.setLeft(option.rect.left() + indent);
        QStyledItemDelegate::paint(painter, indented, index);
    }
};

}  // namespace

NativeListView::NativeListView(QWidget* parent) : QListView(parent) {
    // At a fractional scale (1.5) the frame's bottom line falls on the
    // device pixel row the entries' area rounds out to, and they paint over
    // it; one pixel less for the entries leaves it in view.
    const qreal scale = devicePixelRatioF();
    if (scale != std::floor(scale)) {
        setViewportMargins(0, 0, 0, 1);
    }
    setModel(&model_);
    setItemDelegate(new IndentingDelegate(this));
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
                DrawFocusFrame(*viewport());
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
    if (!index.isValid() ||
        IndentWidth(index, fontMetrics()) + fontMetrics().horizontalAdvance(text) <
            place.width() - 8) {
        QToolTip::hideText();
        return;
    }
    QToolTip::showText(event.globalPos(), ToolTipText(text, this), viewport(), place);
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

void DrawFocusFrame(QWidget& surface) {
    QPainter painter(&surface);
    painter.setPen(QPen(surface.palette().color(QPalette::Highlight), 2));
    painter.drawRect(QRectF(surface.rect()).adjusted(1, 1, -1, -1));
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

}  // namespace Ui
