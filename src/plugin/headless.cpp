/* headless.cpp: the headless list and scan, over the browse and build commands' own steps. */
#include "plugin/headless.h"

#include <string.h>

#include "base/alloc.h"
#include "base/limits.h"
#include "base/text.h"
#include "browse/browse.h"
#include "index/index.h"
#include "platform/platform.h"
#include "plugin/plugin.h"
#include "scanner/scanner.h"
#include "settings/settings.h"

struct ListWalk {
    FILE *out;
    int count;
};

static int ListEntry(void *ctx, const IndexLine *line)
{
    ListWalk *w = (ListWalk *)ctx;
    DefinitionEntry e;
    char text[INDEX_LINE_ROOM];
    (void)ViewLineEntry(line, &e);
    (void)FormatIndexLine(text, &e, 0);
    fprintf(w->out, "%s\n", text);
    w->count++;
    return 1;
}

int ListDefinitions(FILE *out, const char *prefix, CommandReport *report)
{
    memset(report, 0, sizeof *report);
    BrowserState st;
    memset(&st, 0, sizeof st);
    /* the browse command's own steps: its state, its source of entries, its slice */
    if (InitState(&st) == 0) {
        /* the index file where it lies, as Browse reads it: a damaged one fails the list */
        IndexView view;
        int opened = OpenIndexView(&view, st.indexFileName);
        report->noIndex = opened > 0; /* LoadIndex then scans */
        if (opened == 0) {
            char filter[FILTER_SIZE];
            (void)CopyTruncatedN(filter, sizeof filter, prefix, FILTER_MAX);
            ListWalk walk = {out, 0};
            report->damaged = WalkViewRun(&view, filter, ListEntry, &walk) != 0;
            report->entries = walk.count;
            report->ran = !report->damaged;
        }
        CloseIndexView(&view);
        if (opened > 0 && LoadIndex(&st, 0) <= 0) {
            report->entries = WritePrefixRange(out, prefix, &st);
            report->ran = 1;
        }
    }
    ReleaseState(&st);
    return report->entries;
}

void DefaultScanFilters(ScanFilters *filters)
{
    filters->includeStatic = (int)OPTION_FLAGS[OPT_STATIC].def;
    filters->includeInline = (int)OPTION_FLAGS[OPT_INLINE].def;
    filters->includeQualified = (int)OPTION_FLAGS[OPT_QUALIFIED].def;
}

int BeginFileScan(BrowserState *st, const ScanFilters *filters)
{
    memset(st, 0, sizeof *st);
    st->includeStatic = filters->includeStatic;
    st->includeInline = filters->includeInline;
    st->includeQualified = filters->includeQualified;
    st->entries = (DefinitionEntry *)MemAlloc(TABLE_GROWTH * sizeof(DefinitionEntry));
    if (st->entries == NULL) return -1;
    st->capacity = TABLE_GROWTH;
    return 0;
}

/* The plugin sees the path as a long name in backslash form, without a short alias. The write
   time stays zero: nothing written depends on it. 0, or -1 when it does not fit. */
static int FillEntry(const char *path, DirEntry *entry)
{
    memset(entry, 0, sizeof *entry);
    size_t n = strlen(path);
    if (n >= sizeof entry->name) return -1;
    for (size_t i = 0; i <= n; i++) entry->name[i] = path[i] == '/' ? '\\' : path[i];
    return 0;
}

int ScanFileInto(BrowserState *st, const char *path, FILE *out, CommandReport *report)
{
    DirEntry entry;
    int from = st->count;
    int result = 1;
    if (FillEntry(path, &entry) == 0) {
        st->fileKind = ClassifyFile(entry.name, "");
        if (st->fileKind == FILE_KIND_NONE) st->fileKind = FILE_KIND_SOURCE;
        result = ScanSourceFile(&entry, st);
    }
    for (int i = from; i < st->count; i++) {
        char line[INDEX_LINE_ROOM];
        (void)FormatIndexLine(line, &st->entries[i], 0);
        fprintf(out, "%s\n", line);
    }
    report->entries += st->count - from;
    if (result == 0) report->scanned++;
    else if (result == 1) report->unreadable++;
    return result;
}

void EndFileScan(BrowserState *st)
{
    ReleaseState(st);
}
