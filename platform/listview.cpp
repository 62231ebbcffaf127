#include "platform/listview.h"

#include "data/serverwait.h"
#include "platform/listrowheight.h"
#include "platform/memory.h"
#include "platform/twips.h"

#include <QHeaderView>
#include <QScrollBar>
#include <algorithm>

namespace {

// Each turn of the event loop fills for about this long, then lets the
// window paint and read keys.
constexpr qint64 kSliceNs = 10'000'000;
// What a row costs before the first slice has shown it.
constexpr qint64 kStartNsPerRow = 10'000;
// A fill waits this long for the first screen to be painted before it goes
// on, and tells the view of new rows at most this often (each time the view
// lays itself out again).
constexpr qint64 kFirstPaintWaitNs = 40'000'000;
constexpr qint64 kFlushEveryNs = 250'000'000;

} // namespace

// ---- ListRows ------------------------------------------------------------

void ListRows::AddRow() {
    Row r;
    r.firstCell = quint32(cells_.size());
    rows_.push_back(r);
}

QString ListRows::Cell(int row, int column) const {
    if (row < 0 || row >= Count()) throw std::out_of_range("list row out of range");
    const Row& r = rows_[size_t(row)];
    if (column < 0 || column >= r.cellCount) return QString();
    const Span& s = cells_[r.firstCell + size_t(column)];
    return QString::fromUtf8(text_.At(s.ref), qsizetype(s.length));
}

void ListRows::SetCell(int row, int column, QUtf8StringView text) {
    if (row < 0 || row >= Count()) throw std::out_of_range("list row out of range");
    Row& r = rows_[size_t(row)];
    if (column >= r.cellCount) {
        // A row's cells lie together; a row that is not the last one moves
        // its cells to the end before it grows (rare: lists fill row by row).
        if (r.firstCell + size_t(r.cellCount) != cells_.size()) {
            const quint32 first = quint32(cells_.size());
            for (int c = 0; c < r.cellCount; ++c)
                cells_.push_back(cells_[r.firstCell + size_t(c)]);
            r.firstCell = first;
        }
        cells_.resize(r.firstCell + size_t(column) + 1);
        r.cellCount = quint16(column + 1);
    }
    Span& s = cells_[r.firstCell + size_t(column)];
    const auto length = quint32(text.size());
    if (length <= s.length && s.length > 0)
        std::copy(text.data(), text.data() + length, text_.MutableAt(s.ref));
    else
        s.ref = text_.Append(text.data(), size_t(length));
    s.length = length;
}

void ListRows::Clear() {
    rows_.clear();
    cells_.clear();
    text_.Clear();
}

size_t ListRows::Bytes() const {
    return rows_.Bytes() + cells_.Bytes() + text_.Bytes();
}

// ---- ListItemModel -----------------------------------------------------

int ListItemModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : shown_;
}

int ListItemModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(headers_.size());
}

QVariant ListItemModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= shown_) return QVariant();
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return rows_.Cell(index.row(), index.column());
    if (role == Qt::CheckStateRole && checkboxes_ && index.column() == 0)
        return rows_.Checked(index.row()) ? Qt::Checked : Qt::Unchecked;
    return QVariant();
}

bool ListItemModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::CheckStateRole || !checkboxes_ || index.row() >= shown_)
        return false;
    rows_.SetChecked(index.row(), value.toInt() == Qt::Checked);
    emit dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

QVariant ListItemModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section < headers_.size())
        return headers_[section];
    return QVariant();
}

Qt::ItemFlags ListItemModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (checkboxes_ && index.column() == 0) f |= Qt::ItemIsUserCheckable;
    return f;
}

// ---- ListItem ----------------------------------------------------------

QString ListItem::Text() const {
    return SubItem(0);
}

QString ListItem::SubItem(int column) const {
    return list_->model_.rows_.Cell(row_, column);
}

