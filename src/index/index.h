/* index.h: the definition table, the project scan and the two index files, as other folders see them. */
#ifndef ZOLT_INDEX_INDEX_H
#define ZOLT_INDEX_INDEX_H

#include <stddef.h>
#include <stdint.h>

#include "platform/platform.h"
#include "state/entry.h"

struct BrowserState;

/* --- definition table --- */
/* Copies *e into the main table (update = 0) or the update table, growing it by half (at least
   100 slots). 0, or -1 when the storage cannot be enlarged (the table is left as it was). */
int AppendEntry(const DefinitionEntry *e, BrowserState *st, int update);
/* The capacity a full table grows to; 0 when no larger one could be addressed. */
int GrownCapacity(int capacity);
/* Name (ASCII letters folded to upper case), then file the same way, then line. */
int CompareEntries(const DefinitionEntry *a, const DefinitionEntry *b);
/* The sink that appends to the main table of st. */
EntrySink MainTableSink(BrowserState *st);
/* Frees both tables (main first) and sets their pointers to null; menuItems is left alone. */
void ReleaseState(BrowserState *st);
/* Sorts the main table in place; the update table is never sorted. */
void SortTable(BrowserState *st);
/* A build's table in pieces: a 32-bit process has no room for one block of millions of
   entries. Between files, a main table of chunkEntries or more becomes a piece of its own and
   the table starts empty (nothing when chunkEntries is 0). 0, or -1 when it stays whole. */
int SealTableChunk(BrowserState *st);
int TableTotal(const BrowserState *st); /* entries in the pieces and the table */
void ReleaseTableChunks(BrowserState *st);

/* --- project scan --- */
/* Walks the current directory (and below, when recurse is on) with the pattern, filling the
   main table; from the editor scans the editor's text instead. Returns 0 when the walk ended,
   -1 when it ended with entries left out because memory ran out (the table or the update
   window could not grow, or a directory could not be listed). Before each file of the masks
   asks stopRequested (when set), and on 1 sets walkStopped and ends the walk there.
   Changes relDir (restored), changedFiles, updCursor, fileKind; the current directory returns. */
int ProjectScan(const char *pattern, BrowserState *st);
/* ScanSource into the main table: 0 scanned, 1 cannot be opened, -1 the table could not grow. */
int ScanSourceFile(const DirEntry *entry, BrowserState *st);
/* One file (null: the editor text): 0 skipped or reused, -1 reused in part, else
   ScanSourceFile's result. */
int VisitFile(const DirEntry *entry, BrowserState *st);
/* FileKind of a name (only its name part counts): "*.MAC" first, then the ';'-separated masks. */
int ClassifyFile(const char *name, const char *masks);
/* 1 when the file's unchanged entries were copied from the update table, 0 when it must be
   scanned, -1 when one of them could not be appended or the update window could not grow. */
int ReuseUnchanged(const DirEntry *entry, BrowserState *st);

/* --- index files --- */
/* An index line NAME?FILE?LINE[?LOW?HIGH] cut at its first two '?': each field's start and
   length; rest is the text after the second '?' (up to the line's end). */
struct IndexFields {
    const char *name;
    size_t nameLength;
    const char *file;
    size_t fileLength;
    const char *rest;
};
/* Splits the line [line, end): 1, or 0 when it has fewer than two '?'. Readers apply their own
   cuts to the fields. */
int SplitIndexLine(const char *line, const char *end, IndexFields *f);
/* NAME?FILE?LINE[?LOW?HIGH] (NUL-terminated): 0 and the entry, fields cut to 63 characters and
   the write time read for the update file; -1 for a line with fewer than two '?'. */
int ParseLine(const char *line, int update, DefinitionEntry *e);
enum {
    INDEX_LINE_ROOM = 2 * 63 + 3 * 10 + 4 + 1
}; /* the longest line FormatIndexLine makes, its NUL */
/* The index line of e without its line end, NUL-terminated, into out (INDEX_LINE_ROOM bytes):
   the bytes of "%.63s?%.63s?%u", and "?%u?%u" of the write time for the update file. Returns
   its length. */
size_t FormatIndexLine(char *out, const DefinitionEntry *e, int update);
/* --- the project index read where it lies --- */
/* A sorted index file seen through a window of VIEW_WINDOW bytes, so that an index of any size
   is searched and listed in a bounded amount of memory. Reads are ordinary reads: a file that
   changes under the view makes it fail, never crash. */
enum {
    VIEW_WINDOW = 1024 * 1024, /* bytes of the file held at a time, read at once going on */
    VIEW_PROBE = 16 * 1024,    /* bytes read at a jump to another place */
    VIEW_LINE_MAX = 4096       /* a longer line (none is written) makes the file damaged */
};
enum ViewFault {
    VIEW_OK = 0,
    VIEW_UNREADABLE = 1, /* a read failed */
    VIEW_CHANGED = 2,    /* the file became shorter than it was when opened */
    VIEW_DAMAGED = 3     /* a NUL byte read, an overlong line or entries out of order: no index */
};
struct IndexView {
    RandomFile *file;
    uint64_t size;
    uint64_t windowStart;
    size_t windowLength;
    char *window;
    int fault; /* the first ViewFault met; every read fails after it */
};
/* One line of the view: text (not NUL-terminated, valid until the next read of the view) and
   its length without the line end; where it starts and where the next one does. */
