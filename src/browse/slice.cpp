/* slice.cpp: the part of the definitions one pass of the browse menu shows, from the sorted
   table or from the project index read where it lies. */
#include <string.h>

#include "base/alloc.h"
#include "base/limits.h"
#include "base/text.h"
#include "browse/browse.h"
#include "index/index.h"
#include "state/state.h"

int NewBrowseSlice(BrowseSlice *s)
{
    memset(s, 0, sizeof *s);
    s->entries = (DefinitionEntry *)MemAlloc(BROWSE_MENU_MAX * sizeof *s->entries);
    s->keys = (int64_t *)MemAlloc(BROWSE_MENU_MAX * sizeof *s->keys);
    if (s->entries != NULL && s->keys != NULL) return 0;
    FreeBrowseSlice(s);
    return -1;
}

void FreeBrowseSlice(BrowseSlice *s)
{
    MemFree(s->entries);
    MemFree(s->keys);
    memset(s, 0, sizeof *s);
}

static void TableSlice(const BrowserState *st, const char *filter, BrowseSlice *s)
{
    int first, count;
    PrefixRange(filter, &count, &first, st);
    s->total = count;
    s->shown = count < BROWSE_MENU_MAX ? count : BROWSE_MENU_MAX;
    for (int i = 0; i < s->shown; i++) {
        s->entries[i] = st->entries[first + i];
        s->keys[i] = first + i;
    }
}

struct SliceWalk {
    BrowseSlice *slice;
    int countRest;
};

static int AddToSlice(void *ctx, const IndexLine *line)
{
    SliceWalk *w = (SliceWalk *)ctx;
    BrowseSlice *s = w->slice;
    if (s->shown < BROWSE_MENU_MAX) {
        (void)ViewLineEntry(line, &s->entries[s->shown]);
        s->keys[s->shown++] = (int64_t)line->start;
    } else if (!w->countRest) {
        return 0;
    }
    s->total++;
    return 1;
}

/* The filter's run of the index: its first BROWSE_MENU_MAX entries read, and the rest only
   counted. The run of the empty filter, the whole file, is counted once per command. */
static int ViewSlice(BrowseSource *src, const char *filter, BrowseSlice *s)
{
    s->shown = 0;
    s->total = 0;
    SliceWalk walk = {s, filter[0] != '\0' || src->wholeCount < 0};
    if (WalkViewRun(src->view, filter, AddToSlice, &walk) != 0) return -1;
    if (filter[0] == '\0') {
        if (src->wholeCount < 0) src->wholeCount = s->total;
        s->total = src->wholeCount;
    }
    return 0;
}

int FillBrowseSlice(BrowseSource *src, const char *filter, BrowseSlice *s)
{
    if (src->view == NULL) {
        TableSlice(src->table, filter, s);
        return 0;
    }
    return ViewSlice(src, filter, s);
}