void ListItem::SetSubItem(int column, const QString& text) {
    SetSubItem(column, QUtf8StringView(text.toUtf8()));
}

void ListItem::SetSubItem(int column, QUtf8StringView text) {
    list_->model_.rows_.SetCell(row_, column, text);
    list_->noteText(text);
    if (row_ < list_->model_.shown_) {
        const QModelIndex i = list_->model_.index(row_, column);
        emit list_->model_.dataChanged(i, i);
    }
}

bool ListItem::Checked() const {
    return list_->model_.rows_.Checked(row_);
}

void ListItem::SetChecked(bool checked) {
    list_->model_.rows_.SetChecked(row_, checked);
    if (row_ < list_->model_.shown_) {
        const QModelIndex i = list_->model_.index(row_, 0);
        emit list_->model_.dataChanged(i, i, {Qt::CheckStateRole});
    }
}

void ListItem::Select() {
    list_->Flush();
    list_->setCurrentIndex(list_->model_.index(row_, 0));
}

void ListItem::EnsureVisible() {
    list_->Flush();
    list_->scrollTo(list_->model_.index(row_, 0));
}

// ---- ListView ------------------------------------------------------------

ListView::ListView(QWidget* parent) : QTreeView(parent) {
    setModel(&model_);
    rowHeight_ = new RowHeightDelegate(this);
    setItemDelegate(rowHeight_);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    // Scrolled to the end while the list fills: the rest at once.
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        if (Filling() && !inSlice_ && value == verticalScrollBar()->maximum()) FinishFill();
    });
    sliceTimer_.setInterval(0);
    connect(&sliceTimer_, &QTimer::timeout, this, [this] { runSlices(kSliceNs); });
}

ListView::~ListView() {
    stopFill();
    model_.rows_.Clear();
    // A window that showed a long list or result hands its memory back
    // when it closes.
    ReleaseUnusedMemory();
}

void ListView::AddColumn(const QString& header, int widthTwips) {
    model_.beginInsertColumns(QModelIndex(), int(model_.headers_.size()),
                              int(model_.headers_.size()));
    model_.headers_.append(header);
    model_.endInsertColumns();
    setColumnWidth(int(model_.headers_.size()) - 1, Px(widthTwips));
}

void ListView::SetCheckboxes(bool on) {
    model_.beginResetModel();
    model_.checkboxes_ = on;
    model_.endResetModel();
}

int ListView::Count() {
    if (!inSlice_) FinishFill();
    return model_.rows_.Count();
}

void ListView::Clear() {
    stopFill();
    rowHeight_->tall = false;
    model_.beginResetModel();
    model_.rows_.Clear();
    model_.shown_ = 0;
    model_.endResetModel();
}

void ListView::noteText(QUtf8StringView text) {
    if (rowHeight_->tall || !HasTallScript(text)) return;
    rowHeight_->tall = true;
    scheduleDelayedItemsLayout(); // every row takes the new height
}

ListItem ListView::Add(const QString& text) {
    return Add(QUtf8StringView(text.toUtf8()));
}

ListItem ListView::Add(QUtf8StringView text) {
    model_.rows_.AddRow();
    const int row = model_.rows_.Count() - 1;
    model_.rows_.SetCell(row, 0, text);
    noteText(text);
    // A fill in slices shows its rows when its slices say so.
    if (!slice_) scheduleFlush();
    return ListItem(this, row);
}

ListItem ListView::Item(int index) {
    if (index > model_.rows_.Count() && !inSlice_) FinishFill();
    if (index < 1 || index > model_.rows_.Count())
        throw std::out_of_range("list index out of range");
    return ListItem(this, index - 1);
}

std::optional<ListItem> ListView::SelectedItem() {
    // Rows are only ever added behind the ones shown, so the selected row
    // stays the row the user picked, however far the fill has come.
    Flush();
    const QModelIndexList selected = selectionModel()->selectedRows();
    if (selected.isEmpty()) return std::nullopt;
    return ListItem(this, selected.first().row());
}

