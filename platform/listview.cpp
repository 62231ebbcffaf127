#include "platform/listview.h"

#include "platform/twips.h"

#include <QHeaderView>
#include <QTimer>

// ---- ListItemModel -----------------------------------------------------

int ListItemModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : shown_;
}

int ListItemModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(headers_.size());
}

QVariant ListItemModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= shown_) return QVariant();
    const Row& r = rows_[size_t(index.row())];
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
        return index.column() < r.cells.size() ? r.cells[index.column()] : QString();
    }
    if (role == Qt::CheckStateRole && checkboxes_ && index.column() == 0)
        return r.checked ? Qt::Checked : Qt::Unchecked;
    return QVariant();
}

bool ListItemModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::CheckStateRole || !checkboxes_ || index.row() >= shown_)
        return false;
    rows_[size_t(index.row())].checked = value.toInt() == Qt::Checked;
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
void ListItem::SetText(const QString& text) {
    SetSubItem(0, text);
}

QString ListItem::SubItem(int column) const {
    const auto& cells = list_->row(row_).cells;
    return column < cells.size() ? cells[column] : QString();
}

void ListItem::SetSubItem(int column, const QString& text) {
    auto& cells = list_->row(row_).cells;
    while (cells.size() <= column)
        cells.append(QString());
    cells[column] = text;
    if (row_ < list_->model_.shown_) {
        const QModelIndex i = list_->model_.index(row_, column);
        emit list_->model_.dataChanged(i, i);
    }
}

bool ListItem::Checked() const {
    return list_->row(row_).checked;
}

void ListItem::SetChecked(bool checked) {
    list_->row(row_).checked = checked;
    if (row_ < list_->model_.shown_) {
        const QModelIndex i = list_->model_.index(row_, 0);
        emit list_->model_.dataChanged(i, i, {Qt::CheckStateRole});
    }
}

void ListItem::Select() {
    list_->Flush();
    list_->setCurrentIndex(list_->model_.index(row_, 0));
}

// ---- ListView ------------------------------------------------------------

ListView::ListView(QWidget* parent) : QTreeView(parent) {
    setModel(&model_);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
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

ListItemModel::Row& ListView::row(int r) {
    return model_.rows_.at(size_t(r));
}

int ListView::Count() {
    return int(model_.rows_.size());
}

void ListView::Clear() {
    model_.beginResetModel();
    model_.rows_.clear();
    model_.shown_ = 0;
    model_.endResetModel();
}

ListItem ListView::Add(const QString& text) {
    ListItemModel::Row r;
    r.cells.reserve(model_.headers_.size());
    r.cells.append(text);
    model_.rows_.push_back(std::move(r));
    scheduleFlush();
    return ListItem(this, int(model_.rows_.size()) - 1);
}

ListItem ListView::Item(int index) {
    if (index < 1 || index > Count()) throw std::out_of_range("list index out of range");
    return ListItem(this, index - 1);
}

std::optional<ListItem> ListView::SelectedItem() {
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
    const int total = int(model_.rows_.size());
    if (total <= model_.shown_) return;
    const bool wasEmpty = model_.shown_ == 0;
    model_.beginInsertRows(QModelIndex(), model_.shown_, total - 1);
    model_.shown_ = total;
    model_.endInsertRows();
    // Like the old list, a filled list has its first row selected.
    if (wasEmpty && !selectionModel()->hasSelection()) setCurrentIndex(model_.index(0, 0));
}
