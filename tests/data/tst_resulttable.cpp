// The compact storage of results: every kind of value reads back as it was
// stored, across the blocks a long result grows into, and the blocks go
// back to the pool (and from it to the system) when let go.

#include "data/blockpool.h"
#include "data/connmodule.h"
#include "data/recordset.h"
#include "data/resulttable.h"
#include "data/textstore.h"
#include "support/fixture.h"
#include "support/testmain.h"

#include <QTest>
#include <cstdint>
#include <limits>

namespace {

// One value of each kind and size the storage treats apart.
struct Sample {
    ResultTable::Kind kind;
    QVariant value;
};

QList<Sample> Samples() {
    using K = ResultTable::Kind;
    return {
        {K::Null, QVariant()},
        {K::Integer, qlonglong(0)},
        {K::Integer, qlonglong(-1)},
        {K::Integer, qlonglong(std::numeric_limits<std::int32_t>::max())},
        {K::Integer, qlonglong(std::numeric_limits<std::int32_t>::min())},
        {K::Integer, qlonglong(std::numeric_limits<std::int32_t>::max()) + 1},
        {K::Integer, qlonglong(std::numeric_limits<std::int64_t>::min())},
        {K::Real, 2.5},
        {K::Text, QString()},
        {K::Text, QStringLiteral("O'BRIEN & SONS, ਲੁਧਿਆਣਾ")},
    };
}

// Texts that fill a block's end (never laid across two) and one long
// enough to be kept on its own.
QList<Sample> LongTexts() {
    return {{ResultTable::Kind::Text, QString(60 * 1024, u'x')},
            {ResultTable::Kind::Text, QString(100 * 1024, u'y')},
            {ResultTable::Kind::Text, QStringLiteral("after")}};
}

void Append(ResultTable& t, const Sample& s) {
    switch (s.kind) {
    case ResultTable::Kind::Null:
        return t.AddNull();
    case ResultTable::Kind::Integer:
        return t.AddInteger(s.value.toLongLong());
    case ResultTable::Kind::Real:
        return t.AddReal(s.value.toDouble());
    case ResultTable::Kind::Text: {
        const QByteArray utf8 = s.value.toString().toUtf8();
        return t.AddText(utf8.constData(), int(utf8.size()));
    }
    }
}

// Rows of every sample in turn, shifted by one each row.
void Fill(ResultTable& t, const QList<Sample>& samples, int rows) {
    QStringList columns;
    for (int c = 0; c < samples.size(); ++c)
        columns << QStringLiteral("c%1").arg(c);
    t.Reset(columns);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < samples.size(); ++c)
            Append(t, samples[(r + c) % samples.size()]);
}

void Check(const ResultTable& t, const QList<Sample>& samples, int rows) {
    QCOMPARE(t.RowCount(), rows);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < samples.size(); ++c) {
            const Sample& s = samples[(r + c) % samples.size()];
            QCOMPARE(t.KindAt(r, c), s.kind);
            QCOMPARE(t.Value(r, c), s.value.isNull() && s.kind == ResultTable::Kind::Text
                                        ? QVariant(QString(""))
                                        : s.value);
            if (s.kind == ResultTable::Kind::Text)
                QCOMPARE(QString::fromUtf8(t.TextBytes(r, c)), s.value.toString());
        }
}

} // namespace

class ResultStoreTests : public QObject {
    Q_OBJECT
  private slots:
    void everyKindReadsBackAcrossBlocksAndCopies() {
        const std::size_t before = BlockPool::BlocksInUse();
        // Enough rows for the cells to fill more than a block; then texts
        // that fill the texts' blocks to their ends.
        for (const auto& [samples, rows] :
             {std::pair{Samples(), 30000}, std::pair{LongTexts(), 90}}) {
            ResultTable t;
            Fill(t, samples, rows);
            QVERIFY(BlockPool::BlocksInUse() > before);
            Check(t, samples, rows);
            const ResultTable copy = t; // (a server's read-ahead keeps copies)
            Check(copy, samples, rows);
            ResultTable moved = std::move(t);
            Check(moved, samples, rows);
            QCOMPARE(moved.RowCount(), rows);
        }
        ResultTable big;
        Fill(big, Samples(), 1);
        QCOMPARE(big.Text(0, 6), QString::number(std::numeric_limits<std::int64_t>::min()));
        QCOMPARE(BlockPool::BlocksInUse(), before);
        BlockPool::ReleaseFree();
        QCOMPARE(BlockPool::FreeBlocks(), std::size_t(0));
    }

    // Texts of every length at each edge of the store (the heap's end, a
    // block's end, the longest kept in a block and the shortest kept alone)
    // read back whole, before and after the store is copied.
    void textsReadBackAtEveryEdge() {
        TextStore store;
        QList<QPair<TextStore::Ref, QByteArray>> texts;
        auto add = [&](qsizetype length) {
            const QByteArray text(length, char('a' + texts.size() % 26));
            texts.append({store.Append(text), text});
        };
        for (int i = 0; i < 255; ++i)
            add(1023); // up to a byte or so short of the heap's end
        for (qsizetype length : {0, 1, 0, 1024, 65536, 65537, 0})
            add(length);
        while (store.Bytes() < 3 * BlockPool::kBlockBytes)
            add(65536 - 7); // blocks filled to within a text of their ends
        add(0);
        const TextStore copy = store;
        for (const TextStore* s : {static_cast<const TextStore*>(&store), &copy})
            for (const auto& [ref, text] : texts)
                QCOMPARE(QByteArray(s->At(ref), text.size()), text);
    }

    // A field read as UTF-8 is the text Str() gives, for each kind, and for a
    // value assigned but not yet written.
    void aFieldReadAsUtf8IsItsText() {
        TestBook book(BookKind::File);
        book.Exec(QStringLiteral("Insert into cscmstr (ctyid,ctyname,Statename,Contryname) "
                                 "values (5,'D''SOUZA NAGAR','PUNJAB',Null)"));
        Recordset rs;
        rs.Open(QStringLiteral("Select * from cscmstr"), Conn, adOpenStatic, adLockBatchOptimistic,
                adAsyncFetch);
        for (const char* name : {"ctyid", "ctyname", "Statename", "Contryname"})
            QCOMPARE(rs.Fields(name).Utf8().toString(), rs.Fields(name).Str());
        QCOMPARE(rs.Fields("ctyid").Utf8().toString(), QStringLiteral("5"));
        QVERIFY(rs.Fields("Contryname").Utf8().isEmpty());
        rs.Fields("Contryname") = QStringLiteral("INDIA");
        QCOMPARE(rs.Fields("Contryname").Utf8().toString(), QStringLiteral("INDIA"));
    }
};

ADRSBOOK_TEST(ResultStoreTests)
#include "tst_resulttable.moc"
