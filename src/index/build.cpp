/* build.cpp: one build of the index files: the lock, the walk and the decision to write. */
#include "base/variant.h"
#include "index/index.h"
#include "index/index_p.h"
#include "state/state.h"

static int FileExists(const char *name)
{
    FileTime t;
    return FileGetWriteTime(name, &t) == 0;
}

static int HasIndexFiles(const BrowserState *st)
{
    return FileExists(st->indexFileName) || FileExists(UPDATE_INDEX_NAME);
}

/* Nothing scanned may still leave stale files: entries of deleted files were dropped, or the
   project index was removed, damaged (Browse then asks for a new build) or cut while its
   update index stayed. */
static int IndexIsStale(BrowserState *st)
{
    if (st->changedFiles != 0) return 1;
    if (!st->updMode) return 0;
    int64_t total = TableTotal(st);
    return total != UpdateEntriesTotal(st) || IndexFileIsSound(st->indexFileName, total) != 1;
}

/* The walk was the update file's only reader. */
static void ReleaseUpdateTable(BrowserState *st)
{
    CloseUpdateIndex(st);
    LargeBlockFree(st->updEntries);
    st->updEntries = NULL;
    st->updCapacity = 0;
}

int BeginBuild(IndexBuild *b, BrowserState *st)
{
    int busy;
    b->lock = LockCurrentDir(BUILD_LOCK_WAIT_MS, &busy);
    if (busy) return 1;
    RemoveStaleTempFiles(st);
    FormatScanOptions(st, b->options, sizeof b->options);
    /* entries made under other options cannot be reused: every file is scanned again */
    b->sameOptions = HasScanOptions(b->options);
    if (b->sameOptions && (ZOLT_PLAIN ? LoadIndex(st, 1) : OpenUpdateIndex(st)) == 0)
        st->updMode = 1;
    return 0;
}

int WalkAndWrite(IndexBuild *b, BrowserState *st)
{
    st->filesScanned = 0;
    st->indexEntries = -1;
    st->indexFilesReplaced = 0;
    if (st->chunkEntries == 0) st->chunkEntries = TABLE_CHUNK; /* tests take smaller pieces */
    /* Entries left out (an option read as its default, a directory that could not be listed,
       an entry the table could not take, a short update window) would outlive the build if
       written: the next one copies the unchanged files' entries from the update file. So the
       old files stay. */
    st->walkStopped = 0;
    if (st->optionsDefaulted) return BUILD_INCOMPLETE;
    int walked = ProjectScan("*.*", st);
    if (st->walkStopped) return BUILD_STOPPED; /* the old files stay as they were */
    if (walked != 0) return BUILD_INCOMPLETE;
    int stale = b->sameOptions ? IndexIsStale(st) : st->changedFiles != 0 || HasIndexFiles(st);
    if (stale) {
        ReleaseUpdateTable(st); /* makes room for the sort keys */
        if (WriteIndexFiles(st) != 0 || (!b->sameOptions && WriteScanOptions(b->options) != 0))
            return BUILD_NOT_WRITTEN;
        st->indexEntries = TableTotal(st);
    } else if (st->updMode) {
        st->indexEntries = TableTotal(st); /* the files hold just what the walk kept */
    }
    return BUILD_DONE;
}

void EndBuild(IndexBuild *b, BrowserState *st)
{
    ReleaseUpdateTable(st);
    UnlockDir(b->lock);
    b->lock = NULL;
}
