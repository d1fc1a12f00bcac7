/* alloc.h: the plugin's heap; tests can make the Nth allocation fail. */
#ifndef ZOLT_BASE_ALLOC_H
#define ZOLT_BASE_ALLOC_H

#include <stddef.h>

void *MemAlloc(size_t size);            /* zero-filled; null on failure */
void *MemRealloc(void *p, size_t size); /* null on failure, p untouched */
void MemFree(void *p);

/* Test hook: the n-th allocation from now (1-based) and every later one fail; 0 turns it off. */
void MemFailFrom(long n);
/* Allocations made since the last MemFailFrom call. */
long MemAllocCount(void);

#endif
