/* files.cpp: the project and update index files: reading and writing them. */
#include <stdio.h>
#include <string.h>

#include "base/alloc.h"
#include "base/limits.h"
#include "base/text.h"
#include "base/variant.h"
#include "index/index.h"
#include "index/index_p.h"
#include "state/state.h"

/* A write time no file can have (year 60056): an update line without one never matches. */
static const FileTime UNKNOWN_TIME = {0xFFFFFFFFu, 0xFFFFFFFFu};

/* Reads decimal digits at *p; the value wraps like an unsigned 32-bit conversion. */
static uint32_t ReadNumber(const char **p)
{
    uint32_t v = 0;
    while (**p >= '0' && **p <= '9') v = v * 10u + (uint32_t)(*(*p)++ - '0');
    return v;
}

/* A field of a line (no NUL inside: the '?' search stopped before any) into a zeroed 64-byte
   field, cut to 63 bytes. */
static void CopyField(char *field, const char *text, size_t n)
{
    memcpy(field, text, n < NAME_SIZE - 1 ? n : NAME_SIZE - 1);
}

int SplitIndexLine(const char *line, const char *end, IndexFields *f)
{
    const char *q1 = FindByte(line, (size_t)(end - line), '?');
    const char *q2 = q1 != NULL ? FindByte(q1 + 1, (size_t)(end - q1 - 1), '?') : NULL;
    if (q2 == NULL) return 0;
    f->name = line;
    f->nameLength = (size_t)(q1 - line);
    f->file = q1 + 1;
    f->fileLength = (size_t)(q2 - q1 - 1);
    f->rest = q2 + 1;
    return 1;
}

int ParseLine(const char *line, int update, DefinitionEntry *e)
{
    IndexFields f;
    if (!SplitIndexLine(line, line + strlen(line), &f)) return -1;
    memset(e, 0, sizeof *e);
    CopyField(e->name, f.name, f.nameLength);
    CopyField(e->file, f.file, f.fileLength);
    const char *p = f.rest;
    uint32_t number = ReadNumber(&p);
    e->line = number <= (uint32_t)INT32_MAX ? number : (uint32_t)INT32_MAX; /* one a host can reach */
    if (!update) return 0;

    FileTime t = UNKNOWN_TIME;
    const char *q3 = strchr(p, '?');
    if (q3 != NULL && q3[1] >= '0' && q3[1] <= '9') {
        p = q3 + 1;
        uint32_t low = ReadNumber(&p);
        if (*p != '\0' && p[1] >= '0' && p[1] <= '9') {
            p++;
            t.low = low;
            t.high = ReadNumber(&p);
        }
    }
    SetEntryWriteTime(e, &t);
    return 0;
}

void StartLines(LineReader *r, FILE *f)
{
    r->f = f;
    r->pos = r->len = 0;
    r->ended = 0;
}

/* Keeps at least one whole line piece buffered while the file has more. */
static void Refill(LineReader *r)
{
    size_t left = r->len - r->pos;
    memmove(r->buf, r->buf + r->pos, left);
    r->pos = 0;
    r->len = left;
    size_t n = fread(r->buf + left, 1, sizeof r->buf - left, r->f);
    r->len += n;
    if (n == 0) r->ended = 1;
}

int NextLine(LineReader *r, char *line)
{
    if (r->len - r->pos < (size_t)LINE_PIECE && !r->ended) Refill(r);
    size_t avail = r->len - r->pos;
    if (avail == 0) return 0;
    size_t max = avail < (size_t)LINE_PIECE ? avail : (size_t)LINE_PIECE;
    const char *start = r->buf + r->pos;
    const char *lf = (const char *)memchr(start, '\n', max);
    size_t n = lf != NULL ? (size_t)(lf - start) + 1 : max;
    memcpy(line, start, n);
    line[n] = '\0';
    r->pos += n;
    return 1;
}

