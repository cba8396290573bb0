#include "platform/MemoryReuse.h"

#include <cstdlib> // defines __GLIBC__ with the GNU C library

#if defined(__GLIBC__)
#include <malloc.h>
#endif

void memoryreuse::keepFreedBlocks() {
#if defined(__GLIBC__)
    // Blocks up to 32 MiB (the most the library allows) come from the heap,
    // and the heap gives memory back only once 128 MiB lie free at its top.
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 128 * 1024 * 1024);
#endif
}
