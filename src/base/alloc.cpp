/* alloc.cpp: heap wrappers with an optional injected failure. */
#include "base/alloc.h"

#include <stdlib.h>

static long failFrom;   /* 0: never fail */
static long allocCount; /* allocations since MemFailFrom */

static int ShouldFail(void)
{
    allocCount++;
    return failFrom > 0 && allocCount >= failFrom;
}

void *MemAlloc(size_t size)
{
    if (ShouldFail()) return NULL;
    return calloc(1, size == 0 ? 1 : size);
}

void *MemRealloc(void *p, size_t size)
{
    if (ShouldFail()) return NULL;
    return realloc(p, size == 0 ? 1 : size);
}

void MemFree(void *p)
{
    free(p);
}

void MemFailFrom(long n)
{
    failFrom = n;
    allocCount = 0;
}

long MemAllocCount(void)
{
    return allocCount;
}
