/* reader.cpp: the layered character reader; each layer folds one kind of construct into a code. */
#include <string.h>

#include "base/limits.h"
#include "base/variant.h"
#include "host/host.h"
#include "scanner/scanner_p.h"

/* Fast paths. Most bytes of a source are ones that no layer acts on in the context at hand: the
   text of a comment, a literal, a directive line or a group being skipped. In file mode those
   runs are passed over straight in the buffer; the first byte that a layer might act on, and the
   end of the buffer, hand over to the layered path, so every result stays what the layers give.
   A table entry says what a byte does in a run. */
enum { RUN_PASS = 0, RUN_END, RUN_LINE, RUN_OPEN, RUN_CLOSE };

/* The reference build reads every byte through the layers. */
static int PassesRuns(const BrowserState *st)
{
    (void)st;
    return !ZOLT_PLAIN;
}

struct ByteRun {
    unsigned char action[256];
};

/* '\n' counts a line; the bytes in `ends` (and, always, '\0' and '\r', which layer 1 turns into
   line ends, and '\\', which may splice) end the run; a group's opener and closer are counted;
   all others pass. '\0' also ends the run at the buffer's sentinel. */
static constexpr ByteRun MakeRun(const char *ends, char open = '\0', char close = '\0')
{
    ByteRun run = {};
    for (int b = 0; b < 256; b++) run.action[b] = RUN_PASS;
    run.action[(unsigned char)'\n'] = RUN_LINE;
    for (const char *p = ends; *p != '\0'; p++) run.action[(unsigned char)*p] = RUN_END;
    if (open != '\0') run.action[(unsigned char)open] = RUN_OPEN;
    if (close != '\0') run.action[(unsigned char)close] = RUN_CLOSE;
    run.action[0] = run.action[(unsigned char)'\r'] = run.action[(unsigned char)'\\'] = RUN_END;
    return run;
}

/* A '*' outside a comment passes the layers unchanged (its look-ahead is stepped back over), so
   only '/' can open a comment. */
static constexpr ByteRun LINE_COMMENT_RUN = MakeRun("\n");
static constexpr ByteRun BLOCK_COMMENT_RUN = MakeRun("*/");
static constexpr ByteRun DIRECTIVE_RUN = MakeRun("\n/\"'");
static constexpr ByteRun BRACE_GROUP_RUN = MakeRun("/\"'#", '{', '}');
static constexpr ByteRun PAREN_GROUP_RUN = MakeRun("/\"'#{", '(', ')');
static constexpr ByteRun BRACKET_GROUP_RUN = MakeRun("/\"'#{(", '[', ']');
/* At file level '*' ends the run too: at the end of the input layer 3 drops a pending '*'. */
static constexpr ByteRun STATEMENT_RUN = MakeRun("/\"'#{([=;*");

/* The bytes a run may pass: the input buffer, whose end a '\0' sentinel marks, or in the editor
   the rest of the line being read (the host's text, bounded by its length; its line end is the
   layers' to deliver). Empty before a line has been fetched. */
struct RunWindow {
    const unsigned char *buf;
    size_t pos;
    size_t end;
};

static RunWindow OpenWindow(const Source *src, const BrowserState *st)
{
    RunWindow w = {src->buf, src->pos, src->len};
    if (!st->fromEditor) return w;
    w.buf = (const unsigned char *)st->edText;
    w.pos = w.end = st->edPos > 0 ? (size_t)st->edPos : 0; /* empty: the position stays */
    if (st->edText != NULL && st->edPos > 0 && st->edPos < st->edLen) w.end = (size_t)st->edLen;
    return w;
}

static void CloseWindow(Source *src, BrowserState *st, size_t pos)
{
    if (st->fromEditor) st->edPos = (int)pos;
    else src->pos = pos;
}

/* Passes the run: counts its line ends, and a group's openers and closers into *depth, stopping
   right after the closer that brings it to 0. Returns the number of bytes passed. */
template <bool Bounded>
static size_t PassRunIn(const RunWindow &w, const ByteRun &run, int *depth, int *lines)
{
    const unsigned char *buf = w.buf;
    size_t pos = w.pos;
    for (;;) {
        while ((!Bounded || pos < w.end) && run.action[buf[pos]] == RUN_PASS) pos++;
        if (Bounded && pos >= w.end) break;
        int action = run.action[buf[pos]];
        if (action == RUN_END) break;
        pos++;
        if (action == RUN_LINE) ++*lines;
        else if (action == RUN_OPEN) ++*depth;
        else if (--*depth == 0) break;
    }
    return pos - w.pos;
}

static size_t PassRun(Source *src, BrowserState *st, const ByteRun &run, int *depth)
{
    RunWindow w = OpenWindow(src, st);
    int lines = 0; /* counted aside: a store through st could alias the buffer */
    size_t passed = st->fromEditor ? PassRunIn<true>(w, run, depth, &lines)
                                   : PassRunIn<false>(w, run, depth, &lines);
    CloseWindow(src, st, w.pos + passed);
    st->lineNo += lines;
    return passed;
}

