#include "data/blockpool.h"

#include <cstdlib>
#include <mutex>
#include <new>
#include <vector>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace BlockPool {

namespace {

std::mutex guard;
std::vector<void*> freeBlocks;
std::size_t inUse = 0;
void (*onFree)() = nullptr;
bool releaseDue = false;

void* fromSystem() {
#if defined(__linux__)
    // Mapped twice the size, then trimmed to a block on a 2 MiB boundary,
    // so that the system can back it with one large page.
    const std::size_t span = 2 * kBlockBytes;
    void* raw = mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) throw std::bad_alloc();
    auto* start = static_cast<char*>(raw);
    auto* aligned = reinterpret_cast<char*>(
        (reinterpret_cast<std::uintptr_t>(start) + kBlockBytes - 1) & ~(kBlockBytes - 1));
    if (aligned > start) munmap(start, std::size_t(aligned - start));
    char* end = start + span;
    if (end > aligned + kBlockBytes)
        munmap(aligned + kBlockBytes, std::size_t(end - aligned) - kBlockBytes);
    madvise(aligned, kBlockBytes, MADV_HUGEPAGE);
    return aligned;
#else
    void* block = std::aligned_alloc(kBlockBytes, kBlockBytes);
    if (!block) throw std::bad_alloc();
    return block;
#endif
}

void toSystem(void* block) {
#if defined(__linux__)
    munmap(block, kBlockBytes);
#else
    std::free(block);
#endif
}

} // namespace

void* Take() {
    {
        const std::lock_guard lock(guard);
        ++inUse;
        if (!freeBlocks.empty()) {
            void* block = freeBlocks.back();
            freeBlocks.pop_back();
            return block;
        }
    }
    try {
        return fromSystem();
    } catch (...) {
        const std::lock_guard lock(guard);
        --inUse;
        throw;
    }
}

void Give(void* block) {
    if (!block) return;
    void (*notify)() = nullptr;
    {
        const std::lock_guard lock(guard);
        --inUse;
        freeBlocks.push_back(block);
        if (!releaseDue) notify = onFree;
        releaseDue = true;
    }
    if (notify) notify();
}

void SetOnFree(void (*notify)()) {
    const std::lock_guard lock(guard);
    onFree = notify;
}

void ReleaseFree() {
    std::vector<void*> released;
    {
        const std::lock_guard lock(guard);
        released.swap(freeBlocks);
        releaseDue = false;
    }
    for (void* block : released)
        toSystem(block);
}

std::size_t BlocksInUse() {
    const std::lock_guard lock(guard);
    return inUse;
}

std::size_t FreeBlocks() {
    const std::lock_guard lock(guard);
    return freeBlocks.size();
}

} // namespace BlockPool
