// How the server engine waits for the server. Every request is sent with
// libpq's asynchronous calls and its answer awaited on the socket, about
// 10 ms at a time: in between, the program's hook lets the windows paint
// (data/serverwait.h). A server silent for AskAfterMs makes the hook ask
// the user whether to wait on or to give up. Giving up asks the server to
// stop the statement; a server that does not even take that in time (it is
// stopped, the network is cut) loses the connection instead, and with it
// any transaction in progress, which the server rolls back.

#include "data/dberror.h"
#include "data/pgengine.h"
#include "data/serverwait.h"

#include <QElapsedTimer>
#include <atomic>
#include <libpq-fe.h>
#include <memory>
#include <optional>
#include <poll.h>
#include <thread>

namespace {

constexpr int kPumpMs = 10;
// After giving up: how long the server has to stop the statement.
constexpr int kCancelMs = 2000;
// A new connection: the same bound as connect_timeout.
constexpr int kConnectMs = 5000;

// Waits up to `ms` for the socket to have something to read (or room to
// write).
void waitOn(int socket, bool write, int ms) {
    if (socket < 0) return;
    pollfd p{socket, short(POLLIN | (write ? POLLOUT : 0)), 0};
    ::poll(&p, 1, ms);
}

// Lets the windows paint once a wait has lasted a turn of their event loop:
// most answers come within a millisecond, and those waits stop for nothing.
void pump(ServerWait* hook, const QElapsedTimer& waiting) {
    if (!hook || waiting.elapsed() < kPumpMs) return;
    try {
        hook->Pump();
    } catch (...) {
        // the windows' handlers report their own failures
    }
}

struct Flag {
    explicit Flag(bool& flag) : flag_(flag) { flag_ = true; }
    ~Flag() { flag_ = false; }
    bool& flag_;
};

} // namespace

// From a thread of its own: libpq's cancel waits for the server to close
// its side, and a server that does not answer would keep it waiting too.
std::shared_ptr<std::atomic<bool>> PgEngine::cancel(PGconn* pg) {
    auto done = std::make_shared<std::atomic<bool>>(false);
    PGcancel* request = PQgetCancel(pg);
    if (!request) {
        *done = true;
        return done;
    }
    std::thread([request, done] {
        char error[256];
        PQcancel(request, error, sizeof error);
        PQfreeCancel(request);
        *done = true;
    }).detach();
    return done;
}

bool PgEngine::waitFor(const std::atomic<bool>& flag, int ms) {
    ServerWait* hook = ServerWait::ForThisThread();
    const ServerWait::Waiting waiting;
    QElapsedTimer clock;
    clock.start();
    while (!flag && clock.elapsed() < ms) {
        ::poll(nullptr, 0, 1);
        pump(hook, clock);
    }
    return flag;
}

void PgEngine::startRequest(bool reads) {
    ensureConnected(reads);
    if (busy_)
        throw ServerBusy(QStringLiteral("The %1 is still answering another step of this program; "
                                        "this one waits for its turn.")
                             .arg(where_),
                         reads);
    drainStream();
    if (!PQisnonblocking(pg_)) PQsetnonblocking(pg_, 1);
    requestReads_ = reads;
    gaveUp_ = false;
}

PGresult* PgEngine::call(bool reads, const Send& send) {
    startRequest(reads);
    const Flag busy(busy_);
    if (!send(pg_)) return nullptr;
    PGresult* kept = nullptr;
    while (PGresult* r = nextResult(reads)) {
        // The first error is what the request met.
        if (kept && PQresultStatus(kept) == PGRES_FATAL_ERROR) {
            PQclear(r);
        } else {
            PQclear(kept);
            kept = r;
        }
    }
    return kept;
}

PGresult* PgEngine::nextResult(bool reads) {
    if (PQisBusy(pg_) && PQconsumeInput(pg_) && PQisBusy(pg_)) awaitAnswer(reads);
    return PQgetResult(pg_);
}