/* Copies the run into out, at most room bytes; counts its line ends. */
static int CopyRun(Source *src, BrowserState *st, const ByteRun &run, char *out, int room)
{
    RunWindow w = OpenWindow(src, st);
    size_t pos = w.pos;
    int n = 0, lines = 0;
    for (; n < room && (!st->fromEditor || pos < w.end); n++) {
        int action = run.action[w.buf[pos]];
        if (action == RUN_END) break;
        if (action == RUN_LINE) lines++;
        out[n] = (char)w.buf[pos++];
    }
    CloseWindow(src, st, pos);
    st->lineNo += lines;
    return n;
}

/* Asks the host for editor line st->edLine: 1, or 0 when it refuses. */
static int FetchEditorLine(BrowserState *st)
{
    EditorGetString egs;
    memset(&egs, 0, sizeof egs);
    egs.StringNumber = st->edLine;
    if (!HostEditorControl(ECTL_GETSTRING, &egs)) return 0;
    st->edText = egs.StringText;
    st->edLen = egs.StringText != NULL && egs.StringLength > 0 ? egs.StringLength : 0;
    return 1;
}

static int NextEditorChar(BrowserState *st)
{
    if (st->edPos == 0 && !FetchEditorLine(st)) return SCAN_EOF;
    if (st->edPos < st->edLen) return (unsigned char)st->edText[st->edPos++];
    st->edPos = 0; /* the next read asks the host for the next line */
    st->edLine++;
    return '\n';
}

int NextRawChar(Source *src, BrowserState *st)
{
    if (st->fromEditor) return NextEditorChar(st);
    int c = SourceGetByte(src);
    if (c < 0) return SCAN_EOF;
    if (c == 0) return '\n';
    if (c == '\r') {
        int next = SourceGetByte(src);
        if (next >= 0 && next != '\n') (void)SourceStepBack(src);
        return '\n';
    }
    return c;
}

int UngetChar(int c, Source *src, BrowserState *st)
{
    if (c == SCAN_EOF) return 0;
    if (!st->fromEditor) return SourceStepBack(src);
    if (--st->edPos >= 0) return 0;
    st->edLine--;
    if (st->edLine < 0 || !FetchEditorLine(st)) {
        st->edLine++;
        st->edPos = 0;
        return -1;
    }
    st->edPos = st->edLen; /* the next read delivers that line's closing '\n' again */
    return 0;
}

int NextSplicedChar(Source *src, BrowserState *st)
{
    for (;;) {
        int c = NextRawChar(src, st);
        if (c != '\\') return c;
        int next = NextRawChar(src, st);
        if (next != '\n') {
            (void)UngetChar(next, src, st);
            return '\\';
        }
        st->lineNo++;
    }
}

/* Inside a literal, comment markers are text: pass bytes up to the closing quote unchanged. */
static int NextLiteralByte(Source *src, BrowserState *st)
{
    int c = NextSplicedChar(src, st);
    if (c == '\n') st->lineNo++;
    if (c == SCAN_EOF) {
        src->quote = 0;
    } else if (src->escaped) {
        src->escaped = 0;
    } else if (c == '\\') {
        src->escaped = 1;
    } else if (c == src->quote) {
        src->quote = 0;
    }
    return c;
}

/* Gives back a look-ahead value; a line end is counted only when it is finally delivered. */
static void StepBackUncounted(int c, Source *src, BrowserState *st)
{
    if (c == '\n') st->lineNo--;
    (void)UngetChar(c, src, st);
}

enum { MODE_PLAIN, MODE_SLASH, MODE_STAR, MODE_LINE_COMMENT };

int NextUncommentedChar(Source *src, BrowserState *st)
{
    if (src->quote != 0) return NextLiteralByte(src, st);
    int mode = MODE_PLAIN, depth = 0;
    for (;;) {
        int unused = 0;
        if (depth > 0 && PassesRuns(st) && PassRun(src, st, BLOCK_COMMENT_RUN, &unused) > 0)
            mode = MODE_PLAIN; /* any passed byte ends a pending '/' or '*' */
        else if (mode == MODE_LINE_COMMENT && PassesRuns(st))
            PassRun(src, st, LINE_COMMENT_RUN, &unused);
        int c = NextSplicedChar(src, st);
        if (c == '\n') {
            st->lineNo++;
            if (mode == MODE_LINE_COMMENT) mode = MODE_PLAIN;
        } else if (c == SCAN_EOF) {
            return SCAN_EOF;
        }
        if (mode == MODE_PLAIN) {
            if (c == '*') mode = MODE_STAR;
            else if (c == '/') mode = MODE_SLASH;
        } else if (mode == MODE_SLASH) {
            if (c == '*') { /* slash-star opens a comment, inside a comment too: they nest */
                depth++;
                mode = MODE_PLAIN;
                continue;
            }
            if (depth == 0) {
                if (c == '/') {
                    mode = MODE_LINE_COMMENT;
                    continue;
                }
                StepBackUncounted(c, src, st);
                return '/';
            }
            mode = c == '/' ? MODE_SLASH : MODE_PLAIN;
        } else if (mode == MODE_STAR) {
            if (c == '/' && depth > 0) {
                depth--;
                mode = MODE_PLAIN;
                continue;
            }
            /* star-slash outside a comment: the '*' is delivered, the '/' read again */
            if (depth == 0) {
                StepBackUncounted(c, src, st);
                return '*';
            }
            mode = c == '*' ? MODE_STAR : MODE_PLAIN;
        }
        if (mode == MODE_PLAIN && depth == 0) {
            if (c == '"' || c == '\'') {
                src->quote = c;
                src->escaped = 0;
            }
            return c;
        }
    }
}

