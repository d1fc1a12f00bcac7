/* release.cpp: the main table as the scanner's sink, and releasing a command's tables. */
#include "base/alloc.h"
#include "index/index.h"
#include "scanner/scanner.h"
#include "state/state.h"

static int AppendToMainTable(const DefinitionEntry *e, void *target)
{
    return AppendEntry(e, (BrowserState *)target, 0);
}

EntrySink MainTableSink(BrowserState *st)
{
    EntrySink sink = {AppendToMainTable, st, NULL};
    return sink;
}

int ScanSourceFile(const DirEntry *entry, BrowserState *st)
{
    EntrySink sink = MainTableSink(st);
    return ScanSource(entry, st, &sink);
}

void ReleaseState(BrowserState *st)
{
    CloseUpdateIndex(st);
    ReleaseTableChunks(st);
    if (st->entries != NULL) {
        LargeBlockFree(st->entries);
        st->entries = NULL;
    }
    if (st->updEntries != NULL) {
        LargeBlockFree(st->updEntries);
        st->updEntries = NULL;
    }
}
