#include "data/resulttable.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <stdexcept>

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
    text_.Clear();
    columnCount_ = int(info_->names.size());
    inRow_ = rows_ = 0;
}

void ResultTable::AddInteger(std::int64_t v) {
    if (v >= INT32_MIN && v <= INT32_MAX) {
        push(Cell{std::uint32_t(std::int32_t(v)), kindBits(Kind::Integer)});
    } else {
        const TextStore::Ref ref = text_.Append(reinterpret_cast<const char*>(&v), sizeof v);
        push(Cell{ref, kindBits(Kind::Integer) | std::uint32_t(sizeof v)});
    }
}

void ResultTable::AddReal(double v) {
    const TextStore::Ref ref = text_.Append(reinterpret_cast<const char*>(&v), sizeof v);
    push(Cell{ref, kindBits(Kind::Real) | std::uint32_t(sizeof v)});
}

void ResultTable::AddText(const char* utf8, int length) {
    if (length < 0 || std::uint32_t(length) > kLengthMask)
        throw std::length_error("a text too long for a result");
    const TextStore::Ref ref = text_.Append(utf8, std::size_t(length));
    push(Cell{ref, kindBits(Kind::Text) | std::uint32_t(length)});
}

std::int64_t ResultTable::integerOf(const Cell& c) const {
    if (lengthOf(c) == 0) return std::int32_t(c.ref);
    std::int64_t v = 0;
    std::memcpy(&v, text_.At(c.ref), sizeof v);
    return v;
}

double ResultTable::realOf(const Cell& c) const {
    double v = 0;
    std::memcpy(&v, text_.At(c.ref), sizeof v);
    return v;
}

QVariant ResultTable::Value(int row, int column) const {
    const Cell& c = cell(row, column);
    switch (kindOf(c)) {
    case Kind::Null:
        return QVariant();
    case Kind::Integer:
        return QVariant(qlonglong(integerOf(c)));
    case Kind::Real:
        return QVariant(realOf(c));
    case Kind::Text:
        return QVariant(QString::fromUtf8(text_.At(c.ref), qsizetype(lengthOf(c))));
    }
    return QVariant();
}

QString ResultTable::Text(int row, int column) const {
    const Cell& c = cell(row, column);
    switch (kindOf(c)) {
    case Kind::Null:
        return QString();
    case Kind::Integer:
        return QString::number(integerOf(c));
    case Kind::Real:
        return QString::number(realOf(c), 'g', 15);
    case Kind::Text:
        return QString::fromUtf8(text_.At(c.ref), qsizetype(lengthOf(c)));
    }
    return QString();
}

QByteArrayView ResultTable::TextBytes(int row, int column) const {
    const Cell& c = cell(row, column);
    if (kindOf(c) != Kind::Text) return {};
    return QByteArrayView(text_.At(c.ref), qsizetype(lengthOf(c)));
}

void ResultTable::AddRowFrom(const ResultTable& other, int row) {
    for (int c = 0; c < other.ColumnCount(); ++c) {
        const Cell& cell = other.cell(row, c);
        switch (kindOf(cell)) {
        case Kind::Null:
            AddNull();
            break;
        case Kind::Integer:
            AddInteger(other.integerOf(cell));
            break;
        case Kind::Real:
            AddReal(other.realOf(cell));
            break;
        case Kind::Text:
            AddText(other.text_.At(cell.ref), int(lengthOf(cell)));
            break;
        }
    }
}
