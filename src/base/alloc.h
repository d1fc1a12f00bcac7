/* alloc.h: the plugin's heap; tests can make the Nth allocation fail. */
#ifndef ZOLT_BASE_ALLOC_H
#define ZOLT_BASE_ALLOC_H

#include <stddef.h>

void *MemAlloc(size_t size);            /* zero-filled; null on failure */
void *MemRealloc(void *p, size_t size); /* null on failure, p untouched */
void MemFree(void *p);

/* For allocators outside this file (the platform's large blocks): counts one allocation and
   returns 1 when it is to fail (injected); MemNoteFailure counts a real failure. */
int MemTakeAllocation(void);
void MemNoteFailure(void);

/* Test hook: the n-th allocation from now (1-based) and every later one fail; 0 turns it off. */
void MemFailFrom(long n);
/* Test hook: only the n-th allocation from now fails, the later ones succeed again. */
void MemFailOnly(long n);
/* Allocations made, and allocations that failed (injected or not), since the last MemFailFrom
   or MemFailOnly call (since the start before any). */
long MemAllocCount(void);
long MemFailureCount(void);

#endif
