/* alloc.cpp: heap wrappers with an optional injected failure. */
#include "base/alloc.h"

#include <stdlib.h>

static long failFrom;   /* 0: never fail */
static int failOnce;    /* only the failFrom-th allocation fails */
static long allocCount; /* allocations since MemFailFrom */
static long failures;   /* failed allocations since MemFailFrom */

static int ShouldFail(void)
{
    allocCount++;
    return failFrom > 0 && (failOnce ? allocCount == failFrom : allocCount >= failFrom);
}

void *MemAlloc(size_t size)
{
    void *p = ShouldFail() ? NULL : calloc(1, size == 0 ? 1 : size);
    if (p == NULL) failures++;
    return p;
}

void *MemRealloc(void *p, size_t size)
{
    void *q = ShouldFail() ? NULL : realloc(p, size == 0 ? 1 : size);
    if (q == NULL) failures++;
    return q;
}

void MemFree(void *p)
{
    free(p);
}

void MemFailFrom(long n)
{
    failFrom = n;
    failOnce = 0;
    allocCount = failures = 0;
}

void MemFailOnly(long n)
{
    failFrom = n;
    failOnce = 1;
    allocCount = failures = 0;
}

long MemAllocCount(void)
{
    return allocCount;
}

long MemFailureCount(void)
{
    return failures;
}

int MemTakeAllocation(void)
{
    if (!ShouldFail()) return 0;
    failures++;
    return 1;
}

void MemNoteFailure(void)
{
    failures++;
}