/* 0, or -1 when an entry could not be appended (the lines after it are still read). */
static int ReadIndexLines(FILE *f, BrowserState *st, int update)
{
    static LineReader reader; /* 256 KB: kept off the stack of the host's thread */
    StartLines(&reader, f);
    char line[INDEX_LINE_SIZE];
    int lines = 0, result = 0;
    while (NextLine(&reader, line)) {
        if (++lines % 100 == 0 && st->progress != NULL) st->progress(PROGRESS_LOAD, lines);
        DefinitionEntry e;
        if (ParseLine(line, update, &e) == 0 && AppendEntry(&e, st, update) != 0) result = -1;
    }
    return result;
}

int LoadIndex(BrowserState *st, int update)
{
    const char *name = update ? UPDATE_INDEX_NAME : st->indexFileName;
    FILE *f = st->fromEditor ? NULL : FileOpen(name, "rb");
    if (f != NULL) {
        int result = ReadIndexLines(f, st, update);
        fclose(f);
        return result;
    }
    if (update) return 1;
    st->filesScanned = 0;
    int result = ProjectScan("*.*", st);
    if (result > 0) return 1;
    SortTable(st);
    return result;
}

/* Index lines are formatted by hand into a large buffer: printf's format parsing cost more than
   everything else the writer does. A line is FormatIndexLine's and CR LF. */
enum { WRITE_CHUNK = 65536, LINE_ROOM = INDEX_LINE_ROOM + 2 };

struct LineWriter {
    FILE *f;
    size_t used;
    int failed;
    char buf[WRITE_CHUNK];
};

static void FlushWriter(LineWriter *w)
{
    if (w->used > 0 && fwrite(w->buf, 1, w->used, w->f) != w->used) w->failed = 1;
    w->used = 0;
}

static size_t PutField(char *out, const char *s)
{
    size_t n = strnlen(s, NAME_SIZE - 1);
    memcpy(out, s, n);
    return n;
}

static size_t PutNumber(char *out, uint32_t v)
{
    char digits[10];
    size_t n = 0, i = 0;
    do digits[n++] = (char)('0' + v % 10u);
    while ((v /= 10u) != 0);
    while (n > 0) out[i++] = digits[--n];
    return i;
}

size_t FormatIndexLine(char *out, const DefinitionEntry *e, int update)
{
    size_t n = PutField(out, e->name);
    out[n++] = '?';
    n += PutField(out + n, e->file);
    out[n++] = '?';
    n += PutNumber(out + n, e->line);
    if (update) {
        FileTime t = EntryWriteTime(e);
        out[n++] = '?';
        n += PutNumber(out + n, t.low);
        out[n++] = '?';
        n += PutNumber(out + n, t.high);
    }
    out[n] = '\0';
    return n;
}

static void PutLine(LineWriter *w, const DefinitionEntry *e, int update)
{
    if (w->used > sizeof w->buf - LINE_ROOM) FlushWriter(w);
    w->used += FormatIndexLine(w->buf + w->used, e, update);
    w->buf[w->used++] = '\r';
    w->buf[w->used++] = '\n';
}

static void StartWriter(LineWriter *w, FILE *f)
{
    w->f = f;
    w->used = 0;
    w->failed = 0;
}

static int FinishWriter(LineWriter *w)
{
    FlushWriter(w);
    return w->failed ? -1 : 0;
}

/* One sorted piece of the table: its entries in keys' order, or in their own order when there
   was no room for keys (the entries were then sorted in place). */
struct SortedRun {
    const DefinitionEntry *entries;
    const SortKey *keys;
    int count;
    int next;
};

static const DefinitionEntry *RunHead(const SortedRun *r)
{
    return r->keys != NULL ? r->keys[r->next].entry : &r->entries[r->next];
}

/* Merges the runs (pieces of the table in table order) into the project file. On a tie the
   earlier piece goes first, so the file is what one sort of the whole table would give. */
static void WriteMerged(LineWriter *w, SortedRun *runs, int n)
{
    for (;;) {
        SortedRun *best = NULL;
        for (int i = 0; i < n; i++) {
            if (runs[i].next >= runs[i].count) continue;
            if (best == NULL || CompareEntries(RunHead(&runs[i]), RunHead(best)) < 0)
                best = &runs[i];
        }
        if (best == NULL) return;
        if (best->keys != NULL && best->next + PREFETCH_AHEAD < best->count)
            Prefetch(best->keys[best->next + PREFETCH_AHEAD].entry);
        PutLine(w, RunHead(best), 0);
        best->next++;
    }
}