void PgEngine::awaitAnswer(bool reads) {
    ServerWait* hook = ServerWait::ForThisThread();
    QElapsedTimer silent;
    silent.start();
    qint64 askAt = hook ? hook->AskAfterMs() : ServerWait::kUnattendedLimitMs;
    std::optional<ServerWait::Waiting> waiting;
    const auto answered = [this] { return !PQconsumeInput(pg_) || !PQisBusy(pg_); };
    for (;;) {
        const int unsent = PQflush(pg_);      // 1 while part of the request waits to go
        if (unsent < 0 || answered()) return; // a broken connection: PQgetResult says so
        if (!waiting) waiting.emplace();
        waitOn(PQsocket(pg_), unsent == 1, hook ? kPumpMs : 100);
        pump(hook, silent);
        if (silent.elapsed() < askAt) continue;
        if (answered()) return;
        if (hook && hook->WaitOn(where_, int(silent.elapsed()), answered)) {
            askAt = silent.elapsed() + hook->AskAgainMs();
            continue;
        }
        giveUp(reads);
        return; // the answer came after all
    }
}

void PgEngine::giveUp(bool reads) {
    const auto cancelled = cancel(pg_);
    ServerWait* hook = ServerWait::ForThisThread();
    const ServerWait::Waiting waiting;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < kCancelMs) {
        // Stopped, or answered meanwhile: the result says which. Either way
        // the cancel has landed (or found nothing to stop) before anything
        // else is sent, so it cannot stop a later statement.
        if (*cancelled && (!PQconsumeInput(pg_) || !PQisBusy(pg_))) {
            gaveUp_ = true;
            return;
        }
        waitOn(PQsocket(pg_), false, kPumpMs);
        pump(hook, clock);
    }
    // The server takes nothing: the connection goes. A transaction in
    // progress goes with it, rolled back by the server once it runs again.
    cutStream(QStringLiteral("the %1 did not answer").arg(where_));
    forgetSession();
    lost_ = true;
    PQresetStart(pg_); // closes the connection; the next step connects again
    noAnswer(reads);
}

// What the user is told after giving up.
void PgEngine::noAnswer(bool reads) {
    const bool committing = committing_;
    committing_ = false;
    if (committing)
        throw ServerError(QStringLiteral("The %1 did not answer, and waiting for it was given up "
                                         "while it was saving. Whether the changes were saved "
                                         "cannot be known until it answers again: look the entry "
                                         "up then before saving it once more.")
                              .arg(where_),
                          false);
    throw ServerError(QStringLiteral("The %1 did not answer, and waiting for it was given up: the "
                                     "server was asked to stop, and nothing of this step was %2. "
                                     "The next step tries again.")
                          .arg(where_, reads ? QStringLiteral("read") : QStringLiteral("saved")),
                      reads);
}

// A connection that was lost is made anew without blocking the windows,
// bounded as connect_timeout bounds the first one.
void PgEngine::reconnect(bool reads) {
    cutStream(QStringLiteral("the connection to the %1 was lost").arg(where_));
    forgetSession();
    lost_ = true;
    const auto unreachable = [&](const QString& why) {
        throw ServerError(QStringLiteral("The %1 cannot be reached just now (%2). The next step "
                                         "tries again.")
                              .arg(where_, why),
                          reads);
    };
    if (!PQresetStart(pg_)) unreachable(QString::fromUtf8(PQerrorMessage(pg_)).simplified());
    ServerWait* hook = ServerWait::ForThisThread();
    const ServerWait::Waiting waiting;
    QElapsedTimer clock;
    clock.start();
    PostgresPollingStatusType state = PGRES_POLLING_WRITING;
    for (;;) {
        waitOn(PQsocket(pg_), state == PGRES_POLLING_WRITING, kPumpMs);
        state = PQresetPoll(pg_);
        if (state == PGRES_POLLING_OK) break;
        if (state == PGRES_POLLING_FAILED)
            unreachable(QString::fromUtf8(PQerrorMessage(pg_)).simplified());
        if (clock.elapsed() >= kConnectMs)
            unreachable(QStringLiteral("no answer within %1 seconds").arg(kConnectMs / 1000));
        pump(hook, clock);
    }
    lost_ = false;
    afterConnect();
}