/* The text of a literal up to its quote, a backslash or a byte that layer 1 maps. */
static void PassLiteralRun(Source *src, BrowserState *st, int quote)
{
    RunWindow w = OpenWindow(src, st);
    size_t pos = w.pos;
    int lines = 0;
    for (; pos < w.end; pos++) {
        int b = w.buf[pos];
        if (b == quote || b == '\\' || b == '\r' || b == '\0') break;
        if (b == '\n') lines++;
    }
    CloseWindow(src, st, pos);
    st->lineNo += lines;
}

int NextLiteralFoldedChar(Source *src, BrowserState *st)
{
    int c = NextUncommentedChar(src, st);
    if (c != '\'' && c != '"') return c;
    int quote = c;
    for (;;) {
        if (PassesRuns(st)) PassLiteralRun(src, st, quote);
        c = NextUncommentedChar(src, st);
        if (c == SCAN_EOF) return SCAN_EOF;
        if (c == '\\') {
            (void)NextUncommentedChar(src, st);
            continue;
        }
        if (c == quote) return SCAN_LITERAL;
    }
}

int CopyStatementRun(Source *src, BrowserState *st, char *out, int room)
{
    return !PassesRuns(st) ? 0 : CopyRun(src, st, STATEMENT_RUN, out, room);
}

int ReadDirectiveLine(Source *src, char *line, BrowserState *st)
{
    int c = 0, n = 0;
    while (n < DIRECTIVE_MAX) {
        if (PassesRuns(st)) n += CopyRun(src, st, DIRECTIVE_RUN, line + n, DIRECTIVE_MAX - n);
        if (n >= DIRECTIVE_MAX) break;
        c = NextLiteralFoldedChar(src, st);
        if (c == '\n' || c == SCAN_EOF) break;
        line[n++] = (char)(c & 0xFF);
    }
    line[n] = '\0';
    return c == SCAN_EOF ? (int)SCAN_EOF : '\n';
}

int NextDirectiveFoldedChar(Source *src, BrowserState *st)
{
    char line[DIRECTIVE_MAX + 1];
    for (;;) {
        int c = NextLiteralFoldedChar(src, st);
        if (c != '#') return c;
        if (ReadDirectiveLine(src, line, st) == SCAN_EOF) return SCAN_EOF;
        if (strstr(line, "ifdef __cplusplus") != NULL) {
            st->cplusplusGuard = 1;
            return '\n';
        }
        if (strncmp(line, "define", 6) == 0) {
            memcpy(st->defineText, line, strlen(line) + 1);
            return SCAN_DEFINE;
        }
    }
}

/* Consumes a balanced group whose opener was just read; inner codes are part of the group. */
static int SkipGroup(int (*next)(Source *, BrowserState *), const ByteRun &run, int open, int close,
                     int code, Source *src, BrowserState *st)
{
    int depth = 1;
    while (depth > 0) {
        if (PassesRuns(st)) {
            PassRun(src, st, run, &depth);
            if (depth == 0) break;
        }
        int c = next(src, st);
        if (c == SCAN_EOF) return SCAN_EOF;
        if (c == open) depth++;
        else if (c == close) depth--;
    }
    return code;
}

int NextBraceFoldedChar(Source *src, BrowserState *st)
{
    int c = NextDirectiveFoldedChar(src, st);
    if (c != '{') return c;
    if (st->cplusplusGuard) { /* extern "C" { under #ifdef __cplusplus: scan its contents */
        st->cplusplusGuard = 0;
        return '{';
    }
    return SkipGroup(NextDirectiveFoldedChar, BRACE_GROUP_RUN, '{', '}', SCAN_BRACE_BLOCK, src, st);
}

int NextParenFoldedChar(Source *src, BrowserState *st)
{
    int c = NextBraceFoldedChar(src, st);
    if (c != '(') return c;
    return SkipGroup(NextBraceFoldedChar, PAREN_GROUP_RUN, '(', ')', SCAN_PAREN_GROUP, src, st);
}

int NextBracketFoldedChar(Source *src, BrowserState *st)
{
    int c = NextParenFoldedChar(src, st);
    if (c != '[') return c;
    return SkipGroup(NextParenFoldedChar, BRACKET_GROUP_RUN, '[', ']', SCAN_BRACKET_GROUP, src, st);
}

int NextStatementChar(Source *src, BrowserState *st)
{
    int c = NextBracketFoldedChar(src, st);
    if (c != '=') return c;
    do c = NextBracketFoldedChar(src, st);
    while (c != ';' && c != SCAN_EOF);
    return c;
}
