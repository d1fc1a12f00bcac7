/* table.cpp: the growable definition table and its sort order. */
#include <limits.h>
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "base/alloc.h"
#include "base/limits.h"
#include "host/state.h"
#include "index/index.h"

/* The next capacity: half as much again, at least TABLE_GROWTH more, so that the bytes moved
   by all enlargements stay a small multiple of the table (a heap that copies a block on every
   enlargement would otherwise move n squared bytes). 0 when no larger table can be addressed. */
int GrownCapacity(int capacity)
{
    const long long limit = (long long)(SIZE_MAX / sizeof(DefinitionEntry)) < INT_MAX
                                ? (long long)(SIZE_MAX / sizeof(DefinitionEntry))
                                : (long long)INT_MAX;
    long long step = capacity / 2 > TABLE_GROWTH ? capacity / 2 : TABLE_GROWTH;
    long long grown = (long long)capacity + step;
    if (grown > limit) grown = limit;
    return grown > capacity ? (int)grown : 0;
}

int AppendEntry(const DefinitionEntry *e, BrowserState *st, int update)
{
    DefinitionEntry **slots = update ? &st->updEntries : &st->entries;
    int *capacity = update ? &st->updCapacity : &st->capacity;
    int *count = update ? &st->updCount : &st->count;

    if (*slots == NULL || *count >= *capacity) {
        int grown = GrownCapacity(*capacity);
        if (*slots == NULL) grown = *capacity > *count ? *capacity : *count + TABLE_GROWTH;
        if (grown == 0) return -1;
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

/* The sort works on small records: the first sixteen name bytes, folded and packed so that
   integer comparisons order them as CompareEntries does, and the entry's address. Only records
   whose keys tie look at the entries, and the address breaks a full tie, so equal entries keep
   their table order, as the merge sort of the C library keeps them. */
struct SortKey {
    uint64_t high; /* name bytes 0-7 */
    uint64_t low;  /* name bytes 8-15 */
    const DefinitionEntry *entry;
};

/* Bytes from the terminator on count as 0, so that a name sorts before its extensions. */
static uint64_t PackFolded(const char *name, int from, int *ended)
{
    uint64_t key = 0;
    for (int i = from; i < from + 8; i++) {
        if (name[i] == '\0') *ended = 1;
        key = key << 8 | (*ended ? 0u : (uint64_t)UpperAscii((unsigned char)name[i]));
    }
    return key;
}

static int CompareKeys(const void *a, const void *b)
{
    const SortKey *x = (const SortKey *)a, *y = (const SortKey *)b;
    if (x->high != y->high) return x->high < y->high ? -1 : 1;
    if (x->low != y->low) return x->low < y->low ? -1 : 1;
    int d = CompareEntries(x->entry, y->entry);
    if (d != 0) return d;
    return x->entry < y->entry ? -1 : x->entry > y->entry;
}

/* Moves the entry keys[i] points to into slot i, following each cycle of the permutation once;
   a key that points to its own slot is done. */
static void ApplyOrder(DefinitionEntry *entries, SortKey *keys, int count)
{
    for (int i = 0; i < count; i++) {
        if (keys[i].entry == &entries[i]) continue;
        DefinitionEntry held = entries[i];
        int slot = i;
        for (;;) {
            int from = (int)(keys[slot].entry - entries);
            keys[slot].entry = &entries[slot];
            if (from == i) break;
            entries[slot] = entries[from];
            slot = from;
        }
        entries[slot] = held;
    }
}

static int CompareForSort(const void *a, const void *b)
{
    return CompareEntries((const DefinitionEntry *)a, (const DefinitionEntry *)b);
}

void SortTable(BrowserState *st)
{
    if (st->count <= 0 || st->entries == NULL) return;
    SortKey *keys = (SortKey *)MemAlloc((size_t)st->count * sizeof(SortKey));
    if (keys == NULL) { /* no room for the keys: sort the entries themselves */
        qsort(st->entries, (size_t)st->count, sizeof(DefinitionEntry), CompareForSort);
        return;
    }
    for (int i = 0; i < st->count; i++) {
        int ended = 0;
        keys[i].high = PackFolded(st->entries[i].name, 0, &ended);
        keys[i].low = PackFolded(st->entries[i].name, 8, &ended);
        keys[i].entry = &st->entries[i];
    }
    qsort(keys, (size_t)st->count, sizeof(SortKey), CompareKeys);
    ApplyOrder(st->entries, keys, st->count);
    MemFree(keys);
}

FileTime EntryWriteTime(const DefinitionEntry *e)
{
    FileTime t;
    memcpy(&t, (const char *)e + offsetof(DefinitionEntry, writeTime), sizeof t);
    return t;
}

void SetEntryWriteTime(DefinitionEntry *e, const FileTime *t)
{
    memcpy((char *)e + offsetof(DefinitionEntry, writeTime), t, sizeof *t);
}
