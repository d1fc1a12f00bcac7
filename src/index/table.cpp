/* table.cpp: the growable definition table and its sort order. */
#include <stddef.h>
#include <stdlib.h>
#include <string.h>

#include "base/alloc.h"
#include "base/limits.h"
#include "host/state.h"
#include "index/index.h"

int AppendEntry(const DefinitionEntry *e, BrowserState *st, int update)
{
    DefinitionEntry **slots = update ? &st->updEntries : &st->entries;
    int *capacity = update ? &st->updCapacity : &st->capacity;
    int *count = update ? &st->updCount : &st->count;

    if (*slots == NULL || *count >= *capacity) {
        int grown = *capacity + TABLE_GROWTH;
        if (*slots == NULL) grown = *capacity > *count ? *capacity : *count + TABLE_GROWTH;
        void *p = MemRealloc(*slots, (size_t)grown * sizeof(DefinitionEntry));
        if (p == NULL) return -1; /* old storage, capacity and count stay valid */
        *slots = (DefinitionEntry *)p;
        *capacity = grown;
    }
    memcpy(&(*slots)[*count], e, sizeof *e);
    (*count)++;
    return 0;
}

static int UpperAscii(unsigned char c)
{
    return (c >= 'a' && c <= 'z') ? c - 0x20 : c;
}

/* Fields are NUL-terminated within 64 bytes when we wrote them; the bound guards foreign data. */
static int CompareFolded(const char *a, const char *b)
{
    for (size_t i = 0; i < NAME_SIZE; i++) {
        unsigned char x = (unsigned char)a[i], y = (unsigned char)b[i];
        int d = UpperAscii(x) - UpperAscii(y);
        if (d != 0) return d;
        if (x == '\0') return 0;
    }
    return 0;
}

int CompareEntries(const DefinitionEntry *a, const DefinitionEntry *b)
{
    int d = CompareFolded(a->name, b->name);
    if (d == 0) d = CompareFolded(a->file, b->file);
    if (d == 0) d = (int)a->line - (int)b->line;
    return d;
}

static int CompareForSort(const void *a, const void *b)
{
    return CompareEntries((const DefinitionEntry *)a, (const DefinitionEntry *)b);
}

void SortTable(BrowserState *st)
{
    if (st->count <= 0 || st->entries == NULL) return;
    qsort(st->entries, (size_t)st->count, sizeof(DefinitionEntry), CompareForSort);
}

FileTime EntryWriteTime(const DefinitionEntry *e)
{
    FileTime t;
    memcpy(&t, (const char *)e + offsetof(DefinitionEntry, writeTime), sizeof t);
    return t;
}
