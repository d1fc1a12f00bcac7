/* symbols.cpp: the names of a project index in memory, searched by a ranked match. */
#include <string.h>

#include "base/alloc.h"
#include "base/text.h"
#include "navigate/navigate.h"

void FreeNameTable(NameTable *t)
{
    CloseIndexView(&t->view);
    LargeBlockFree(t->folded);
    LargeBlockFree(t->wordStarts);
    LargeBlockFree(t->nameAt);
    LargeBlockFree(t->runAt);
    for (int k = 0; k < NAME_MASKS; k++) LargeBlockFree(t->masks[k]);
    memset(t, 0, sizeof *t);
}

/* Resizes *block from used to want bytes: 0, or -1 (the block as it was). */
static int Grow(void *block, size_t used, size_t want)
{
    void **b = (void **)block;
    void *grown = LargeBlockResize(*b, used, want);
    if (grown == NULL) return -1;
    *b = grown;
    return 0;
}

/* Makes room for one more name of n bytes and its NUL: 0, or -1 when memory ran out. */
static int Reserve(NameTable *t, size_t n, size_t *bytesCap, int *namesCap)
{
    if (t->bytes + n + 1 > *bytesCap) {
        size_t want = *bytesCap + *bytesCap / 2 + n + 1;
        size_t keep = t->wordStarts == NULL ? 0 : t->bytes / 8 + 1; /* bytes holding bits */
        if (Grow(&t->folded, t->bytes, want) != 0 || Grow(&t->wordStarts, keep, want / 8 + 1) != 0)
            return -1;
        memset(t->wordStarts + keep, 0, want / 8 + 1 - keep);
        *bytesCap = want;
    }
    if (t->count == *namesCap) {
        int want = *namesCap + *namesCap / 2;
        if (want <= *namesCap) return -1;
        if (Grow(&t->nameAt, (size_t)t->count * sizeof(uint32_t),
                 (size_t)want * sizeof(uint32_t)) != 0 ||
            Grow(&t->runAt, (size_t)t->count * sizeof(uint64_t), (size_t)want * sizeof(uint64_t)) !=
                0 ||
            Grow(&t->masks[0], (size_t)t->count * sizeof(uint64_t),
                 (size_t)want * sizeof(uint64_t)) != 0 ||
            Grow(&t->masks[1], (size_t)t->count * sizeof(uint64_t),
                 (size_t)want * sizeof(uint64_t)) != 0 ||
            Grow(&t->masks[2], (size_t)t->count * sizeof(uint64_t),
                 (size_t)want * sizeof(uint64_t)) != 0)
            return -1;
        *namesCap = want;
    }
    return 0;
}

/* The bit of one folded character, and of one pair of adjacent ones, in a name's masks. */
static uint64_t CharBit(unsigned char c)
{
    if (c >= 'A' && c <= 'Z') return 1ull << (c - 'A');
    if (c >= '0' && c <= '9') return 1ull << (26 + c - '0');
    return 1ull << (36 + c % 28);
}

static uint64_t PairBit(unsigned char a, unsigned char b)
{
    return 1ull << (((unsigned)a * 2654435761u ^ (unsigned)b * 40503u) >> 26);
}

/* The characters of a folded text, and its adjacent pairs: a name holds a text in order only
   when it has all its characters, and as a substring only when it has all its pairs too. */
static void TextMasks(const char *text, size_t n, uint64_t *chars, uint64_t *pairs)
{
    *chars = *pairs = 0;
    for (size_t i = 0; i < n; i++) {
        *chars |= CharBit((unsigned char)text[i]);
        if (i > 0) *pairs |= PairBit((unsigned char)text[i - 1], (unsigned char)text[i]);
    }
}

/* Where a query may start a word of the name: its start, after '_', and where a lower-case
   letter is followed by an upper-case one. Returns the characters that start its words. */
static uint64_t MarkWordStarts(NameTable *t, const char *name, const char *folded, size_t n)
{
    uint64_t starts = 0;
    for (size_t i = 0; i < n; i++) {
        unsigned char a = i > 0 ? (unsigned char)name[i - 1] : '_', b = (unsigned char)name[i];
        if ((a == '_' && b != '_') || (a >= 'a' && a <= 'z' && b >= 'A' && b <= 'Z')) {
            size_t bit = t->bytes + i;
            t->wordStarts[bit / 8] = (unsigned char)(t->wordStarts[bit / 8] | (1u << (bit % 8)));
            starts |= CharBit((unsigned char)folded[i]);
        }
    }
    return starts;
}

