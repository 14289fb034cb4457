#include "platform/MemoryTuning.h"

#include <cstdlib> // defines __GLIBC__ on glibc

#ifdef __GLIBC__
#include <malloc.h>
#endif

void MemoryTuning::KeepWorkingMemory()
{
#ifdef __GLIBC__
    // Setting the thresholds also ends glibc's own adjusting of them, which made the cost of a
    // scan depend on what had been freed before it.
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 32 * 1024 * 1024);
#endif
}
