#include "platform/memory.h"

#include "data/blockpool.h"

#include <QCoreApplication>
#include <QTimer>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

constexpr int kReleaseAfterMs = 1000;

// On the main thread: the free blocks, and the heap's free pages, go a
// second after blocks first came back, so that a result read again at once
// finds them.
void ReleaseSoon() {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) return;
    QMetaObject::invokeMethod(
        app,
        [] {
            static QTimer* timer = [] {
                auto* t = new QTimer(QCoreApplication::instance());
                t->setSingleShot(true);
                t->setInterval(kReleaseAfterMs);
                QObject::connect(t, &QTimer::timeout, &ReleaseUnusedMemory);
                return t;
            }();
            timer->start();
        },
        Qt::QueuedConnection);
}

#if defined(__GLIBC__)
// Large buffers (a long list's, a long result's) come straight from the
// system and go back to it when freed, so that closing a window that showed
// thirty thousand rows returns the memory at once.
const bool kLargeBuffersMapped = [] { return mallopt(M_MMAP_THRESHOLD, 256 * 1024) == 1; }();
#endif

const bool kReleaseInstalled = [] {
    BlockPool::SetOnFree(&ReleaseSoon);
    return true;
}();

} // namespace

void ReleaseFreeBlocks() {
    BlockPool::ReleaseFree();
}

void ReleaseUnusedMemory() {
    BlockPool::ReleaseFree();
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}
