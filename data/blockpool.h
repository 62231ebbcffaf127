#pragma once
// Memory for long results and long lists, in blocks of 2 MiB. A block that
// is given back is kept for the next long read, whose pages are then already
// there: on a virtual machine each fresh page of a result can cost more than
// reading its row. Where the system offers large pages, a block is one.
// What no one uses is handed back to the system by ReleaseFree, which the
// lists call when a fill ends and when they close.

#include <cstddef>

namespace BlockPool {

constexpr std::size_t kBlockBytes = std::size_t(2) << 20;

// A block of kBlockBytes bytes (its contents undefined).
void* Take();
// Returns a block taken with Take.
void Give(void* block);
// Hands the blocks no one uses back to the system.
void ReleaseFree();
// `notify` is called (on the thread that gives a block back) when blocks
// become free while no release is due: it may arrange a ReleaseFree soon.
void SetOnFree(void (*notify)());
// Blocks taken and not given back, and blocks kept for reuse.
std::size_t BlocksInUse();
std::size_t FreeBlocks();

} // namespace BlockPool