int LoadNameTable(NameTable *t, const char *indexPath)
{
    memset(t, 0, sizeof *t);
    int opened = OpenIndexView(&t->view, indexPath);
    if (opened != 0) return opened > 0 ? NAMES_NO_INDEX : NAMES_NO_MEMORY;
    /* the names take about a sixth of an index's bytes */
    size_t bytesCap = 0;
    int namesCap = (int)(t->view.size / 200 < 1024 ? 1024 : t->view.size / 200);
    if (Grow(&t->nameAt, 0, (size_t)namesCap * sizeof(uint32_t)) != 0 ||
        Grow(&t->runAt, 0, (size_t)namesCap * sizeof(uint64_t)) != 0 ||
        Grow(&t->masks[0], 0, (size_t)namesCap * sizeof(uint64_t)) != 0 ||
        Grow(&t->masks[1], 0, (size_t)namesCap * sizeof(uint64_t)) != 0 ||
        Grow(&t->masks[2], 0, (size_t)namesCap * sizeof(uint64_t)) != 0 ||
        Reserve(t, (size_t)(t->view.size / 6), &bytesCap, &namesCap) != 0) {
        FreeNameTable(t);
        return NAMES_NO_MEMORY;
    }
    char previous[NAME_SIZE] = "";
    IndexLine line;
    int got;
    uint64_t at = 0;
    const char *last = NULL; /* the folded name of the last run */
    while ((got = ViewLine(&t->view, at, &line)) == 1) {
        at = line.next;
        IndexFields f;
        if (!SplitIndexLine(line.text, line.text + line.length, &f)) continue; /* no entry */
        if (ViewCheckOrder(&t->view, previous, &f) != 0) break;
        if (f.nameLength == 0) continue; /* a file's placeholder */
        size_t n = f.nameLength < NAME_SIZE - 1 ? f.nameLength : NAME_SIZE - 1;
        char folded[NAME_SIZE];
        for (size_t i = 0; i < n; i++) folded[i] = (char)UpperAscii((unsigned char)f.name[i]);
        folded[n] = '\0';
        if (last != NULL && strcmp(last, folded) == 0) continue; /* the same run */
        if (t->bytes + n + 1 > UINT32_MAX || Reserve(t, n, &bytesCap, &namesCap) != 0) {
            FreeNameTable(t);
            return NAMES_NO_MEMORY;
        }
        t->nameAt[t->count] = (uint32_t)t->bytes;
        t->runAt[t->count] = line.start;
        memcpy(t->folded + t->bytes, folded, n + 1);
        TextMasks(folded, n, &t->masks[0][t->count], &t->masks[1][t->count]);
        t->masks[2][t->count] = MarkWordStarts(t, f.name, folded, n);
        last = t->folded + t->bytes;
        t->bytes += n + 1;
        t->count++;
    }
    if (got < 0 || t->view.fault != VIEW_OK) {
        FreeNameTable(t);
        return NAMES_DAMAGED;
    }
    return NAMES_LOADED;
}

/* --- the ranked search --- */

static int IsWordStart(const NameTable *t, size_t at)
{
    return (t->wordStarts[at / 8] >> (at % 8)) & 1;
}

/* How the name at [s, e) of the folded names, which holds the folded query q (m bytes) as
   characters in order, matches it beyond that: a word start, a substring, or in order only. A
   query that begins with '_' starts a word where the word after its '_' starts. The names are
   short: a plain search beats the library's, which prepares for long texts. */
static int RankBeyondPrefix(const NameTable *t, size_t s, size_t e, const char *q, size_t m)
{
    const char *blob = t->folded;
    int found = 0;
    size_t shift = q[0] == '_' && m > 1 ? 1 : 0;
    for (size_t i = s; i + m <= e; i++) {
        if (blob[i] != q[0] || memcmp(blob + i + 1, q + 1, m - 1) != 0) continue;
        if (IsWordStart(t, i + shift)) return RANK_WORD;
        found = 1;
    }
    return found ? RANK_SUBSTRING : RANK_IN_ORDER;
}

/* 1 when the folded query q (m bytes) stands at a word start of the name at [s, e): only the
   few marked positions are compared, as a search does once enough substrings are kept. */
static int MatchesAtWordStart(const NameTable *t, size_t s, size_t e, const char *q, size_t m)
{
    size_t shift = q[0] == '_' && m > 1 ? 1 : 0;
    for (size_t w = s + shift; w < e;) {
        unsigned bits = (unsigned)t->wordStarts[w / 8] >> (w % 8);
        if (bits == 0) {
            w = (w / 8 + 1) * 8;
            continue;
        }
        w += (size_t)__builtin_ctz(bits);
        if (w >= e) break;
        size_t i = w - shift;
        if (i + m <= e && memcmp(t->folded + i, q, m) == 0) return 1;
        w++;
    }
    return 0;
}

/* The first name at or after the folded key (m bytes) in the table's order. */
static int LowerBound(const NameTable *t, const char *q, size_t m)
{
    int lo = 0, hi = t->count;
    while (lo < hi) {
        int mid = lo + (hi - lo) / 2;
        if (strncmp(t->folded + t->nameAt[mid], q, m) < 0) lo = mid + 1;
        else hi = mid;
    }
    return lo;
}

/* Appends the index lines of run i to the hits, at most cap in all. 0, or -1 when the view
   failed (the file changed under it). */