/* The update file: every piece of the table in table order. */
static int WriteUpdateLines(FILE *f, const BrowserState *st)
{
    static LineWriter w; /* 64 KB: kept off the stack of the host's thread */
    StartWriter(&w, f);
    for (int c = 0; c <= st->chunkCount; c++) {
        const DefinitionEntry *e = c < st->chunkCount ? st->chunks[c].entries : st->entries;
        int n = c < st->chunkCount ? st->chunks[c].count : st->count;
        for (int i = 0; i < n; i++) PutLine(&w, &e[i], 1);
    }
    return FinishWriter(&w);
}

/* The project file: each piece sorted on its own (through keys when there is room for them,
   else in place), then merged. */
static int WriteProjectLines(FILE *f, BrowserState *st)
{
    static LineWriter w;
    enum { LOCAL_RUNS = 16 }; /* a table of up to 8 million entries needs no allocation here */
    SortedRun local[LOCAL_RUNS];
    int n = st->chunkCount + 1, result = -1;
    SortedRun *runs = n <= LOCAL_RUNS ? local : (SortedRun *)MemAlloc((size_t)n * sizeof *runs);
    if (runs == NULL) return -1;
    for (int c = 0; c < n; c++) {
        DefinitionEntry *e = c < st->chunkCount ? st->chunks[c].entries : st->entries;
        int count = c < st->chunkCount ? st->chunks[c].count : st->count;
        runs[c].entries = e;
        runs[c].count = count;
        runs[c].next = 0;
        runs[c].keys = SortedOrder(e, count);
        if (runs[c].keys == NULL) SortEntries(e, count);
    }
    StartWriter(&w, f);
    WriteMerged(&w, runs, n);
    result = FinishWriter(&w);
    for (int c = 0; c < n; c++) MemFree((void *)runs[c].keys);
    if (runs != local) MemFree(runs);
    return result;
}

/* Closes f and reports whether everything written reached the file. */
static int CloseChecked(FILE *f)
{
    int failed = ferror(f);
    return (fclose(f) != 0 || failed) ? -1 : 0;
}

/* A temporary file beside the target, named after the process (two builds at once never share
   one) and created exclusively: a link planted under the name is never written through. */
FILE *CreateTempFile(char *name, size_t size, const char *base)
{
    FormatTruncated(name, size, "%s.%lu" TEMP_NAME_MARKER, base, CurrentProcessId());
    return FileCreateExclusive(name);
}

int WriteIndexFiles(BrowserState *st)
{
    char projectTemp[TEMP_NAME_SIZE], updateTemp[TEMP_NAME_SIZE];
    FILE *project = CreateTempFile(projectTemp, sizeof projectTemp, "zoltprj$");
    FILE *update = CreateTempFile(updateTemp, sizeof updateTemp, "zoltpru$");
    int result = (project != NULL && update != NULL) ? 0 : -1;
    if (result == 0) result = WriteUpdateLines(update, st);
    if (result == 0) result = WriteProjectLines(project, st);
    if (update != NULL && CloseChecked(update) != 0) result = -1;
    if (project != NULL && CloseChecked(project) != 0) result = -1;
    /* The project file goes first: a new project file beside an old update file only makes
       the next build rescan and rewrite both, never keeps a stale project index. */
    if (result == 0 && FileReplace(projectTemp, st->indexFileName) != 0) result = -1;
    if (result == 0) st->indexFilesReplaced++;
    if (result == 0 && FileReplace(updateTemp, UPDATE_INDEX_NAME) != 0) result = -1;
    if (result == 0) st->indexFilesReplaced++;
    if (result != 0) { /* only what this build created: the name may be another's planted file */
        if (project != NULL) (void)FileRemove(projectTemp);
        if (update != NULL) (void)FileRemove(updateTemp);
    }
    return result;
}
