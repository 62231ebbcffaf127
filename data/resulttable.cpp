#include "data/resulttable.h"

#include <algorithm>

ColumnInfo::ColumnInfo(const QStringList& n) : names(n) {
    // Each name under its lower-case spelling, and under its own spelling
    // too, so that most lookups need no case folding.
    for (int c = 0; c < names.size(); ++c) {
        const QString key = names[c].toLower();
        if (!index.contains(key)) index.insert(key, c);
    }
    for (int c = 0; c < names.size(); ++c)
        if (!index.contains(names[c])) index.insert(names[c], index.value(names[c].toLower()));
}

const std::shared_ptr<const ColumnInfo>& ResultTable::noColumns() {
    static const auto none = std::make_shared<const ColumnInfo>(QStringList());
    return none;
}

void ResultTable::Reset(const QStringList& columns) {
    Reset(std::make_shared<const ColumnInfo>(columns));
}

void ResultTable::Reset(std::shared_ptr<const ColumnInfo> columns) {
    info_ = columns ? std::move(columns) : noColumns();
    cells_.clear();
    text_.clear();
}

void ResultTable::AddText(const char* utf8, int length) {
    Cell c{Kind::Text, std::uint32_t(length), {0}};
    c.offset = std::uint64_t(text_.size());
    if (text_.size() + size_t(length) > text_.capacity())
        text_.reserve(std::max(text_.size() + size_t(length), text_.capacity() * 3 / 2));
    text_.append(utf8, size_t(length));
    push(c);
}

QVariant ResultTable::Value(int row, int column) const {
    const Cell& c = cell(row, column);
    switch (c.kind) {
    case Kind::Null:
        return QVariant();
    case Kind::Integer:
        return QVariant(qlonglong(c.i));
    case Kind::Real:
        return QVariant(c.d);
    case Kind::Text:
        return QVariant(QString::fromUtf8(text_.data() + c.offset, qsizetype(c.length)));
    }
    return QVariant();
}

QString ResultTable::Text(int row, int column) const {
    const Cell& c = cell(row, column);
    switch (c.kind) {
    case Kind::Null:
        return QString();
    case Kind::Integer:
        return QString::number(c.i);
    case Kind::Real:
        return QString::number(c.d, 'g', 15);
    case Kind::Text:
        return QString::fromUtf8(text_.data() + c.offset, qsizetype(c.length));
    }
    return QString();
}

void ResultTable::AddRowFrom(const ResultTable& other, int row) {
    for (int c = 0; c < other.ColumnCount(); ++c) {
        const Cell& cell = other.cell(row, c);
        if (cell.kind == Kind::Text)
            AddText(other.text_.data() + cell.offset, int(cell.length));
        else
            push(cell);
    }
}
