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
// Other large buffers (a long text's, a view's layout of thirty thousand
// rows) come straight from the system and go back to it when freed.
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
