/* recognizer.cpp: finds C/C++ definitions in the reader's folded statement stream. */
#include <string.h>

#include "base/limits.h"
#include "base/text.h"
#include "scanner/scanner_p.h"
#include "state/state.h"

enum {
    NO_LIMIT = -1,
    NEXT_STATEMENT = 0x100 /* not a reader value: collect the next statement before recording */
};

/* What the statement loop carries from statement to statement within one file. */
struct Candidate {
    char name[NAME_SIZE];     /* current name */
    char previous[NAME_SIZE]; /* restored when a candidate is rejected */
    int line;                 /* line that goes with the current name */
    int pending;              /* a definition waits to be recorded */
    int kind;                 /* DefinitionKind of the current name */
    int previousKind;
};

/* c may be a ScanCode: test the sign before anything else. */
static int IsSpaceClass(int c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

static int IsDigit(int c)
{
    return c >= '0' && c <= '9';
}

static int IsLetter(int c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

static int IsStoredMarker(unsigned char c)
{
    return c == STORED_LITERAL || c == STORED_BRACKET_GROUP;
}

/* The stored markers end a word too, so that "Name[16]" yields Name and never a marker byte. */
static int IsWordDelimiter(unsigned char c)
{
    return c == '\0' || c == '\t' || c == '\n' || c == ' ' || c == ',' || c == ':' || c == ';' ||
           c == '<' || c == '>' || c == '{' || c == 0xFF || IsStoredMarker(c);
}

static int IsSkippableDelimiter(unsigned char c)
{
    return c == '\t' || c == '\n' || c == ' ' || c == ',' || c == ':' || c == ';' || c == '<' ||
           c == '>' || c == '{' || IsStoredMarker(c);
}

/* Copies the word at s[pos] into out (size bytes, a longer word is cut) moving by step; with a
   limit, stops once the position is at or before it. Returns where it stopped. */
static int ScanWord(const char *s, int pos, char *out, size_t size, int step, int limit)
{
    size_t n = 0;
    while (pos >= 0 && !IsWordDelimiter((unsigned char)s[pos])) {
        if (out != NULL && n + 1 < size) out[n++] = s[pos];
        pos += step;
        if (limit != NO_LIMIT && pos <= limit) break;
    }
    if (out != NULL && size > 0) out[n] = '\0';
    return pos;
}

static int SkipDelimiters(const char *s, int pos, int step, int limit)
{
    while (pos >= 0 && IsSkippableDelimiter((unsigned char)s[pos])) {
        pos += step;
        if (limit != NO_LIMIT && pos <= limit) break;
    }
    return pos;
}

/* The last word of a typedef statement, or null. */
static char *ExtractTypedefName(const char *stmt, char *out)
{
    if (strstr(stmt, "typedef") == NULL) return NULL;
    int last = SkipDelimiters(stmt, (int)strlen(stmt) - 1, -1, 0);
    int stop = ScanWord(stmt, last, NULL, 0, -1, 0);
    if (stop >= last) return NULL;
    /* the word is stmt[stop + 1 .. last]; keep its first 63 characters in reading order */
    CopyTruncatedN(out, NAME_SIZE, stmt + stop + 1, (size_t)(last - stop));
    return out;
}

/* c, just read raw, opens a comment: then both characters are given back to the reader. */
static int IsCommentStart(int c, Source *src, BrowserState *st)
{
    if (c != '/') return 0;
    int next = NextRawChar(src, st);
    (void)UngetChar(next, src, st);
    if (next != '*' && next != '/') return 0;
    (void)UngetChar(c, src, st);
    return 1;
}

/* The name written after a closing brace, read raw: up to a blank or ';'. A line end or a comment
   after the name is given back, so that the reader counts the line and drops the comment, and
   the name never spans lines or holds a comment marker. */
static void ReadNameAfterBrace(Source *src, char *out, BrowserState *st)
{
    int c = NextRawChar(src, st);
    while (c == ' ' || c == '\n' || c == '\t') {
        if (c == '\n') st->lineNo++;
        c = NextRawChar(src, st);
    }
    size_t n = 0;
    while (c != SCAN_EOF && c != ';' && !IsSpaceClass(c) && !IsCommentStart(c, src, st)) {
        if (n + 1 < NAME_SIZE) out[n++] = (char)c;
        c = NextRawChar(src, st);
    }
    out[n] = '\0';
    if (c == '\n') (void)UngetChar(c, src, st);
}

/* struct/enum/class statement before a brace block: the name after the brace, else the tag
   (either may be empty), and which keyword it was; null when the statement has none of them. */
static char *ExtractTagName(Source *src, const char *stmt, char *out, int *kind, BrowserState *st)
{
    static const struct {
        const char *word;
        int kind;
    } TAGS[] = {{"struct", DEF_KIND_STRUCT}, {"enum", DEF_KIND_ENUM}, {"class", DEF_KIND_CLASS}};
    const char *keyword = NULL;
    for (size_t i = 0; i < sizeof TAGS / sizeof TAGS[0] && keyword == NULL; i++) {
        keyword = strstr(stmt, TAGS[i].word);
        *kind = TAGS[i].kind;
    }
    if (keyword == NULL) return NULL;
    char tag[NAME_SIZE];
    int pos = ScanWord(stmt, (int)(keyword - stmt), NULL, 0, +1, NO_LIMIT);
    pos = SkipDelimiters(stmt, pos, +1, NO_LIMIT);
    pos = ScanWord(stmt, pos, tag, sizeof tag, +1, NO_LIMIT);
    if (strcmp(tag, "class") == 0 && strncmp(keyword, "enum", 4) == 0) { /* enum class Name */
        pos = SkipDelimiters(stmt, pos, +1, NO_LIMIT);
        ScanWord(stmt, pos, tag, sizeof tag, +1, NO_LIMIT);
    }
    ReadNameAfterBrace(src, out, st);
    if (out[0] == '\0' && tag[0] != '\0') CopyTruncated(out, NAME_SIZE, tag);
    return out;
}

static char *ExtractDefineName(BrowserState *st, char *out)
{
    const char *p = st->defineText;
    size_t len = strnlen(p, sizeof st->defineText);
    p += len >= 7 ? 7 : len; /* "define" and one separator; a bare "define" has no name */
    while (*p == ' ' || *p == '\t' || *p == '\n') p++;
    if (*p == '\0') return NULL;
    size_t n = 1;
    while (p[n] != '\0' && p[n] != '\t' && p[n] != '\r' && p[n] != '\n' && p[n] != ' ' &&
           p[n] != '(' && p[n] != '{')
        n++;
    CopyTruncatedN(out, NAME_SIZE, p, n);
    return out;
}

/* The define line's last physical line. The reader has passed its line end, unless the line
   filled the directive bound and its end is still unread. */
static int DefineLine(const BrowserState *st)
{
    return strnlen(st->defineText, sizeof st->defineText) >= DIRECTIVE_MAX ? st->lineNo
                                                                           : st->lineNo - 1;
}

/* Where the backward name scan of a qualified statement starts: before the first "::". */
static int QualifiedScanStart(const char *stmt, int colons)
{
    if (colons <= 1) return 0;
    int pos = colons - 1;
    while (pos > 0 && stmt[pos] == ' ') pos--;
    return pos == 0 ? colons - 1 : pos;
}

static int IsExcludedByWords(char *stmt, char *name, const BrowserState *st)
{
    char saved = *name;
    *name = '\0';
    int excluded = (strstr(stmt, "static") != NULL && !st->includeStatic) ||
                   (strstr(stmt, "inline") != NULL && !st->includeInline) ||
                   strstr(stmt, "typedef") != NULL;
    if (!excluded) *name = saved;
    return excluded;
}

/* The function name at the end of a statement that preceded a parenthesised group: from the name
   to the end of the statement, or an empty string. Trims the statement's trailing blanks and,
   when static/inline/typedef excludes the name, cuts the statement before it. */
static char *ExtractFunctionName(char *stmt, BrowserState *st)
{
    int len = (int)strlen(stmt);
    if (len == 0) return stmt;
    while (len > 1 && IsSpaceClass((unsigned char)stmt[len - 1])) stmt[--len] = '\0';
    char *empty = stmt + len;

    int pos = len - 1;
    const char *colons = strstr(stmt, "::");
    if (colons != NULL) {
        if (!st->includeQualified) return empty;
        pos = QualifiedScanStart(stmt, (int)(colons - stmt));
    }
    int angle = 0;
    for (; pos >= 0; pos--) {
        int c = (unsigned char)stmt[pos];
        if (!IsLetter(c) && !IsDigit(c) && c != '_' && c != '~' && c != '<' && c != '>' &&
            angle <= 0)
            break;
        if (c == '>') angle++;
        else if (c == '<') angle--;
    }
    if (angle != 0) return empty;
    char *name = stmt + pos + 1;
    if (IsDigit((unsigned char)*name)) return empty;
    if (IsExcludedByWords(stmt, name, st)) return name;
    if (strncmp(name, "operator", 8) == 0) return empty;
    return name;
}

/* The current name takes a function name up to a stored marker: "Foo::operator[]" is kept as
   Foo::operator. */
static void TakeFunctionName(char *dst, const char *name)
{
    size_t n = 0;
    while (name[n] != '\0' && !IsStoredMarker((unsigned char)name[n]) && n + 1 < NAME_SIZE) {
        dst[n] = name[n];
        n++;
    }
    dst[n] = '\0';
}

static void RejectCandidate(Candidate *cand, int keptLine)
{
    memcpy(cand->name, cand->previous, sizeof cand->name); /* both always hold a terminator */
    cand->kind = cand->previousKind;
    cand->line = keptLine;
}

/* After a parameter list: blanks, and a constructor's initializer list up to its body. */
static int LookPastParameters(Source *src, BrowserState *st)
{
    int c;
    do c = NextStatementChar(src, st);
    while (c >= 0 && IsSpaceClass(c));
    if (c == ':') do
            c = NextStatementChar(src, st);
        while (c != SCAN_BRACE_BLOCK && c != SCAN_EOF);
    return c;
}

/* A statement that ended at a parenthesised group (or filled the buffer). Returns the value that
   leads to recording, or NEXT_STATEMENT. */
static int TryFunction(Source *src, char *stmt, Candidate *cand, BrowserState *st)
{
    memcpy(cand->previous, cand->name, sizeof cand->previous);
    cand->previousKind = cand->kind;
    cand->kind = DEF_KIND_FUNCTION;
    TakeFunctionName(cand->name, ExtractFunctionName(stmt, st));
    int keptLine = cand->line;
    cand->line = st->lineNo;
    if (cand->name[0] == '\0') {
        RejectCandidate(cand, keptLine);
        if (strstr(stmt, "operator") != NULL) cand->pending = 0;
        return NEXT_STATEMENT;
    }
    int c = LookPastParameters(src, st);
    if (c == ';' || c == ',' || c == SCAN_PAREN_GROUP) { /* prototype, list, function pointer */
        RejectCandidate(cand, keptLine);
        return NEXT_STATEMENT;
    }
    if (c == SCAN_EOF) return SCAN_EOF;
    cand->pending = 1;
    if (c == SCAN_BRACE_BLOCK) return c;
    /* trailing words ("const", old-style parameter declarations): recorded at the next stop */
    if (c >= 0) (void)UngetChar(c, src, st);
    return NEXT_STATEMENT;
}

/* Reads one statement into stmt (8191 bytes at most) and returns the value that ended it. */
static int CollectStatement(Source *src, char *stmt, BrowserState *st)
{
    int n = 0, c;
    for (;;) {
        n += CopyStatementRun(src, st, stmt + n, STATEMENT_SIZE - 1 - n);
        c = NextStatementChar(src, st);
        if (c == SCAN_EOF || c == ';' || c == SCAN_PAREN_GROUP) break;
        if (n >= STATEMENT_SIZE - 1) break; /* full: an ordinary c is dropped */
        if (c == SCAN_BRACE_BLOCK || c == SCAN_DEFINE) break;
        stmt[n++] = (char)(c & 0xFF);
    }
    stmt[n] = '\0';
    return c;
}

static void SetPending(Candidate *cand, const char *name, int line, int kind)
{
    cand->kind = kind;
    if (name != cand->name) CopyTruncated(cand->name, sizeof cand->name, name);
    cand->pending = 1;
    cand->line = line;
}

/* One statement and its verdict: the value that leads to recording, or NEXT_STATEMENT. */
static int ScanStatement(Source *src, char *stmt, Candidate *cand, BrowserState *st)
{
    char word[NAME_SIZE];
    int kind = DEF_KIND_OTHER;
    int c = CollectStatement(src, stmt, st);
    switch (c) {
    case SCAN_BRACE_BLOCK:
        if (ExtractTagName(src, stmt, cand->name, &kind, st) != NULL)
            SetPending(cand, cand->name, st->lineNo, kind);
        return c;
    case SCAN_DEFINE:
        if (ExtractDefineName(st, word) != NULL)
            SetPending(cand, word, DefineLine(st), DEF_KIND_MACRO);
        return c;
    case SCAN_EOF: return c;
    case ';':
        if (ExtractTypedefName(stmt, word) == NULL) return NEXT_STATEMENT;
        SetPending(cand, word, st->lineNo, DEF_KIND_TYPEDEF);
        return c;
    default: return TryFunction(src, stmt, cand, st);
    }
}

int ScanStatements(Source *src, const DirEntry *entry, BrowserState *st)
{
    char stmt[STATEMENT_SIZE];
    Candidate cand;
    memset(&cand, 0, sizeof cand);
    for (;;) {
        cand.pending = 0;
        int c;
        do c = ScanStatement(src, stmt, &cand, st);
        while (c == NEXT_STATEMENT);
        src->kind = cand.kind;
        if (cand.pending && cand.name[0] != '\0' &&
            RecordDefinition(cand.name, cand.line, entry, src, st) != 0)
            return -1;
        if (c == SCAN_EOF) return 0;
    }
}
