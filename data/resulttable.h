#pragma once
// A snapshot of the rows a statement returned, stored compactly: one cell of
// eight bytes per column and row, texts kept as UTF-8 and turned into QString
// only when read. Filling 30,000 rows costs no allocation per cell, and a
// long result grows into blocks that are never copied.

#include "data/blockarray.h"
#include "data/textstore.h"

#include <QByteArrayView>
#include <QHash>
#include <QStringList>
#include <QVariant>
#include <cstdint>
#include <memory>

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
    int RowCount() const { return rows_; }

    // Appending: one call per cell, row after row.
    void AddNull() { push(Cell{0, kindBits(Kind::Null)}); }
    void AddInteger(std::int64_t v);
    void AddReal(double v);
    void AddText(const char* utf8, int length);

    Kind KindAt(int row, int column) const { return kindOf(cell(row, column)); }
    bool IsNull(int row, int column) const { return KindAt(row, column) == Kind::Null; }
    QVariant Value(int row, int column) const;
    QString Text(int row, int column) const; // Null reads as the empty text
    // A text cell's UTF-8 bytes, read in place (empty for any other kind):
    // they hold until the table next grows.
    QByteArrayView TextBytes(int row, int column) const;

  private:
    // Eight bytes a cell: the kind and a length, and either the value (an
    // integer that fits in 32 bits) or where its bytes are in the texts (a
    // text, a real, a larger integer).
    struct Cell {
        std::uint32_t ref;
        std::uint32_t meta; // kind in the top two bits, length below
    };
    static constexpr std::uint32_t kLengthMask = 0x3fffffffu;
    static constexpr std::uint32_t kindBits(Kind k) { return std::uint32_t(k) << 30; }
    static Kind kindOf(const Cell& c) { return Kind(c.meta >> 30); }
    static std::uint32_t lengthOf(const Cell& c) { return c.meta & kLengthMask; }
    std::int64_t integerOf(const Cell& c) const;
    double realOf(const Cell& c) const;
    void push(const Cell& c) {
        cells_.push_back(c);
        if (++inRow_ == columnCount_) { // a row complete
            inRow_ = 0;
            ++rows_;
        }
    }
    const Cell& cell(int row, int column) const {
        return cells_[size_t(row) * info_->names.size() + size_t(column)];
    }

    static const std::shared_ptr<const ColumnInfo>& noColumns();
    std::shared_ptr<const ColumnInfo> info_ = noColumns();
    BlockArray<Cell> cells_;
    TextStore text_;
    int columnCount_ = 0, inRow_ = 0, rows_ = 0;
};
