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

#include <QAbstractTableModel>
#include <QTreeView>
#include <optional>
#include <vector>

class ListView;

class ListItem {
  public:
    ListItem(ListView* list, int row) : list_(list), row_(row) {}
    int Index() const { return row_ + 1; } // 1-based, as the old lists counted
    QString Text() const;
    void SetText(const QString& text);
    QString SubItem(int column) const; // column 1 is the first sub-item
    void SetSubItem(int column, const QString& text);
    bool Checked() const;
    void SetChecked(bool checked);
    void Select();

  private:
    ListView* list_;
    int row_;
};

class ListItemModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    struct Row {
        QStringList cells;
        bool checked = false;
    };
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
    std::vector<Row> rows_;
    int shown_ = 0; // rows the views know of; the rest are still being added
    bool checkboxes_ = false;
};

class ListView : public QTreeView {
    Q_OBJECT
  public:
    explicit ListView(QWidget* parent = nullptr);

    // ColumnHeaders.Add: a column with its header text and width in twips.
    void AddColumn(const QString& header, int widthTwips = 1440);
    void SetCheckboxes(bool on);

    int Count(); // ListItems.Count
    void Clear();
    ListItem Add(const QString& text);
    ListItem Item(int index); // 1-based
    std::optional<ListItem> SelectedItem();

    // Makes rows added since the last call known to the view at once.
    void Flush();

  private:
    friend class ListItem;
    ListItemModel::Row& row(int r);
    void scheduleFlush();
    ListItemModel model_;
    bool flushPending_ = false;
};
