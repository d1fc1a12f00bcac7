/* table.cpp: the growable definition table and its sort order. */
#include <limits.h>
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>

#include "base/alloc.h"
#include "base/limits.h"
#include "base/text.h"
#include "base/variant.h"
#include "index/index.h"
#include "index/index_p.h"
#include "state/state.h"

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
        void *p = LargeBlockResize(*slots, (size_t)*count * sizeof(DefinitionEntry),
                                   (size_t)grown * sizeof(DefinitionEntry));
        if (p == NULL) return -1; /* old storage, capacity and count stay valid */
        *slots = (DefinitionEntry *)p;
        *capacity = grown;
    }
    memcpy(&(*slots)[*count], e, sizeof *e);
    (*count)++;
    return 0;
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
    if (d == 0) d = (a->line > b->line) - (a->line < b->line);
    return d;
}

/* The sort works on small records: eight bytes of the name (then of the file) at a time, folded
   and packed so that an integer comparison orders them as CompareEntries does, and the entry's
   address. Records are sorted by the name's first eight bytes; each group that ties on them and
   whose names go on is sorted by the next eight, and so on; a group of equal names goes on with
   the file the same way, and a group of equal names and files is sorted by line, the address
   breaking a full tie, so equal entries keep their table order (as the merge sort of the C
   library keeps them). */

/* Bytes [from, from + 8) of a name or file; bytes from the terminator on count as 0, so that a
   text sorts before its extensions. The last byte is 0 exactly when the text ends in the chunk. */
static uint64_t PackFolded(const char *text, int from)
{
    /* eight bytes at once: the first of them in the highest byte of the key */
    uint64_t x = 0;
    for (int i = 0; i < 8; i++) x = x << 8 | (unsigned char)text[from + i];
    const uint64_t ones = 0x0101010101010101ull, high = 0x8080808080808080ull;
    /* a byte 0x00 (exactly: no carry leaves a byte) and what follows it count as 0 */
    const uint64_t zero = ~(((x & ~high) + ~high) | x) & high;
    if (zero != 0) {
        int at = __builtin_clzll(zero) / 8; /* the terminator's place, 0 = the first byte */
        x = at == 0 ? 0 : x & (~0ull << (64 - 8 * at));
    }
    /* 'a'..'z' to upper case: bytes with the high bit clear and 0x61 <= byte <= 0x7A */
    const uint64_t low7 = x & ~high;
    const uint64_t fromA = (low7 + ones * (0x80 - 'a')) & high;
    const uint64_t pastZ = (low7 + ones * (0x80 - 'z' - 1)) & high;
    return x - ((fromA & ~pastZ & ~x & high) >> 2);
}

struct ChunkBefore {
    bool operator()(const SortKey &x, const SortKey &y) const { return x.chunk < y.chunk; }
};

struct LineBefore {
    bool operator()(const SortKey &x, const SortKey &y) const
    {
        if (x.entry->line != y.entry->line) return x.entry->line < y.entry->line;
        return x.entry < y.entry;
    }
};

/* Sorts keys[0..n) whose entries agree before byte `from` of field 0 (the name) or field 1 (the
   file, the names being equal). */
static void SortKeys(SortKey *keys, size_t n, int field, int from)
{
    if (n < 2) return;
    if (from >= NAME_SIZE) { /* a foreign text without its terminator: the field is done */
        if (field == 0) SortKeys(keys, n, 1, 0);
        else std::sort(keys, keys + n, LineBefore());
        return;
    }
    for (size_t i = 0; i < n; i++) {
        /* after the first pass the entries are visited out of table order: ask for them early */
        if (i + PREFETCH_AHEAD < n) Prefetch(keys[i + PREFETCH_AHEAD].entry);
        keys[i].chunk = PackFolded(field == 0 ? keys[i].entry->name : keys[i].entry->file, from);
    }
    std::sort(keys, keys + n, ChunkBefore());
    for (size_t i = 0, j; i < n; i = j) {
        for (j = i + 1; j < n && keys[j].chunk == keys[i].chunk; j++) {}
        if ((keys[i].chunk & 0xFF) != 0) SortKeys(keys + i, j - i, field, from + 8);
        else if (field == 0) SortKeys(keys + i, j - i, 1, 0);
        else if (j - i > 1) std::sort(keys + i, keys + j, LineBefore());
    }
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

SortKey *SortedOrder(const DefinitionEntry *entries, int count)
{
    if (ZOLT_PLAIN || count <= 0 || entries == NULL) return NULL;
    SortKey *keys = (SortKey *)MemAlloc((size_t)count * sizeof(SortKey));
    if (keys == NULL) return NULL;
    for (int i = 0; i < count; i++) keys[i].entry = &entries[i];
    SortKeys(keys, (size_t)count, 0, 0);
    return keys;
}

void SortEntries(DefinitionEntry *entries, int count)
{
    if (count > 0 && entries != NULL)
        qsort(entries, (size_t)count, sizeof *entries, CompareForSort);
}

int SealTableChunk(BrowserState *st)
{
    if (st->chunkEntries <= 0 || st->count < st->chunkEntries) return 0;
    TableChunk *grown =
        (TableChunk *)MemRealloc(st->chunks, (size_t)(st->chunkCount + 1) * sizeof *grown);
    if (grown == NULL) return -1; /* the table goes on growing in one piece */
    st->chunks = grown;
    st->chunks[st->chunkCount].entries = st->entries;
    st->chunks[st->chunkCount].count = st->count;
    st->chunkCount++;
    st->chunkedEntries += st->count;
    st->entries = NULL;
    st->capacity = 0;
    st->count = 0;
    return 0;
}

int TableTotal(const BrowserState *st)
{
    return st->chunkedEntries + st->count;
}

void ReleaseTableChunks(BrowserState *st)
{
    for (int i = 0; i < st->chunkCount; i++) LargeBlockFree(st->chunks[i].entries);
    MemFree(st->chunks);
    st->chunks = NULL;
    st->chunkCount = 0;
    st->chunkedEntries = 0;
}

void SortTable(BrowserState *st)
{
    if (st->count <= 0 || st->entries == NULL) return;
    SortKey *keys = ZOLT_PLAIN ? NULL : (SortKey *)MemAlloc((size_t)st->count * sizeof(SortKey));
    if (keys == NULL) { /* no room for the keys: sort the entries themselves */
        qsort(st->entries, (size_t)st->count, sizeof(DefinitionEntry), CompareForSort);
        return;
    }
    for (int i = 0; i < st->count; i++) keys[i].entry = &st->entries[i];
    SortKeys(keys, (size_t)st->count, 0, 0);
    ApplyOrder(st->entries, keys, st->count);
    MemFree(keys);
}
