#pragma once
// Memory that long results and lists left unused goes back to the system:
// at once when a window that showed one closes, and a second after a long
// result or list is let go while the program goes on (the blocks alone
// when a fill ends).

// The free blocks of long results and the heap's free pages, now.
void ReleaseUnusedMemory();
// The free blocks, now (a fill that just ended: what it did not reuse).
void ReleaseFreeBlocks();
