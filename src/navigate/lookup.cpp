/* lookup.cpp: the word's definition through the project index files up the directory tree. */
#include <stdio.h>
#include <string.h>

#include "base/alloc.h"
#include "base/limits.h"
#include "base/text.h"
#include "base/variant.h"
#include "host/host.h"
#include "index/index.h"
#include "navigate/navigate.h"
#include "platform/platform.h"
#include "state/state.h"

/* The end of the line at p: its LF, a NUL (the text ends there), or the end of the text. */
static const char *LineEnd(const char *p, const char *end)
{
    while (p < end && *p != '\0' && *p != '\n') p++;
    return p;
}

/* Decimal after leading blanks, with an optional sign, clamped to the int32 range; never reads
   past the line's end (a missing number must not pick up the next line's digits). */
static int32_t ParseLineNumber(const char *p, const char *end)
{
    while (p < end && (*p == ' ' || *p == '\t')) p++;
    int negative = p < end && *p == '-';
    if (p < end && (*p == '-' || *p == '+')) p++;
    long long v = 0;
    for (; p < end && *p >= '0' && *p <= '9'; p++)
        if (v <= INT32_MAX) v = v * 10 + (*p - '0');
    if (v > INT32_MAX) v = INT32_MAX;
    return (int32_t)(negative ? -v : v);
}

static int ParseIndexLineIn(const char *line, const char *textEnd, IndexMatch *m)
{
    memset(m, 0, sizeof *m);
    const char *end = LineEnd(line, textEnd);
    IndexFields f;
    if (!SplitIndexLine(line, end, &f)) return 0;
    CopyTruncatedN(m->name, sizeof m->name, f.name, f.nameLength);
    CopyTruncatedN(m->file, sizeof m->file, f.file, f.fileLength);
    m->line = ParseLineNumber(f.rest, end);
    if (m->line < 0) m->line = 0; /* a damaged line: it leads nowhere, like line 0 */
    FormatTruncated(m->menuText, sizeof m->menuText, " %-30s %-34s %u", m->name, m->file,
                    (unsigned)m->line);
    return 1;
}

int ParseIndexLine(const char *line, IndexMatch *m)
{
    return ParseIndexLineIn(line, line + strlen(line), m);
}

/* The line begins with word (n bytes) through FoldCase; text that ends first is a difference. */
static int LineBeginsWith(const char *line, const char *end, const char *word, int n)
{
    return end - line >= n && FoldedCompareN(line, word, n) == 0;
}

/* No index this program writes holds such a FILE; following one would open files anywhere. */
int IsPathOutsideIndex(const char *file)
{
    if (file[0] == '\\' || file[0] == '/' || (file[0] != '\0' && file[1] == ':')) return 1;
    for (const char *p = file; *p != '\0';) {
        size_t n = strcspn(p, "\\/");
        if (n == 2 && p[0] == '.' && p[1] == '.') return 1;
        p += n;
        if (*p != '\0') p++;
    }
    return 0;
}

/* The run of lines beginning with word, met one line at a time: the file is sorted, so lines
   before the first one with the word's initial are passed over by one byte, and the matching
   lines form one run. */
struct RunScan {
    const char *word;
    int length;
    int initial; /* the word's first byte, folded */
    int active;  /* a line with that initial was met */
    int count;
    IndexMatch *matches; /* MATCH_MAX of them */
};

static void StartRun(RunScan *r, const char *word, IndexMatch *matches)
{
    r->word = word;
    r->length = (int)strlen(word);
    r->initial = FoldCase((unsigned char)word[0]);
    r->active = 0;
    r->count = 0;
    r->matches = matches;
}

/* One line [line, end): 1 to go on, 0 when the run is over or full. */
static int RunLine(RunScan *r, const char *line, const char *end)
{
    if (!r->active) r->active = line < end && FoldCase((unsigned char)line[0]) == r->initial;
    if (!r->active) return 1;
    if (LineBeginsWith(line, end, r->word, r->length)) {
        /* a line without fields still counts, as a match that leads nowhere */
        (void)ParseIndexLineIn(line, end, &r->matches[r->count]);
        return ++r->count < MATCH_MAX;
    }
    return r->count == 0;
}

/* Fills matches[] from the run of lines beginning with word; returns how many (<= MATCH_MAX). */
static int ScanRun(const char *word, const char *text, const char *end, IndexMatch *matches)
{
    RunScan r;
    StartRun(&r, word, matches);
    for (const char *line = text; line < end && *line != '\0';) {
        if (!RunLine(&r, line, end)) break;
        line = LineEnd(line, end);
        if (line < end && *line != '\0') line++;
    }
    return r.count;
}

/* The bytes of the word that order the index's lines: its leading ASCII part, since other bytes
   fold differently in the sort and in the comparison with the word. */
static size_t OrderingPrefix(const char *word)
{
    size_t k = 0;
    while (word[k] != '\0' && (unsigned char)word[k] < 0x80 && word[k] != '?' && word[k] != '\n' &&
           word[k] != '\r')
        k++;
    return k;
}