void ListView::scheduleFlush() {
    if (flushPending_) return;
    flushPending_ = true;
    QTimer::singleShot(0, this, [this] { Flush(); });
}

void ListView::Flush() {
    flushPending_ = false;
    const int total = model_.rows_.Count();
    if (total <= model_.shown_) return;
    const bool wasEmpty = model_.shown_ == 0;
    model_.beginInsertRows(QModelIndex(), model_.shown_, total - 1);
    model_.shown_ = total;
    model_.endInsertRows();
    // Like the old list, a filled list has its first row selected.
    if (wasEmpty && !selectionModel()->hasSelection()) setCurrentIndex(model_.index(0, 0));
}

void ListView::FillInSlices(Slice slice) {
    stopFill();
    slice_ = std::make_shared<Slice>(std::move(slice));
    Flush(); // the rows at hand show at once
    painted_ = false;
    fillClock_.start();
    lastFlush_ = 0;
    nsPerRow_ = kStartNsPerRow;
    sliceTimer_.start();
}

void ListView::FinishFill() {
    runSlices(-1);
}

void ListView::stopFill() {
    sliceTimer_.stop();
    slice_.reset();
}

// Runs slices for about `budgetNs` (all of them when negative). A slice
// that clears the list, or starts a new fill, ends this one.
void ListView::runSlices(qint64 budgetNs) {
    if (!slice_ || inSlice_) return;
    // While a statement waits on the database server the windows paint, and
    // the fill waits for its turn.
    if (budgetNs >= 0 && ServerWait::Busy()) return;
    // The first screen is painted before the fill goes on.
    if (budgetNs >= 0 && !painted_ && isVisible() && fillClock_.nsecsElapsed() < kFirstPaintWaitNs)
        return;
    QElapsedTimer clock;
    clock.start();
    inSlice_ = true;
    while (slice_ && (budgetNs < 0 || clock.nsecsElapsed() < budgetNs)) {
        const std::shared_ptr<Slice> running = slice_;
        // As many rows as fit the time left, judged by the last slices.
        const qint64 left = budgetNs < 0 ? kSliceNs : budgetNs - clock.nsecsElapsed();
        const int rows = int(std::clamp<qint64>(left / std::max<qint64>(1, nsPerRow_), 16, 65536));
        const qint64 started = clock.nsecsElapsed();
        bool more = false;
        try {
            more = (*running)(rows);
        } catch (...) {
            more = false; // the routine reports its own failures
        }
        const qint64 took = clock.nsecsElapsed() - started;
        nsPerRow_ = std::clamp<qint64>(took / rows, nsPerRow_ / 4, nsPerRow_ * 4);
        if (!more && slice_ == running) {
            stopFill();
            // Blocks a longer list or result held before this one are not
            // kept past its end.
            ReleaseFreeBlocks();
        }
    }
    inSlice_ = false;
    if (!slice_ || fillClock_.nsecsElapsed() - lastFlush_ >= kFlushEveryNs) {
        Flush();
        lastFlush_ = fillClock_.nsecsElapsed();
    }
}

QModelIndex ListView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) {
    // Keys that reach past the rows shown so far wait for the rest.
    if (Filling()) {
        const int page = viewport()->height() / std::max(1, sizeHintForRow(0));
        const int reach = cursorAction == MoveDown       ? 1
                          : cursorAction == MovePageDown ? page
                          : cursorAction == MoveEnd      ? model_.shown_
                                                         : 0;
        if (reach > 0 && currentIndex().row() + reach + page >= model_.shown_) FinishFill();
    }
    return QTreeView::moveCursor(cursorAction, modifiers);
}

void ListView::paintEvent(QPaintEvent* event) {
    QTreeView::paintEvent(event);
    painted_ = true;
    emit Painted(model_.shown_, !Filling());
}
