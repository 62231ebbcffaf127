#pragma once
// A snapshot of the rows a statement returned, stored compactly: one cell per
// column and row, texts kept as UTF-8 in a single buffer and turned into
// QString only when read. Filling 30,000 rows costs no allocation per cell.

#include <QHash>
#include <QStringList>
#include <QVariant>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The columns a statement returns: their names, and where each name
// (in lower case) first appears. Made once per prepared statement.
struct ColumnInfo {
    explicit ColumnInfo(const QStringList& names);
    QStringList names;
    QHash<QString, int> index;
};

class ResultTable {
  public:
    enum class Kind : std::uint8_t { Null, Integer, Real, Text };

    void Reset(const QStringList& columns);
    void Reset(std::shared_ptr<const ColumnInfo> columns);
    const QStringList& Columns() const { return info_->names; }
    const ColumnInfo& Info() const { return *info_; }
    const std::shared_ptr<const ColumnInfo>& InfoPtr() const { return info_; }
    // Appends a copy of a row of another table with the same columns.
    void AddRowFrom(const ResultTable& other, int row);
    int ColumnCount() const { return static_cast<int>(info_->names.size()); }
    int RowCount() const {
        return ColumnCount() ? static_cast<int>(cells_.size()) / ColumnCount() : 0;
    }

    // Appending: one call per cell, row after row.
    void AddNull() { push(Cell{Kind::Null, 0, {0}}); }
    void AddInteger(std::int64_t v) {
        Cell c{Kind::Integer, 0, {0}};
        c.i = v;
        push(c);
    }
    void AddReal(double v) {
        Cell c{Kind::Real, 0, {0}};
        c.d = v;
        push(c);
    }
    void AddText(const char* utf8, int length);

    Kind KindAt(int row, int column) const { return cell(row, column).kind; }
    bool IsNull(int row, int column) const { return cell(row, column).kind == Kind::Null; }
    QVariant Value(int row, int column) const;
    QString Text(int row, int column) const; // Null reads as the empty text

  private:
    struct Cell {
        Kind kind;
        std::uint32_t length;
        union {
            std::int64_t i;
            double d;
            std::uint64_t offset;
        };
    };
    // The buffers grow by half again, not twice over: a long result stays
    // close to the size of what it holds.
    void push(const Cell& c) {
        if (cells_.size() == cells_.capacity()) cells_.reserve(cells_.size() * 3 / 2 + 64);
        cells_.push_back(c);
    }
    const Cell& cell(int row, int column) const {
        return cells_[size_t(row) * info_->names.size() + column];
    }

    static const std::shared_ptr<const ColumnInfo>& noColumns();
    std::shared_ptr<const ColumnInfo> info_ = noColumns();
    std::vector<Cell> cells_;
    std::string text_;
};
