#include "platform/MemoryReuse.h"

#include <cstdlib> // defines __GLIBC__ with the GNU C library

#if defined(__GLIBC__)
#include <malloc.h>
#endif

void memoryreuse::keepFreedBlocks() {
#if defined(__GLIBC__)
    // Blocks up to 32 MiB (the most the library allows) come from the heap,
    // and the heap gives memory back once more than 32 MiB lie free at its
    // top: a batch's images churn through a few MiB, while most of what a
    // big workbook leaves free is still handed back.
    constexpr int kMiB = 1024 * 1024;
    mallopt(M_MMAP_THRESHOLD, 32 * kMiB);
    mallopt(M_TRIM_THRESHOLD, 32 * kMiB);
#endif
}
