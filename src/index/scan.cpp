/* scan.cpp: the project walk, file classification and the reuse of unchanged files' entries. */
#include <string.h>

#include "base/limits.h"
#include "base/text.h"
#include "host/host.h"
#include "index/index.h"
#include "scanner/scanner.h"
#include "state/state.h"

int ClassifyFile(const char *name, const char *masks)
{
    if (HostCmpName(MACRO_FILE_MASK, name, 1)) return FILE_KIND_MACRO;
    if (masks[0] == '\0') return FILE_KIND_NONE;
    char work[MASK_WORK_SIZE];
    CopyTruncated(work, sizeof work - 1, masks);
    size_t len = strlen(work);
    if (work[len - 1] != ';') AppendTruncated(work, sizeof work, ";");
    for (char *mask = work, *end; (end = strchr(mask, ';')) != NULL; mask = end + 1) {
        *end = '\0';
        if (HostCmpName(mask, name, 1)) return FILE_KIND_SOURCE;
    }
    return FILE_KIND_NONE;
}

int ReuseUnchanged(const DirEntry *entry, BrowserState *st)
{
    if (!st->updMode) return 0;
    char path[PATH_SIZE];
    if (!JoinIfFits(path, sizeof path, st->relDir, entry->name)) return 0;

    int i = st->updCursor, passed = 0, inRun = 0, changed = 0, copied = 0, lost = 0, read = 0;
    const DefinitionEntry *u;
    for (; passed < 100 && (read = UpdateEntryAt(st, i, &u)) == 0; i++) {
        if (strcmp(u->file, path) != 0) {
            if (inRun) break;
            passed++;
            continue;
        }
        inRun = 1;
        if (changed) continue;
        FileTime t = EntryWriteTime(u);
        if (CompareFileTimes(&t, &entry->writeTime) != 0) {
            changed = 1;
        } else if (AppendEntry(u, st, 0) == 0) {
            copied++;
        } else {
            lost = 1;
        }
    }
    if (read < 0) return -1; /* the file's run, or a later one, would be cut short */
    if (!inRun) return 0; /* new file, or its run lies before the cursor or beyond the look-ahead */
    MoveUpdateCursor(st, i);
    if (changed) {
        st->count -= copied; /* a run with mixed times is rescanned whole, never half copied */
        return 0;
    }
    return lost ? -1 : 1;
}

static int ScanEditorText(BrowserState *st)
{
    EditorInfo info;
    memset(&info, 0, sizeof info);
    (void)HostEditorControl(ECTL_GETINFO, &info);
    int kind = ClassifyFile(info.FileName != NULL ? info.FileName : "", st->fileMask);
    if (kind == FILE_KIND_NONE) return 0;
    st->fileKind = kind;
    return ScanSourceFile(NULL, st);
}

int VisitFile(const DirEntry *entry, BrowserState *st)
{
    if (entry == NULL) return ScanEditorText(st);
    int kind = ClassifyFile(entry->name, st->fileMask);
    if (kind == FILE_KIND_NONE) return 0;
    /* no entry could hold its path: scanning it would only cost time on every build */
    if (strlen(st->relDir) + strlen(entry->name) >= NAME_SIZE) {
        st->filesLeftOut++;
        return 0;
    }
    if (st->stopRequested != NULL && st->stopRequested()) {
        st->walkStopped = 1; /* before the file: what the walk has is never written */
        return 0;
    }
    st->fileKind = kind;
    (void)SealTableChunk(st); /* between files: a file's entries stay in one piece */
    int reused = ReuseUnchanged(entry, st);
    if (reused != 0) return reused < 0 ? -1 : 0;
    st->changedFiles++;
    int result = ScanSourceFile(entry, st);
    if (result == 1) st->filesUnreadable++;
    return result;
}

static int IsDotName(const char *name)
{
    return strcmp(name, ".") == 0 || strcmp(name, "..") == 0;
}

/* Walks one subdirectory; one that cannot be entered, or whose relative path would not fit
   relDir, is skipped (its files could not be recorded anyway). */
static int ScanSubdirectory(const char *pattern, const DirEntry *entry, BrowserState *st)
{
    char saved[PATH_SIZE];
    memcpy(saved, st->relDir, sizeof saved);
    if (strlen(saved) + strlen(entry->name) + 1 >= sizeof st->relDir) return 0;
    if (SetCurrentDir(entry->name) != 0) return 0;
    AppendTruncated(st->relDir, sizeof st->relDir, entry->name);
    AppendTruncated(st->relDir, sizeof st->relDir, "\\");
    int result = ProjectScan(pattern, st);
    (void)SetCurrentDir("..");
    memcpy(st->relDir, saved, sizeof saved);
    return result;
}

/* An entry whose name no index line could hold: counted when it would have been walked. */
static void CountUnusableName(const DirEntry *entry, BrowserState *st)
{
    if (entry->attributes & FILE_ATTR_DIRECTORY) {
        if (st->recurse) st->dirsLeftOut++;
    } else if (ClassifyFile(entry->name, st->fileMask) != FILE_KIND_NONE) {
        st->namesLeftOut++;
    }
}

int ProjectScan(const char *pattern, BrowserState *st)
{
    if (st->fromEditor) return VisitFile(NULL, st) < 0 ? -1 : 0;
    if (st->updMode && st->progress != NULL) st->progress(PROGRESS_DIR, 0);
    DirEntry entry;
    DirEnum *dir;
    int started = DirStart(pattern, &entry, &dir);
    if (started != 0)
        return started < 0 ? -1 : 0; /* an unreadable directory has nothing to record */
    int result = 0; /* the walk goes on after an entry was lost: the count of files stays right */
    do {
        int r = 0;
        if (entry.unusableName) CountUnusableName(&entry, st);
        else if (st->recurse && (entry.attributes & FILE_ATTR_DIRECTORY) && !IsDotName(entry.name))
            r = ScanSubdirectory(pattern, &entry, st);
        else r = VisitFile(&entry, st);
        if (r < 0) result = -1;
    } while (!st->walkStopped && DirNext(dir, &entry));
    DirClose(dir);
    return result;
}
