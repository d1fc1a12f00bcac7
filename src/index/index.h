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

struct TableChunk {
    DefinitionEntry *entries;
    int count;
};
static_assert(sizeof(DefinitionEntry) == 138, "DefinitionEntry is 138 bytes");

/* --- definition table --- */
/* Copies *e into the main table (update = 0) or the update table, growing it by half (at least
   100 slots). 0, or -1 when the storage cannot be enlarged (the table is left as it was). */
int AppendEntry(const DefinitionEntry *e, BrowserState *st, int update);
/* Name (ASCII letters folded to upper case), then file the same way, then line. */
/* The capacity a full table grows to; 0 when no larger one could be addressed. */
int GrownCapacity(int capacity);
int CompareEntries(const DefinitionEntry *a, const DefinitionEntry *b);
/* Sorts the main table in place; the update table is never sorted. */
void SortTable(BrowserState *st);
/* A build's table in pieces: a 32-bit process has no room for one block of millions of
   entries. Between files, a main table of chunkEntries or more becomes a piece of its own and
   the table starts empty (nothing when chunkEntries is 0). 0, or -1 when it stays whole. */
int SealTableChunk(BrowserState *st);
int TableTotal(const BrowserState *st); /* entries in the pieces and the table */
void ReleaseTableChunks(BrowserState *st);
/* The entry's write time, copied out of the packed record. */
FileTime EntryWriteTime(const DefinitionEntry *e);
void SetEntryWriteTime(DefinitionEntry *e, const FileTime *t);

/* --- project scan --- */
/* Walks the current directory (and below, when recurse is on) with the pattern, filling the
   main table; from the editor scans the editor's text instead. Returns 0 when the walk ended.
   Changes relDir (restored), changedFiles, updCursor, fileKind; the current directory returns. */
int ProjectScan(const char *pattern, BrowserState *st);
/* One file (null: the editor text): 0 skipped or reused, else ScanSourceFile's result. */
int VisitFile(const DirEntry *entry, BrowserState *st);
/* FileKind of a name (only its name part counts): "*.MAC" first, then the ';'-separated masks. */
int ClassifyFile(const char *name, const char *masks);
/* 1 when the file's unchanged entries were copied from the update table, 0 when it must be scanned. */
int ReuseUnchanged(const DirEntry *entry, BrowserState *st);

/* --- index files --- */
#define UPDATE_INDEX_NAME "zoltpru$.Far"
#define PROJECT_INDEX_NAME "zoltprj$.Far"
/* The scan options the index files were built with, beside them; a change means a full scan. */
#define SCAN_OPTIONS_NAME "zoltopt$.Far"
/* Fills the main table from the project index file (update = 0; without it, or from the editor,
   by a scan, sorted) or the update table from the update index file (update = 1).
   0 when the table was filled (possibly with nothing), 1 otherwise. */
int LoadIndex(BrowserState *st, int update);
/* Writes the update index file in table order and the project index file in sorted order (the
   table itself keeps its order unless there is no room for the sort's keys); both under
   temporary names first, so the old files stay whole on any failure. 0 or -1. */
int WriteIndexFiles(BrowserState *st);
/* The update index file of a rebuild, read while the walk goes: 0 when it is open (the build is
   then incremental), 1 when there is none. The update table holds only a window of it. */
int OpenUpdateIndex(BrowserState *st);
void CloseUpdateIndex(BrowserState *st);
/* The update entry at a position of the file (the table itself when it was loaded whole);
   null past the end. */
const DefinitionEntry *UpdateEntryAt(BrowserState *st, int position);
/* Moves the reuse cursor forward; the window lets go of the entries before it. */
void MoveUpdateCursor(BrowserState *st, int position);
/* How many entries the update file holds; reads the rest of it. */
int UpdateEntriesTotal(BrowserState *st);
/* The panel command: load the update index, scan "*.*", write the files when they are stale. */
void BuildProjectIndex(BrowserState *st);

#endif