struct IndexLine {
    const char *text;
    size_t length;
    uint64_t start;
    uint64_t next;
};
/* 0, 1 when there is no such regular file, -1 when memory ran out. */
int OpenIndexView(IndexView *v, const char *path);
void CloseIndexView(IndexView *v); /* also after a failed open */
/* The line that starts at at: 1, 0 at the end of the file, -1 when the view failed (fault). */
int ViewLine(IndexView *v, uint64_t at, IndexLine *line);
/* Where the first line whose name compares at or after key (its first k bytes, ASCII case
   folded, as the index is sorted) starts, or with upper set the first line after every name
   that begins with key; the file's size when there is none. 0, or -1 when the view failed. */
int ViewBound(IndexView *v, const char *key, size_t k, int upper, uint64_t *at);
/* How a line's name compares with the first k bytes of key in the index's order: -1 before
   them, 0 beginning with them, 1 after. */
int CompareNameKey(const char *line, size_t length, const char *key, size_t k);
/* 0 when an entry's fields (SplitIndexLine's) may follow the name in previous (NAME_SIZE bytes,
   "" before the first entry) in a sorted index, and previous becomes its name (cut to 63); -1
   (the view damaged) otherwise. */
int ViewCheckOrder(IndexView *v, char *previous, const IndexFields *f);

/* The filter's run of a sorted index read where it lies (found by halves; lines without two
   separators are no entries, as when the file is loaded), each entry's line handed to each
   until it returns 0. 0, or -1 when the view failed: damaged, out of order or changed. */
typedef int (*ViewEntryFn)(void *ctx, const IndexLine *line);
int WalkViewRun(IndexView *v, const char *filter, ViewEntryFn each, void *ctx);
/* The entry of a line WalkViewRun handed over, fields cut as the loaded index's are. */
int ViewLineEntry(const IndexLine *line, DefinitionEntry *e);
/* 1 when the file is a sorted index of just entries entries, as the view reads it; 0 when it
   holds another number, is damaged, out of order, changed while read or not there; -1 when
   memory ran out. */
int IndexFileIsSound(const char *path, int64_t entries);

#define UPDATE_INDEX_NAME "zoltpru$.Far"
#define PROJECT_INDEX_NAME "zoltprj$.Far"
/* The scan options the index files were built with, beside them; a change means a full scan. */
#define SCAN_OPTIONS_NAME "zoltopt$.Far"
/* Ends every temporary file's name: what no user names a file with marks the files that the
   cleanup of dead builds may remove. */
#define TEMP_NAME_MARKER "~zolt-temp"
/* Fills the main table from the project index file (update = 0; without it, or from the editor,
   by a scan, sorted) or the update table from the update index file (update = 1).
   0 when the table was filled (possibly with nothing), 1 otherwise, -1 when it was filled in
   part: an entry could not be appended. */
int LoadIndex(BrowserState *st, int update);
/* Writes the update index file in table order and the project index file in sorted order (the
   table itself keeps its order unless there is no room for the sort's keys); both under
   temporary names first, so the old files stay whole on any failure. 0 or -1. Adds each file
   it put in place (the project file first) to indexFilesReplaced. */
int WriteIndexFiles(BrowserState *st);
/* The update index file of a rebuild, read while the walk goes: 0 when it is open (the build is
   then incremental), 1 when there is none. The update table holds only a window of it. */
int OpenUpdateIndex(BrowserState *st);
void CloseUpdateIndex(BrowserState *st);
/* The update entry at a position of the file (the table itself when it was loaded whole):
   0 and *entry; 1 past the end; -1 when the window could not grow to reach it. */
int UpdateEntryAt(BrowserState *st, int position, const DefinitionEntry **entry);
/* Moves the reuse cursor forward; the window lets go of the entries before it. */
void MoveUpdateCursor(BrowserState *st, int position);
/* How many entries the update file holds; reads the rest of it. */
int UpdateEntriesTotal(BrowserState *st);

/* --- the build: lock, walk, write --- */
enum {
    SCAN_OPTIONS_SIZE = 640,  /* the options record: four flags and a 511-byte mask list */
    BUILD_LOCK_WAIT_MS = 3000 /* a build waits this long for another build of its directory */
};
struct IndexBuild {
    BuildLock *lock;
    int sameOptions; /* the index files were built with these options: unchanged files are reused */
    char options[SCAN_OPTIONS_SIZE];
};
/* What a build did. */
enum BuildResult {
    BUILD_DONE = 0,        /* the files were written, or were already current */
    BUILD_INCOMPLETE = 1,  /* memory ran out: entries would be missing, the old files stay */
    BUILD_NOT_WRITTEN = 2, /* the files could not be written, the old files stay (the project
                              file may be the new one when only the update file failed) */
    BUILD_STOPPED = 3      /* stopRequested ended the walk: nothing written, the old files stay */
};
/* Takes the current directory's build lock (waiting for another build a while), removes stale
   temporaries and opens the update index when the options are unchanged. 0, or 1 when another
   build holds the directory (nothing was done). */
int BeginBuild(IndexBuild *b, BrowserState *st);
/* Scans "*.*" and writes the files when they are stale: a BuildResult; BUILD_INCOMPLETE when
   the walk left entries out or an option could not be read (optionsDefaulted), BUILD_STOPPED
   when st->stopRequested stopped it. Sets indexEntries, indexFilesReplaced and walkStopped. */
int WalkAndWrite(IndexBuild *b, BrowserState *st);
/* Lets go of the update table and the lock. */
void EndBuild(IndexBuild *b, BrowserState *st);

#endif