size_t IndexRunStart(const char *text, size_t length, const char *word)
{
    size_t k = OrderingPrefix(word);
    if (k == 0) return 0;
    size_t lo = 0, hi = length; /* lines starting before lo sort before the prefix */
    while (lo < hi) {
        size_t start = lo + (hi - lo) / 2;
        while (start > lo && text[start - 1] != '\n') start--;
        const char *lineEnd = LineEnd(text + start, text + length);
        if (CompareNameKey(text + start, (size_t)(lineEnd - (text + start)), word, k) >= 0) {
            hi = start;
        } else {
            const char *lf = (const char *)memchr(text + start, '\n', hi - start);
            lo = lf != NULL ? (size_t)(lf - text) + 1 : hi;
        }
    }
    return lo;
}

/* The run of a large sorted index, read where it lies: found by halves, and read only as far
   as the lines begin with the word's ordering prefix, so that any file answers in a few reads.
   The count of matches, or -1 when the file is not a sorted index or could not be read. */
static int ViewRun(IndexView *v, const char *word, IndexMatch *matches)
{
    size_t k = OrderingPrefix(word);
    uint64_t at = 0;
    if (k > 0 && ViewBound(v, word, k, 0, &at) != 0) return -1;
    RunScan r;
    StartRun(&r, word, matches);
    IndexLine line;
    char previous[NAME_SIZE] = "";
    int got;
    while ((got = ViewLine(v, at, &line)) == 1) {
        IndexFields f;
        if (SplitIndexLine(line.text, line.text + line.length, &f) &&
            ViewCheckOrder(v, previous, &f) != 0)
            return -1;
        if (k > 0 && CompareNameKey(line.text, line.length, word, k) != 0) break;
        if (!RunLine(&r, line.text, line.text + line.length)) break;
        at = line.next;
    }
    return got < 0 ? -1 : r.count;
}

/* Offers the matchCount matches found: 1 when one was chosen (candidatePath = its FILE, or ""
   when that leaves the index's directory; foundLine = its LINE). A cancelled choice sets
   *cancelled. */
static int ChooseMatch(BrowserState *st, const IndexMatch *matches, int *cancelled)
{
    int chosen = -2; /* nothing chosen, nothing cancelled */
    if (st->matchCount == 1) chosen = 0;
    else if (st->matchCount >= 2 && st->choose != NULL)
        chosen = st->choose(matches, st->matchCount);
    if (chosen == -1) *cancelled = 1;
    if (chosen >= st->matchCount) chosen = -2;
    if (chosen >= 0) {
        const char *file = IsPathOutsideIndex(matches[chosen].file) ? "" : matches[chosen].file;
        CopyTruncated(st->candidatePath, sizeof st->candidatePath, file);
        st->foundLine = matches[chosen].line;
    }
    return chosen >= 0;
}

/* About 800 KB: never on the stack. Null when there is no memory. */
static IndexMatch *NewMatches(void)
{
    return (IndexMatch *)MemAlloc(MATCH_MAX * sizeof(IndexMatch));
}

static int CollectMatchesIn(BrowserState *st, const char *word, const char *text, const char *end,
                            int *cancelled)
{
    st->matchCount = 0;
    if (word[0] == '\0') return 0;
    IndexMatch *matches = NewMatches();
    if (matches == NULL) return 0;
    st->matchCount = ScanRun(word, text, end, matches);
    int chosen = ChooseMatch(st, matches, cancelled);
    MemFree(matches);
    return chosen;
}

int CollectMatches(BrowserState *st, const char *word, const char *text, int *cancelled)
{
    return CollectMatchesIn(st, word, text, text + strlen(text), cancelled);
}

int ReadWholeFile(const char *path, char **text, size_t *length)
{
    *text = NULL;
    *length = 0;
    FILE *f = FileOpen(path, "rb");
    if (f == NULL) return 0;
    char *buf = NULL;
    long size = -1;
    if (fseek(f, 0, SEEK_END) == 0) size = ftell(f);
    int ok = size > 0 && size <= INDEX_FILE_MAX && fseek(f, 0, SEEK_SET) == 0;
    if (ok) ok = (buf = (char *)MemAlloc((size_t)size + 1)) != NULL;
    if (ok) ok = fread(buf, 1, (size_t)size, f) == (size_t)size;
    if (fclose(f) != 0) ok = 0;
    if (!ok) {
        MemFree(buf);
        return 0;
    }
    buf[size] = '\0';
    *text = buf;
    *length = (size_t)size;
    return 1;
}

int IndexPathFor(BrowserState *st, int hasDir, const char *dir)
{
    if (!hasDir)
        return !CopyTruncated(st->candidatePath, sizeof st->candidatePath, PROJECT_INDEX_NAME);
    char path[LOOKUP_PATH_SIZE];
    if (!JoinIfFits(path, sizeof path, dir, "\\") ||
        !JoinIfFits(st->candidatePath, sizeof st->candidatePath, path, PROJECT_INDEX_NAME)) {
        st->candidatePath[0] = '\0'; /* the try then reads nothing */
        return 0;
    }
    return 1;
}

