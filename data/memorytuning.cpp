#include "data/memorytuning.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

void keepRecordSetMemory() {
#if defined(__GLIBC__)
    // Blocks up to 32 MiB come from the heap rather than from their own mapping, and up to
    // 256 MiB of freed heap stay with the process for the next record set.
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 256 * 1024 * 1024);
#endif
}
