// A long result from the server, read as it comes: the statement runs once,
// in one snapshot (no row shows twice, none is missed, no desk waits for
// it), and the server sends its rows one by one (libpq's single-row mode)
// while the list fills a slice at a time. The connection carries one
// statement at a time: any other statement first reads what is left of the
// result into the stream, where the list finds it; a result dropped before
// its end (a new key in the search) is stopped on the server.

#include "data/dberror.h"
#include "data/pgengine.h"
#include "data/serverwait.h"

#include <QElapsedTimer>
#include <climits>
#include <libpq-fe.h>
#include <poll.h>

namespace {
struct Flag {
    explicit Flag(bool& flag) : flag_(flag) { flag_ = true; }
    ~Flag() { flag_ = false; }
    bool& flag_;
};
// How long a result dropped before its end may take to stop.
constexpr int kDropMs = 2000;
// How long it may take to end by itself first.
constexpr qint64 kEndingNs = 3'000'000;
} // namespace

class PgEngine::Stream : public RowStream {
  public:
    Stream(PgEngine* on, std::shared_ptr<const ColumnInfo> columnInfo,
           const QVector<unsigned>& columnTypes, bool onlyReads)
        : engine(on), columns(std::move(columnInfo)), types(columnTypes), reads(onlyReads) {}
    ~Stream() override {
        if (engine) engine->dropStream();
    }
    bool Read(Engine&, ResultTable* rows, int limit) override;

    PgEngine* engine; // while the rest is on its way, else nullptr
    std::shared_ptr<const ColumnInfo> columns;
    QVector<unsigned> types;
    bool reads;
    ResultTable ahead; // rows read before the list asked for them
    int taken = 0;     // rows of `ahead` handed on
    QString cut;       // why the rest never came
    bool lost = false; // the connection went with it
};

bool PgEngine::Stream::Read(Engine&, ResultTable* rows, int limit) {
    if (rows->ColumnCount() == 0) rows->Reset(columns);
    int given = 0;
    while (taken < ahead.RowCount() && (limit < 0 || given < limit)) {
        rows->AddRowFrom(ahead, taken++);
        ++given;
    }
    if (taken < ahead.RowCount()) return false;
    if (taken > 0) {
        ahead.Reset(columns);
        taken = 0;
    }
    if (engine) {
        if (limit >= 0 && given >= limit) return false;
        // Waits for one row at least, unless some were given already.
        return engine->streamRows(rows, limit < 0 ? -1 : limit - given,
                                  limit < 0   ? INT_MAX
                                  : given > 0 ? 0
                                              : 1);
    }
    if (cut.isEmpty()) return true;
    if (lost) throw ConnectionLost(cut, reads);
    throw ServerError(cut, reads);
}

std::unique_ptr<RowStream> PgEngine::firstRows(const Prepared& p, bool reads, bool inTransaction,
                                               ResultTable* rows, int first) {
    auto stream = std::make_unique<Stream>(this, p.columns, p.types, reads);
    streaming_ = stream.get();
    streamInTransaction_ = inTransaction;
    rows->Reset(p.columns);
    if (streamRows(rows, first, std::min(first, kFirstRowsAtOnce))) return nullptr;
    return stream;
}

bool PgEngine::streamRows(ResultTable* rows, int limit, int atLeast) {
    Stream* s = streaming_;
    if (!s) return true;
    requestReads_ = s->reads;
    PGresult* failed = nullptr;
    {
        const Flag busy(busy_);
        int got = 0;
        for (;;) {
            if (limit >= 0 && got >= limit) return false;
            if (PQisBusy(pg_) && PQconsumeInput(pg_) && PQisBusy(pg_)) {
                if (got >= atLeast) return false;
                awaitAnswer(s->reads);
            }
            PGresult* r = PQgetResult(pg_);
            if (!r) {
                s->engine = nullptr;
                streaming_ = nullptr;
                return true;
            }
            const ExecStatusType status = PQresultStatus(r);
            if (status == PGRES_SINGLE_TUPLE) {
                appendRows(r, s->types, rows);
                ++got;
            } else if (status != PGRES_TUPLES_OK) { // the end, when it is that
                failed = r;
                break;
            }
            PQclear(r);
        }
        // What follows an error is read and dropped.
        while (PGresult* r = nextResult(s->reads))
            PQclear(r);
    }
    s->engine = nullptr;
    streaming_ = nullptr;
    try {
        fail(failed, QStringLiteral("The rest of the list could not be read"));
    } catch (const ConnectionLost& e) {
        s->cut = e.message();
        s->lost = true;
        throw;
    } catch (const DbError& e) {
        s->cut = e.message();
        throw;
    }
}

void PgEngine::drainStream() {
    Stream* s = streaming_;
    if (!s) return;
    if (s->ahead.ColumnCount() == 0) s->ahead.Reset(s->columns);
    streamRows(&s->ahead, -1, INT_MAX);
}

void PgEngine::cutStream(const QString& why) {
    Stream* s = streaming_;
    if (!s) return;
    s->engine = nullptr;
    s->cut = QStringLiteral("The rest of the list could not be read: %1.").arg(why);
    s->lost = true;
    streaming_ = nullptr;
}

void PgEngine::dropStream() noexcept {
    if (!streaming_) return;
    const bool reads = streaming_->reads;
    streaming_->engine = nullptr;
    streaming_ = nullptr;
    try {
        const Flag busy(busy_);
        // A result that ends within a few milliseconds is read to its end:
        // cheaper than a cancel, which the server serves with a process of
        // its own.
        QElapsedTimer clock;
        clock.start();
        while (clock.nsecsElapsed() < kEndingNs) {
            if (PQisBusy(pg_) && PQconsumeInput(pg_) && PQisBusy(pg_)) {
                pollfd p{PQsocket(pg_), POLLIN, 0};
                ::poll(&p, 1, 1);
                continue;
            }
            PGresult* r = PQgetResult(pg_);
            if (!r) return;
            PQclear(r);
        }
        const auto stopped = cancel(pg_);
        while (PGresult* r = nextResult(reads))
            PQclear(r);
        // The next statement goes only once the server has taken the
        // cancel, so that it cannot stop that statement instead.
        if (!waitFor(*stopped, kDropMs)) {
            forgetSession();
            lost_ = true;
            PQresetStart(pg_);
        }
    } catch (...) {
        // The server did not answer and the user gave up: the connection
        // was dropped, and the next step connects again.
    }
}
