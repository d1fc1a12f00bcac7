/* index.h: the definition table, the project scan and the two index files, as other folders see them. */
#ifndef ZOLT_INDEX_INDEX_H
#define ZOLT_INDEX_INDEX_H

#include <stdint.h>

#include "platform/platform.h"

struct BrowserState;

#pragma pack(push, 1)
/* One definition; the layout is fixed at 138 bytes (the table's memory budget counts on it). */
struct DefinitionEntry {
    char name[64];      /* 63 chars; empty in a placeholder entry */
    char file[64];      /* relDir + long name, 63 chars; empty for editor-text entries */
    uint16_t line;      /* 1-based, modulo 65536; 0 in a placeholder */
    FileTime writeTime; /* low half first; only build and update-file entries carry one */
};
#pragma pack(pop)
static_assert(sizeof(DefinitionEntry) == 138, "DefinitionEntry is 138 bytes");

/* --- definition table --- */
/* Copies *e into the main table (update = 0) or the update table; grows by 100 slots.
   0, or -1 when the storage cannot be enlarged (the table is left as it was). */
int AppendEntry(const DefinitionEntry *e, BrowserState *st, int update);
/* Name (ASCII letters folded to upper case), then file the same way, then line. */
int CompareEntries(const DefinitionEntry *a, const DefinitionEntry *b);
/* Sorts the main table in place; the update table is never sorted. */
void SortTable(BrowserState *st);
/* The entry's write time, copied out of the packed record. */
FileTime EntryWriteTime(const DefinitionEntry *e);

#endif
