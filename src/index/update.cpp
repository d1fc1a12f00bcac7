/* update.cpp: the previous build's update index, read in step with the walk.

   The file lists each file's entries together, in the order of the walk that wrote it, and the
   walk meets the files in the same order again; so the update table only ever holds a window of
   the file: the entries from the reuse cursor up to the furthest one the look-ahead has read.
   updBase is the file position of the window's first entry, updCount the entries it holds. */
#include <string.h>

#include "base/alloc.h"
#include "index/index.h"
#include "index/index_p.h"
#include "state/state.h"

int OpenUpdateIndex(BrowserState *st)
{
    FILE *f = FileOpen(UPDATE_INDEX_NAME, "rb");
    if (f == NULL) return 1;
    UpdateStream *s = (UpdateStream *)MemAlloc(sizeof *s);
    if (s == NULL) {
        fclose(f);
        return 1;
    }
    StartLines(&s->lines, f);
    st->updStream = s;
    st->updBase = 0;
    st->updCount = 0;
    st->updCursor = 0;
    return 0;
}

void CloseUpdateIndex(BrowserState *st)
{
    if (st->updStream == NULL) return;
    fclose(st->updStream->lines.f);
    MemFree(st->updStream);
    st->updStream = NULL;
}

/* Reads the file's next entry into the window: 0, 1 at the end of the file, -1 when the window
   could not grow (the entry is lost: later positions no longer match the file). */
static int ReadNextUpdate(BrowserState *st)
{
    UpdateStream *s = st->updStream;
    if (s == NULL) return 1;
    char line[INDEX_LINE_SIZE];
    DefinitionEntry e;
    while (NextLine(&s->lines, line))
        if (ParseLine(line, 1, &e) == 0) return AppendEntry(&e, st, 1);
    return 1;
}

int UpdateEntryAt(BrowserState *st, int position, const DefinitionEntry **entry)
{
    int slot = position - st->updBase;
    *entry = NULL;
    if (slot < 0) return 1;
    while (slot >= st->updCount) {
        int read = ReadNextUpdate(st);
        if (read != 0) return read;
    }
    *entry = &st->updEntries[slot];
    return 0;
}

void MoveUpdateCursor(BrowserState *st, int position)
{
    st->updCursor = position;
    if (st->updStream == NULL) return; /* a table loaded whole keeps its positions */
    int drop = position - st->updBase;
    if (drop <= 0) return;
    if (drop > st->updCount) drop = st->updCount;
    memmove(st->updEntries, st->updEntries + drop,
            (size_t)(st->updCount - drop) * sizeof(DefinitionEntry));
    st->updCount -= drop;
    st->updBase += drop;
}

int UpdateEntriesTotal(BrowserState *st)
{
    int total = st->updBase + st->updCount;
    if (st->updStream == NULL) return total;
    char line[INDEX_LINE_SIZE];
    DefinitionEntry e;
    while (NextLine(&st->updStream->lines, line))
        if (ParseLine(line, 1, &e) == 0) total++;
    return total;
}
