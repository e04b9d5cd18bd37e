#pragma once

#include <cstddef>

namespace qmz::platform {

// Gives the memory of the whole pages inside [Data, Data + Size) back to the system while the block
// stays allocated; those bytes read as zero afterwards, the bytes of partly covered pages are kept.
// Lets a caller give a very large block back a slice at a time before freeing it. Does nothing where
// the system refuses.
void DiscardPages(void* Data, std::size_t Size);

// Gives the heap memory freed so far back to the system: the allocator keeps it for later otherwise, and
// a process that held a long list would go on holding its size. Walks the whole heap: call it once after
// much was freed, not per block.
void ReleaseFreeMemory();

}  // namespace qmz::platform