int ParentDirectory(const char *path, char *dir, size_t size)
{
    const char *slash = strrchr(path, '\\');
    if (slash == NULL) return 0;
    size_t n = (size_t)(slash - path);
    if (n >= size) return -1;
    memmove(dir, path, n);
    dir[n] = '\0';
    return 1;
}

int ReadIndexMatches(const char *path, const char *word, IndexMatch *matches, int *fault)
{
    int count = -1;
    IndexView view;
    memset(&view, 0, sizeof view);
    /* a large index is sorted and read where it lies, from the line where its run can begin; a
       small one is read whole and searched from its start */
    if (!ZOLT_PLAIN && OpenIndexView(&view, path) == 0 && view.size >= BISECT_MIN) {
        count = word[0] == '\0' ? 0 : ViewRun(&view, word, matches);
        if (count < 0) *fault = 1;
        if (count < 0) count = 0;
    } else {
        char *text;
        size_t length;
        if (ReadWholeFile(path, &text, &length))
            count = word[0] == '\0' ? 0 : ScanRun(word, text, text + strlen(text), matches);
        MemFree(text);
    }
    CloseIndexView(&view);
    return count;
}

int TryIndexFile(BrowserState *st, const char *word, const char *dir, char *result,
                 size_t resultSize, int joinDir, int *cancelled)
{
    if (st->candidatePath[0] == '\0') return 0;
    IndexMatch *matches = NewMatches();
    if (matches == NULL) return 0;
    int count = ReadIndexMatches(st->candidatePath, word, matches, &st->indexFault);
    int found = 0;
    if (count >= 0) {
        st->matchCount = count;
        found = ChooseMatch(st, matches, cancelled);
    }
    MemFree(matches);
    if (!found) return 0;
    result[0] = '\0';
    if (st->candidatePath[0] == '\0') return 1; /* a matching line without fields */
    if (!joinDir) {
        CopyTruncated(result, resultSize, st->candidatePath);
    } else {
        char withSlash[LOOKUP_PATH_SIZE];
        if (JoinIfFits(withSlash, sizeof withSlash, dir, "\\"))
            (void)JoinIfFits(result, resultSize, withSlash, st->candidatePath);
    }
    return 1;
}

/* Own directory, parent and grandparent. 1 when a match was chosen. *atTop is set when the
   last directory tried was the root (or, for a name without backslash, the current directory):
   the root try then has nothing left to add. */
static int ClimbDirectories(BrowserState *st, const char *word, const char *fileName, char *result,
                            size_t resultSize, int *cancelled, int *atTop)
{
    char dir[LOOKUP_PATH_SIZE] = "";
    if (strlen(fileName) >= sizeof dir) return 0; /* no path built from it would fit */
    /* without any backslash the index and the name are both taken from the current directory */
    int hasDir = ParentDirectory(fileName, dir, sizeof dir) == 1;
    (void)IndexPathFor(st, hasDir, dir);
    if (dir[0] == '\0') *atTop = 1;
    if (TryIndexFile(st, word, dir, result, resultSize, hasDir, cancelled)) return 1;
    for (int level = 0; level < 2 && !*atTop; level++) {
        /* a bare drive ("C:") has no parent: the climb ends, the root try follows */
        if (ParentDirectory(dir, dir, sizeof dir) != 1) return 0;
        (void)IndexPathFor(st, 1, dir);
        if (dir[0] == '\0') *atTop = 1;
        if (TryIndexFile(st, word, dir, result, resultSize, 1, cancelled)) return 1;
    }
    return 0;
}

int LookupInIndexFiles(BrowserState *st)
{
    EditorInfo info;
    char word[WORD_SIZE];
    int got = WordAtCursor(&info, word);
    if (got <= 0) return got < 0 ? LOOKUP_NO_MEMORY : LOOKUP_NO_WORD;

    const char *fileName = info.FileName != NULL ? info.FileName : "";
    char result[LOOKUP_PATH_SIZE] = "";
    int cancelled = 0, atTop = 0;
    int found = ClimbDirectories(st, word, fileName, result, sizeof result, &cancelled, &atTop);
    if (!found && !atTop && !HostCmpName(MACRO_FILE_MASK, fileName, 1)) {
        (void)IndexPathFor(st, 1, "");
        found = TryIndexFile(st, word, "", result, sizeof result, 1, &cancelled);
    }
    /* a negative line comes only from a damaged file; it would mean "no position" to the host */
    if (found && result[0] != '\0' && st->foundLine > 0) {
        if (CompareAsciiNoCase(result, fileName) != 0) {
            int opened = HostEditor(result, st->foundLine, 1);
            if (opened == EEC_OPEN_ERROR || opened == EEC_LOADING_INTERRUPTED)
                return LOOKUP_NOT_OPENED;
        } else {
            PositionEditor(&info, st->foundLine - 1, 0);
        }
        return LOOKUP_OPENED;
    }
    if (cancelled) return LOOKUP_CANCELLED;
    return st->indexFault ? LOOKUP_DAMAGED_INDEX : LOOKUP_NOT_FOUND;
}
