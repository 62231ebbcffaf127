#pragma once
// A list view in report view, as the old platform had it: rows with a text
// and sub-items, optional check boxes, one selected row. Rows are held in a
// light model; a refill of tens of thousands of rows costs one model reset,
// not one repaint per row.
//
//   Lstvew->Clear();
//   ListItem row = Lstvew->Add(name);   // the row text (column 0)
//   row.SetSubItem(1, id);             // column 1
//   if (auto sel = Lstvew->SelectedItem()) Use(sel->SubItem(1));
//
// A long list fills in slices: the caller adds the rows it has at hand (the
// first screen), then hands FillInSlices a routine that adds a few more rows
// each time it is called. The slices run from the event loop, so the list
// paints and the window answers keys between them. Whatever reads the whole
// list (Count, Item, the keys that move to its end) waits for the fill to
// end; Clear, or a new fill, cancels it at once.

#include "data/blockarray.h"
#include "data/textstore.h"

#include <QAbstractTableModel>
#include <QElapsedTimer>
#include <QTimer>
#include <QTreeView>
#include <algorithm>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class ListView;
class RowHeightDelegate;

class ListItem {
  public:
    ListItem(ListView* list, int row) : list_(list), row_(row) {}
    int Index() const { return row_ + 1; } // 1-based, as the old lists counted
    QString Text() const;
    QString SubItem(int column) const; // column 1 is the first sub-item
    void SetSubItem(int column, const QString& text);
    void SetSubItem(int column, QUtf8StringView text);
    bool Checked() const;
    void SetChecked(bool checked);
    void Select();
    // Scrolls the list so that the row is in sight.
    void EnsureVisible();

  private:
    ListView* list_;
    int row_;
};

// The rows of a list, held compactly: every text as UTF-8 in one store,
// each cell a reference and a length into it, no object per cell.
class ListRows {
  public:
    int Count() const { return int(rows_.size()); }
    void AddRow();
    QString Cell(int row, int column) const;
    void SetCell(int row, int column, QUtf8StringView text);
    void SetCell(int row, int column, const QString& text) {
        SetCell(row, column, QUtf8StringView(text.toUtf8()));
    }
    bool Checked(int row) const { return rows_[size_t(row)].checked; }
    void SetChecked(int row, bool checked) { rows_[size_t(row)].checked = checked; }
    // Empties the rows and gives their memory back.
    void Clear();
    size_t Bytes() const;

  private:
    struct Span {
        TextStore::Ref ref = 0;
        quint32 length = 0;
    };
    struct Row {
        quint32 firstCell = 0;
        quint16 cellCount = 0;
        bool checked = false;
    };
    BlockArray<Row> rows_;
    BlockArray<Span> cells_;
    TextStore text_;
};

class ListItemModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

  private:
    friend class ListView;
    friend class ListItem;
    QStringList headers_;
    ListRows rows_;
    int shown_ = 0; // rows the views know of; the rest are still being added
    bool checkboxes_ = false;
};

class ListView : public QTreeView {
    Q_OBJECT
  public:
    explicit ListView(QWidget* parent = nullptr);
    ~ListView() override;

    // ColumnHeaders.Add: a column with its header text and width in twips.
    void AddColumn(const QString& header, int widthTwips = 1440);
    void SetCheckboxes(bool on);

    int Count(); // ListItems.Count: the whole list, once filled
    void Clear();
    ListItem Add(const QString& text);
    ListItem Add(QUtf8StringView text);
    ListItem Item(int index); // 1-based
    std::optional<ListItem> SelectedItem();

    // Makes rows added since the last call known to the view at once.
    void Flush();

    // A routine that adds up to `rows` more rows and says whether any remain.
    using Slice = std::function<bool(int rows)>;
    // Fills the rest of the list a slice at a time from the event loop.
    void FillInSlices(Slice slice);
    bool Filling() const { return bool(slice_); }
    // Runs the slices left at once: afterwards the list is complete.
    void FinishFill();

  signals:
    // The list was painted; `complete` when no fill was running.
    void Painted(int rows, bool complete);

  protected:
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    friend class ListItem;
    void scheduleFlush();
    void noteText(QUtf8StringView text); // taller rows for the text's script
    void runSlices(qint64 budgetNs);
    void stopFill();
    ListItemModel model_;
    RowHeightDelegate* rowHeight_ = nullptr;
    bool flushPending_ = false;
    std::shared_ptr<Slice> slice_;
    bool inSlice_ = false;
    bool painted_ = false; // since the fill began
    QElapsedTimer fillClock_;
    qint64 lastFlush_ = 0;
    qint64 nsPerRow_ = 10'000; // what the last slices took per row
    QTimer sliceTimer_;
};

// The rows a list adds before it is first painted, from a recordset opened
// with adAsyncFetch: all of a result read whole, else a screenful.
constexpr int kFirstScreenRows = 100;
template <class Rs> int FirstSliceRows(const Rs& rs) {
    return rs.StillReading() ? std::min(kFirstScreenRows, rs.ReadyRows()) : rs.ReadyRows();
}

// Fills `list` from `rs`, a recordset opened with adAsyncFetch: `addRow`
// adds the current record as a row. The rows read with the statement show
// at once, the rest follow a slice at a time. A failing row ends the fill
// and is handed to `failed`. Closing or opening the recordset again first
// lets the fill end.
template <class Rs, class AddRow, class Failed>
void FillFromRows(ListView* list, Rs& rs, AddRow addRow, Failed failed) {
    auto slice = [list, &rs, addRow, failed](int rows) {
        try {
            return WalkRows(rs, rows, addRow);
        } catch (const std::exception& e) {
            failed(e);
            return false;
        }
    };
    if (!slice(FirstSliceRows(rs))) return list->Flush(); // the statement gave every row
    list->FillInSlices(slice);
    rs.OnReuse([list] { list->FinishFill(); });
}