static int AddRun(NameTable *t, int i, int rank, SymbolHit *hits, int cap, int *count)
{
    const char *folded = t->folded + t->nameAt[i];
    uint64_t at = t->runAt[i];
    IndexLine line;
    while (*count < cap) {
        int got = ViewLine(&t->view, at, &line);
        if (got <= 0) return got;
        at = line.next;
        IndexFields f;
        if (!SplitIndexLine(line.text, line.text + line.length, &f)) continue;
        size_t n = f.nameLength < NAME_SIZE - 1 ? f.nameLength : NAME_SIZE - 1;
        size_t k = 0;
        while (k < n && folded[k] != '\0' && UpperAscii((unsigned char)f.name[k]) == folded[k]) k++;
        if (k != n || folded[k] != '\0') break; /* the run is over */
        DefinitionEntry e; /* the fields as every reader of an index line takes them */
        (void)ViewLineEntry(&line, &e);
        SymbolHit *h = &hits[(*count)++];
        memcpy(h->name, e.name, sizeof h->name);
        memcpy(h->file, e.file, sizeof h->file);
        h->line = (int32_t)e.line;
        h->rank = rank;
    }
    return 0;
}

int SearchNameTable(NameTable *t, const char *query, int cap, SymbolHit *hits, int *count,
                    int (*stop)(void *), void *stopData)
{
    *count = 0;
    if (t->count == 0 || cap <= 0) return 0;
    char q[NAME_SIZE];
    size_t m = strlen(query);
    if (m > NAME_SIZE - 1) m = NAME_SIZE - 1; /* no name is longer */
    for (size_t i = 0; i < m; i++) q[i] = (char)UpperAscii((unsigned char)query[i]);
    q[m] = '\0';
    /* the exact and prefix names lie together where the index sorts the query */
    int first = LowerBound(t, q, m), end = first;
    while (end < t->count && strncmp(t->folded + t->nameAt[end], q, m) == 0) end++;
    for (int rank = RANK_EXACT; rank <= RANK_PREFIX; rank++)
        for (int i = first; i < end && *count < cap; i++) {
            const char *f = t->folded + t->nameAt[i];
            if ((f[m] == '\0') != (rank == RANK_EXACT)) continue;
            if (AddRun(t, i, rank, hits, cap, count) != 0) return -1;
        }
    if (*count >= cap || m == 0) return 0;
    /* the others: a first pass ranks the names that hold the query as a substring (at most
       `room` of each rank kept, since a name gives one entry at least; it ends once the word
       starts alone fill the room), and only when those leave room, a second pass takes the
       names that hold its characters in order, as far as they fill it */
    int room = cap - *count;
    int *ranked = (int *)MemAlloc(3 * (size_t)room * sizeof(int));
    if (ranked == NULL) return -1;
    int kept[3] = {0, 0, 0};
    uint64_t qChars, qPairs;
    TextMasks(q, m, &qChars, &qPairs);
    uint64_t qStart = CharBit((unsigned char)q[q[0] == '_' && m > 1 ? 1 : 0]);
    for (int pass = 0; pass < 2; pass++) {
        if (pass == 1 && kept[0] + kept[1] >= room) break;
        for (int i = 0; i < t->count; i++) {
            if (i == first) i = end; /* the exact and prefix names are in already */
            if (i >= t->count) break;
            if ((i & 0xFFFF) == 0 && stop != NULL && stop(stopData)) break;
            /* each mask apart, so that a pass reads only the ones it tests */
            if ((t->masks[0][i] & qChars) != qChars) continue;
            bool hasPairs = (t->masks[1][i] & qPairs) == qPairs;
            if (pass == 0 && !hasPairs) continue;
            bool wordsOnly = pass == 0 && kept[1] >= room; /* substrings enough: word starts only */
            if (wordsOnly && (t->masks[2][i] & qStart) == 0) continue;
            size_t s = t->nameAt[i];
            size_t e = i + 1 < t->count ? t->nameAt[i + 1] - 1 : t->bytes - 1;
            if (pass == 1) { /* the characters in order, the first of each as soon as it comes */
                size_t j = 0;
                for (size_t k = s; k < e && j < m; k++)
                    if (t->folded[k] == q[j]) j++;
                if (j < m) continue;
            }
            int rank;
            if (wordsOnly) rank = MatchesAtWordStart(t, s, e, q, m) ? RANK_WORD : RANK_IN_ORDER;
            else if (!hasPairs) rank = RANK_IN_ORDER; /* no substring */
            else rank = RankBeyondPrefix(t, s, e, q, m);
            if ((pass == 0) == (rank == RANK_IN_ORDER)) continue;
            int r = rank - RANK_WORD;
            if (kept[r] < room) ranked[r * room + kept[r]++] = i;
            if (pass == 0 && kept[0] >= room) break;
            if (pass == 1 && kept[0] + kept[1] + kept[2] >= room) break;
        }
    }
    int result = 0;
    for (int r = 0; r < 3 && result == 0; r++)
        for (int k = 0; k < kept[r] && *count < cap && result == 0; k++)
            result = AddRun(t, ranked[r * room + k], RANK_WORD + r, hits, cap, count);
    MemFree(ranked);
    return result;
}
