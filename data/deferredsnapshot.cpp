#include "data/dberror.h"
#include "data/engine.h"
#include "data/serverwait.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QMutex>
#include <QThread>
#include <QTimer>
#include <QWaitCondition>
#include <algorithm>
#include <deque>
#include <memory>
#include <vector>

// Each snapshot belongs to the thread that opened it: only that thread may
// use its connection, so only that thread takes it. The windows' snapshots
// are the main thread's; a write from a worker thread (the sync, on its own
// connection) asks the main thread to take them and waits until it has.
//
// That wait never deadlocks for good: the main thread serves the request
// from its event loop (or from ServeWaiting while it waits for a worker), and
// when it does neither for kMainThreadWaitMs the worker's write fails with a
// DbError instead, which ends the worker's step and lets a main thread that
// waits for it go on.

namespace {

constexpr int kMainThreadWaitMs = 30000;

struct Entry {
    DeferredSnapshot* snapshot;
    QThread* owner;
};

// A worker's wait for the main thread's snapshots.
struct Request {
    QMutex lock;
    QWaitCondition done;
    bool started = false, finished = false, abandoned = false;
    QString error;
};

QMutex listLock; // guards both lists below
std::vector<Entry>& deferred() {
    static std::vector<Entry> list;
    return list;
}
std::deque<std::shared_ptr<Request>>& requests() {
    static std::deque<std::shared_ptr<Request>> list;
    return list;
}

thread_local DeferredSnapshot* writer = nullptr;

QThread* mainThread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return app ? app->thread() : nullptr;
}

// Takes this thread's snapshots but its writer's; each undefers itself.
void takeOwn() {
    QThread* self = QThread::currentThread();
    std::vector<DeferredSnapshot*> pending;
    {
        const QMutexLocker locker(&listLock);
        for (const Entry& e : deferred())
            if (e.owner == self && e.snapshot != writer) pending.push_back(e.snapshot);
    }
    for (DeferredSnapshot* s : pending)
        s->TakeSnapshot();
}

bool mainThreadHasSome() {
    QThread* main = mainThread();
    const QMutexLocker locker(&listLock);
    return std::any_of(deferred().begin(), deferred().end(),
                       [main](const Entry& e) { return e.owner == main; });
}

// On the main thread: takes its snapshots for every worker waiting.
void serveRequests() {
    std::vector<std::shared_ptr<Request>> waiting;
    {
        const QMutexLocker locker(&listLock);
        if (requests().empty()) return;
    }
    if (ServerWait::Busy()) {
        // A statement of the main thread's connection is waiting on the
        // server (the windows' events run meanwhile): its turn comes after.
        QTimer::singleShot(10, QCoreApplication::instance(), &serveRequests);
        return;
    }
    {
        const QMutexLocker locker(&listLock);
        for (; !requests().empty(); requests().pop_front())
            waiting.push_back(requests().front());
    }
    // A worker that gave up waiting is served no more.
    const auto gaveUp = [](const std::shared_ptr<Request>& r) {
        const QMutexLocker locker(&r->lock);
        r->started = !r->abandoned;
        return r->abandoned;
    };
    waiting.erase(std::remove_if(waiting.begin(), waiting.end(), gaveUp), waiting.end());
    if (waiting.empty()) return;
    QString error;
    try {
        takeOwn();
    } catch (const std::exception& e) {
        error = QString::fromUtf8(e.what());
    }
    for (const auto& r : waiting) {
        const QMutexLocker locker(&r->lock);
        r->finished = true;
        r->error = error;
        r->done.wakeAll();
    }
}

// On a worker thread: has the main thread take its snapshots.
void askMainThread() {
    auto request = std::make_shared<Request>();
    {
        const QMutexLocker locker(&listLock);
        requests().push_back(request);
    }
    QMetaObject::invokeMethod(QCoreApplication::instance(), &serveRequests, Qt::QueuedConnection);
    QMutexLocker locker(&request->lock);
    QDeadlineTimer deadline(kMainThreadWaitMs);
    while (!request->finished) {
        if (request->done.wait(&request->lock, deadline)) continue;
        if (request->started) {
            deadline = QDeadlineTimer(QDeadlineTimer::Forever); // it is being served
            continue;
        }
        request->abandoned = true;
        throw DbError(QStringLiteral("The program's windows stayed busy for %1 seconds, so the "
                                     "change could not be saved. Nothing of it was saved; please "
                                     "try again.")
                          .arg(kMainThreadWaitMs / 1000));
    }
    if (!request->error.isEmpty())
        throw DbError(QStringLiteral("The lists open in the windows could not be read before the "
                                     "change: %1")
                          .arg(request->error));
}

} // namespace

void DeferredSnapshot::Defer(DeferredSnapshot* snapshot) {
    const QMutexLocker locker(&listLock);
    deferred().push_back(Entry{snapshot, QThread::currentThread()});
}

void DeferredSnapshot::Undefer(DeferredSnapshot* snapshot) {
    const QMutexLocker locker(&listLock);
    auto& list = deferred();
    list.erase(std::remove_if(list.begin(), list.end(),
                              [snapshot](const Entry& e) { return e.snapshot == snapshot; }),
               list.end());
}

void DeferredSnapshot::BeforeWrite() {
    {
        const QMutexLocker locker(&listLock);
        if (deferred().empty() || (deferred().size() == 1 && deferred().front().snapshot == writer))
            return;
    }
    takeOwn();
    QThread* main = mainThread();
    if (main && QThread::currentThread() != main && mainThreadHasSome()) askMainThread();
}

void DeferredSnapshot::ServeWaiting() {
    if (QThread::currentThread() == mainThread()) serveRequests();
}

DeferredSnapshot::Writer::Writer(DeferredSnapshot* self) : previous_(writer) {
    writer = self;
}
DeferredSnapshot::Writer::~Writer() {
    writer = previous_;
}
