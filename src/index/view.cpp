/* view.cpp: a sorted project index file read where it lies, through a bounded window. */
#include <string.h>

#include "base/alloc.h"
#include "base/limits.h"
#include "base/text.h"
#include "index/index.h"

int OpenIndexView(IndexView *v, const char *path)
{
    memset(v, 0, sizeof *v);
    int opened = FileOpenRandom(path, &v->file, &v->size);
    if (opened != 0) return opened;
    v->window = (char *)MemAlloc(VIEW_WINDOW);
    if (v->window == NULL) {
        FileCloseRandom(v->file);
        v->file = NULL;
        return -1;
    }
    return 0;
}

void CloseIndexView(IndexView *v)
{
    FileCloseRandom(v->file);
    MemFree(v->window);
    memset(v, 0, sizeof *v);
}

static int Fail(IndexView *v, int fault)
{
    if (v->fault == VIEW_OK) v->fault = fault;
    return -1;
}

/* Makes the window hold [at, at + want) or up to the file's end. A read that stops short of
   the size the file had when it was opened means the file changed: the view fails. */
static int Reach(IndexView *v, uint64_t at, size_t want)
{
    uint64_t end = at + want < v->size ? at + want : v->size;
    if (at >= v->windowStart && end <= v->windowStart + v->windowLength) return 0;
    /* reading on from the window takes a whole window; a jump elsewhere (a step of a search by
       halves) takes only what a line needs */
    int onward = at >= v->windowStart && at <= v->windowStart + v->windowLength;
    size_t chunk = onward ? (size_t)VIEW_WINDOW : (size_t)VIEW_PROBE;
    uint64_t left = v->size - at;
    size_t n = left < chunk ? (size_t)left : chunk;
    long got = FileReadAt(v->file, at, v->window, n);
    v->windowStart = at;
    v->windowLength = 0;
    if (got < 0) return Fail(v, VIEW_UNREADABLE);
    if ((size_t)got < n) return Fail(v, VIEW_CHANGED);
    if (FindByte(v->window, n, '\0') != NULL) return Fail(v, VIEW_DAMAGED); /* not text */
    v->windowLength = n;
    return 0;
}

int ViewLine(IndexView *v, uint64_t at, IndexLine *line)
{
    if (v->fault != VIEW_OK) return -1;
    if (at >= v->size) return 0;
    if (Reach(v, at, VIEW_LINE_MAX + 1) != 0) return -1;
    const char *start = v->window + (at - v->windowStart);
    size_t avail = (size_t)(v->windowStart + v->windowLength - at);
    size_t max = avail < (size_t)VIEW_LINE_MAX + 1 ? avail : (size_t)VIEW_LINE_MAX + 1;
    const char *lf = FindByte(start, max, '\n');
    size_t length;
    if (lf != NULL) length = (size_t)(lf - start);
    else if (at + avail == v->size && avail <= (size_t)VIEW_LINE_MAX)
        length = avail;                /* last line */
    else return Fail(v, VIEW_DAMAGED); /* no index line is that long */
    line->text = start;
    line->start = at;
    line->next = at + length + (lf != NULL ? 1 : 0);
    if (length > 0 && start[length - 1] == '\r') length--;
    line->length = length;
    return 1;
}

int CompareNameKey(const char *line, size_t length, const char *key, size_t k)
{
    for (size_t i = 0; i < k; i++) {
        if (i == length || line[i] == '?') return -1; /* a shorter name sorts first */
        int a = UpperAscii((unsigned char)line[i]), b = UpperAscii((unsigned char)key[i]);
        if (a != b) return a < b ? -1 : 1;
    }
    return 0;
}

int ViewCheckOrder(IndexView *v, char *previous, const IndexFields *f)
{
    /* names cut to one length keep their order, so the cut names of a sorted file never fall */
    size_t n = f->nameLength < NAME_SIZE - 1 ? f->nameLength : NAME_SIZE - 1;
    const unsigned char *a = (const unsigned char *)previous, *b = (const unsigned char *)f->name;
    size_t i = 0;
    /* neighbours in a sorted file mostly share a long beginning: pass it eight bytes at a time
       (previous is NAME_SIZE bytes, so both reads stay inside their texts) */
    for (uint64_t x, y; i + 8 <= n; i += 8) {
        memcpy(&x, a + i, 8);
        memcpy(&y, b + i, 8);
        if (x != y) break;
    }
    for (;; i++) {
        int x = a[i], y = i < n ? b[i] : 0;
        if (x == y) {
            if (x == 0) break;
            continue;
        }
        x = UpperAscii(x);
        y = UpperAscii(y);
        if (x != y) {
            if (x > y) return Fail(v, VIEW_DAMAGED);
            break;
        }
    }
    memcpy(previous, f->name, n);
    previous[n] = '\0';
    return 0;
}

int ViewBound(IndexView *v, const char *key, size_t k, int upper, uint64_t *at)
{
    /* Every line that starts before lo sorts before the bound; every line that starts at or
       after hi sorts at or after it. */
    uint64_t lo = 0, hi = v->size;
    while (lo < hi) {
        uint64_t mid = lo + (hi - lo) / 2, start = lo;
        if (mid > lo) { /* the first line that starts after mid - 1 */
            IndexLine skipped;
            int got = ViewLine(v, mid - 1, &skipped);
            if (got < 0) {
                /* mid - 1 may lie inside a line longer than a window: no valid index has one */
                return -1;
            }
            start = got == 0 ? hi : skipped.next;
            if (start > hi) start = hi;
        }
        if (start >= hi) {
            hi = mid; /* no line starts in [mid, hi) */
            continue;
        }
        IndexLine line;
        if (ViewLine(v, start, &line) <= 0) return -1;
        int c = CompareNameKey(line.text, line.length, key, k);
        if (upper ? c > 0 : c >= 0) hi = start;
        else lo = line.next;
    }
    *at = lo;
    return 0;
}

int WalkViewRun(IndexView *v, const char *filter, ViewEntryFn each, void *ctx)
{
    size_t k = strlen(filter);
    uint64_t at = 0, end = v->size;
    if (k > 0 && (ViewBound(v, filter, k, 0, &at) != 0 || ViewBound(v, filter, k, 1, &end) != 0))
        return -1;
    char previous[NAME_SIZE] = "";
    IndexLine line;
    for (int got; at < end; at = line.next) {
        if ((got = ViewLine(v, at, &line)) <= 0) return got < 0 ? -1 : 0;
        IndexFields f;
        if (!SplitIndexLine(line.text, line.text + line.length, &f)) continue;
        if (ViewCheckOrder(v, previous, &f) != 0) return -1;
        if (!each(ctx, &line)) break;
    }
    return 0;
}

int ViewLineEntry(const IndexLine *line, DefinitionEntry *e)
{
    char text[INDEX_LINE_SIZE];
    size_t n = line->length < sizeof text - 1 ? line->length : sizeof text - 1;
    memcpy(text, line->text, n);
    text[n] = '\0';
    return ParseLine(text, 0, e);
}

static int CountLine(void *ctx, const IndexLine *)
{
    ++*(int64_t *)ctx;
    return 1;
}

int IndexFileIsSound(const char *path, int64_t entries)
{
    IndexView v;
    int64_t counted = 0;
    int opened = OpenIndexView(&v, path);
    int sound = opened == 0 && WalkViewRun(&v, "", CountLine, &counted) == 0 && counted == entries;
    CloseIndexView(&v);
    return opened < 0 ? -1 : sound;
}
