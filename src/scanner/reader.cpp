/* reader.cpp: the layered character reader; each layer folds one kind of construct into a code. */
#include <string.h>

#include "base/limits.h"
#include "host/host.h"
#include "scanner/scanner_p.h"

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

int NextLiteralFoldedChar(Source *src, BrowserState *st)
{
    int c = NextUncommentedChar(src, st);
    if (c != '\'' && c != '"') return c;
    int quote = c;
    for (;;) {
        c = NextUncommentedChar(src, st);
        if (c == SCAN_EOF) return SCAN_EOF;
        if (c == '\\') {
            (void)NextUncommentedChar(src, st);
            continue;
        }
        if (c == quote) return SCAN_LITERAL;
    }
}

int ReadDirectiveLine(Source *src, char *line, BrowserState *st)
{
    int c = 0, n = 0;
    while (n < DIRECTIVE_MAX) {
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
static int SkipGroup(int (*next)(Source *, BrowserState *), int open, int close, int code,
                     Source *src, BrowserState *st)
{
    int depth = 1;
    while (depth > 0) {
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
    return SkipGroup(NextDirectiveFoldedChar, '{', '}', SCAN_BRACE_BLOCK, src, st);
}

int NextParenFoldedChar(Source *src, BrowserState *st)
{
    int c = NextBraceFoldedChar(src, st);
    if (c != '(') return c;
    return SkipGroup(NextBraceFoldedChar, '(', ')', SCAN_PAREN_GROUP, src, st);
}

int NextBracketFoldedChar(Source *src, BrowserState *st)
{
    int c = NextParenFoldedChar(src, st);
    if (c != '[') return c;
    return SkipGroup(NextParenFoldedChar, '[', ']', SCAN_BRACKET_GROUP, src, st);
}

int NextStatementChar(Source *src, BrowserState *st)
{
    int c = NextBracketFoldedChar(src, st);
    if (c != '=') return c;
    do c = NextBracketFoldedChar(src, st);
    while (c != ';' && c != SCAN_EOF);
    return c;
}
