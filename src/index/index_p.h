/* index_p.h: what the index folder's files share: the index-file reader, the sort order, the
   update stream, a build's temporary files and its options. */
#ifndef ZOLT_INDEX_INDEX_P_H
#define ZOLT_INDEX_INDEX_P_H

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

#include "base/limits.h"
#include "index/index.h"

/* Index files are read in large blocks and cut into lines, as fgets(line, 299, f) would cut
   them: at most 298 bytes, up to and including a LF. */
enum { READ_CHUNK = 1 << 18, LINE_PIECE = INDEX_LINE_SIZE - 2 };

struct LineReader {
    FILE *f;
    size_t pos;
    size_t len;
    int ended; /* end of file or a read error: nothing more comes */
    char buf[READ_CHUNK];
};

void StartLines(LineReader *r, FILE *f);
/* The next line piece into line (INDEX_LINE_SIZE bytes, NUL-terminated): 1, or 0 at the end. */
int NextLine(LineReader *r, char *line);

/* The table's sort order without moving the entries: keys[i].entry is the i-th entry. */
struct SortKey {
    uint64_t chunk;
    const DefinitionEntry *entry;
};
/* Entries reached through sorted keys lie all over the table: loops that visit them in that
   order ask for the one PREFETCH_AHEAD places on while they work on this one. */
enum { PREFETCH_AHEAD = 8 };
static inline void Prefetch(const DefinitionEntry *e)
{
#if defined(__GNUC__)
    __builtin_prefetch(e);
#else
    (void)e;
#endif
}
/* The sorted keys of count entries (MemFree them), or null when there is no room for them. */
SortKey *SortedOrder(const DefinitionEntry *entries, int count);
/* Sorts entries in place (when there is no room for keys). */
void SortEntries(DefinitionEntry *entries, int count);

/* The update index file of a rebuild, read in step with the walk. */
struct UpdateStream {
    LineReader lines;
};

enum {
    TEMP_NAME_SIZE = 40 /* "zoltprj$.", a process id and the marker */
};
/* Creates BASE.<process id>~zolt-temp exclusively in the current directory, its name into name.
   Null when it cannot be created (or the name is taken: nothing is written through a link). */
FILE *CreateTempFile(char *name, size_t size, const char *base);
/* Removes the temporary files that builds which no longer run left in the current directory:
   only names of exactly that form, of a process that is gone (or had our id); counts each in
   tempFilesRemoved. */
void RemoveStaleTempFiles(BrowserState *st);

/* The scan options an index depends on, as the text recorded beside it. */
void FormatScanOptions(const BrowserState *st, char *text, size_t size);
/* 1 when the index in the current directory was built with exactly these options. */
int HasScanOptions(const char *text);
/* Records the options beside the index files: 0, or -1 when they could not be written. */
int WriteScanOptions(const char *text);

#endif
