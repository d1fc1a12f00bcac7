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

/* The filter's run of the index: found by halves, its first BROWSE_MENU_MAX entries read, and
   the rest only counted. Lines without two separators are no entries, as when the file is
   loaded. The run of the empty filter, the whole file, is counted once per command. */
static int ViewSlice(BrowseSource *src, const char *filter, BrowseSlice *s)
{
    IndexView *v = src->view;
    size_t k = strlen(filter);
    uint64_t at = 0, end = v->size;
    if (k > 0 && (ViewBound(v, filter, k, 0, &at) != 0 || ViewBound(v, filter, k, 1, &end) != 0))
        return -1;
    int countRest = k > 0 || src->wholeCount < 0;
    s->shown = 0;
    s->total = 0;
    char previous[NAME_SIZE] = "";
    IndexLine line;
    for (int got; at < end; at = line.next) {
        if ((got = ViewLine(v, at, &line)) <= 0) return got < 0 ? -1 : 0;
        IndexFields f;
        if (!SplitIndexLine(line.text, line.text + line.length, &f)) continue;
        if (ViewCheckOrder(v, previous, &f) != 0) return -1;
        if (s->shown < BROWSE_MENU_MAX) {
            char text[INDEX_LINE_SIZE];
            size_t n = line.length < sizeof text - 1 ? line.length : sizeof text - 1;
            memcpy(text, line.text, n);
            text[n] = '\0';
            (void)ParseLine(text, 0, &s->entries[s->shown]);
            s->keys[s->shown++] = (int64_t)line.start;
        } else if (!countRest) {
            break;
        }
        s->total++;
    }
    if (k == 0) {
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
