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

// Never destroyed: a result that outlives the program's other statics can
// still give its blocks back as the program ends.
struct State {
    std::mutex guard;
    std::vector<void*> freeBlocks;
    std::size_t inUse = 0;
    void (*onFree)() = nullptr;
    bool releaseDue = false;
};
State& state() {
    static State* const s = new State;
    return *s;
}

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
    State& st = state();
    {
        const std::lock_guard lock(st.guard);
        ++st.inUse;
        if (!st.freeBlocks.empty()) {
            void* block = st.freeBlocks.back();
            st.freeBlocks.pop_back();
            return block;
        }
    }
    try {
        return fromSystem();
    } catch (...) {
        const std::lock_guard lock(st.guard);
        --st.inUse;
        throw;
    }
}

void Give(void* block) {
    State& st = state();
    if (!block) return;
    void (*notify)() = nullptr;
    {
        const std::lock_guard lock(st.guard);
        --st.inUse;
        st.freeBlocks.push_back(block);
        if (!st.releaseDue) notify = st.onFree;
        st.releaseDue = true;
    }
    if (notify) notify();
}

void SetOnFree(void (*notify)()) {
    State& st = state();
    const std::lock_guard lock(st.guard);
    st.onFree = notify;
}

void ReleaseFree() {
    State& st = state();
    std::vector<void*> released;
    {
        const std::lock_guard lock(st.guard);
        released.swap(st.freeBlocks);
        st.releaseDue = false;
    }
    for (void* block : released)
        toSystem(block);
}

std::size_t BlocksInUse() {
    State& st = state();
    const std::lock_guard lock(st.guard);
    return st.inUse;
}

std::size_t FreeBlocks() {
    State& st = state();
    const std::lock_guard lock(st.guard);
    return st.freeBlocks.size();
}

} // namespace BlockPool
