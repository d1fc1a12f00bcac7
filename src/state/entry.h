/* entry.h: one definition as the scanner makes it and the index files keep it, and the sink the
   scanner hands its definitions to. */
#ifndef ZOLT_STATE_ENTRY_H
#define ZOLT_STATE_ENTRY_H

#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include "base/limits.h"
#include "platform/platform.h"

#pragma pack(push, 1)
/* One definition; the layout is fixed at 140 bytes (the table's memory budget counts on it). */
struct DefinitionEntry {
    char name[NAME_SIZE]; /* 63 chars; empty in a placeholder entry */
    char file[NAME_SIZE]; /* relDir + long name, 63 chars; empty for editor-text entries */
    uint32_t line;        /* 1-based; 0 in a placeholder */
    FileTime writeTime;   /* low half first; only build and update-file entries carry one */
};
#pragma pack(pop)
static_assert(sizeof(DefinitionEntry) == 140, "DefinitionEntry is 140 bytes");

/* A piece of a build's main table (see SealTableChunk). */
struct TableChunk {
    DefinitionEntry *entries;
    int count;
};

/* The entry's write time, copied out of the packed record. */
static inline FileTime EntryWriteTime(const DefinitionEntry *e)
{
    FileTime t;
    memcpy(&t, (const char *)e + offsetof(DefinitionEntry, writeTime), sizeof t);
    return t;
}
static inline void SetEntryWriteTime(DefinitionEntry *e, const FileTime *t)
{
    memcpy((char *)e + offsetof(DefinitionEntry, writeTime), t, sizeof *t);
}

/* What the scanner saw define a name; the index files do not keep it. */
enum DefinitionKind {
    DEF_KIND_OTHER = 0, /* a macro file's "macro"/"class" line, or not known */
    DEF_KIND_FUNCTION = 1,
    DEF_KIND_MACRO = 2, /* #define */
    DEF_KIND_TYPEDEF = 3,
    DEF_KIND_STRUCT = 4, /* the tag (or the name after the brace) of a struct, enum or class */
    DEF_KIND_ENUM = 5,
    DEF_KIND_CLASS = 6
};

/* Where a scan puts the definitions it makes: the main table of a command (index/ provides it),
   or whatever else a caller collects them in. append returns 0, or -1 when it could not take
   the entry (the scan then stops with -1). A sink with appendKind set is handed each entry's
   DefinitionKind too, through it instead of append. */
struct EntrySink {
    int (*append)(const DefinitionEntry *e, void *target);
    void *target;
    int (*appendKind)(const DefinitionEntry *e, int kind, void *target);
};

#endif
