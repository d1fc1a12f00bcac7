/* frame.cpp: one source scan from open to close, and the entries it makes. */
#include <string.h>

#include "base/limits.h"
#include "base/text.h"
#include "host/host.h"
#include "scanner/scanner_p.h"
#include "state/state.h"

/* File mode opens the 8.3 alias when there is one; the editor's file must exist even though its
   text is then read from the editor. 0, or -1 when nothing could be opened. */
static int OpenScanSource(Source *src, const DirEntry *entry, BrowserState *st)
{
    src->fp = NULL;
    if (st->fromEditor) {
        EditorInfo info;
        memset(&info, 0, sizeof info);
        if (!HostEditorControl(ECTL_GETINFO, &info) || info.FileName == NULL) return -1;
        return SourceOpen(src, info.FileName);
    }
    if (entry == NULL) return -1;
    return SourceOpen(src, entry->shortName[0] != '\0' ? entry->shortName : entry->name);
}

/* The entry goes to the scan's sink; the frame counts what it took. */
static int Record(const DefinitionEntry *e, Source *src)
{
    const EntrySink *sink = src->sink;
    int taken = sink->appendKind != NULL ? sink->appendKind(e, src->kind, sink->target)
                                         : sink->append(e, sink->target);
    if (taken != 0) return -1;
    src->recorded++;
    return 0;
}

int RecordDefinition(const char *name, int line, const DirEntry *entry, Source *src,
                     BrowserState *st)
{
    DefinitionEntry e;
    memset(&e, 0, sizeof e);
    if (!st->fromEditor && entry != NULL) {
        if (!JoinIfFits(e.file, sizeof e.file, st->relDir, entry->name)) return 0;
        SetEntryWriteTime(&e, &entry->writeTime);
    }
    CopyTruncated(e.name, sizeof e.name, name);
    /* a name taken across lines must not break the one-line-per-entry index files */
    for (char *p = e.name; *p != '\0'; p++)
        if (*p == '\n' || *p == '\r') *p = ' ';
    e.line = line > 0 ? (uint32_t)line : 0;
    return Record(&e, src);
}

/* Keeps an unchanged file without definitions recognisable to the next incremental build. A path
   that does not fit is dropped like the file's definitions; such a file is then scanned again by
   every rebuild, which is harmless. */
static int AppendPlaceholder(const DirEntry *entry, Source *src, BrowserState *st)
{
    DefinitionEntry e;
    memset(&e, 0, sizeof e);
    if (!JoinIfFits(e.file, sizeof e.file, st->relDir, entry->name)) return 0;
    SetEntryWriteTime(&e, &entry->writeTime);
    return Record(&e, src);
}

int ScanSource(const DirEntry *entry, BrowserState *st, const EntrySink *sink)
{
    Source source;
    Source *src = &source;
    st->filesScanned++;
    if (OpenScanSource(src, entry, st) != 0) return 1;
    src->sink = sink;
    src->recorded = 0;
    st->lineNo = 1;
    st->cplusplusGuard = 0; /* a guard left open by one file must not unfold the next one's block */
    if (!st->fromEditor && st->filesScanned % 10 == 0 && st->progress != NULL)
        st->progress(PROGRESS_SCAN, st->filesScanned);

    int result = 0;
    if (st->fileKind == FILE_KIND_SOURCE) result = ScanStatements(src, entry, st);
    else if (st->fileKind == FILE_KIND_MACRO) result = ScanMacroFile(src, entry, st);
    if (result == 0 && !st->fromEditor && src->recorded == 0)
        result = AppendPlaceholder(entry, src, st);

    SourceClose(src);
    return result;
}

int ScanText(const char *text, size_t length, BrowserState *st, const EntrySink *sink)
{
    Source source;
    Source *src = &source;
    SourceOpenText(src, text, length);
    src->sink = sink;
    src->recorded = 0;
    st->lineNo = 1;
    st->cplusplusGuard = 0;
    int result = 0;
    if (st->fileKind == FILE_KIND_SOURCE) result = ScanStatements(src, NULL, st);
    else if (st->fileKind == FILE_KIND_MACRO) result = ScanMacroFile(src, NULL, st);
    SourceClose(src);
    return result;
}
