/* macro.cpp: the macro-file scanner: "macro NAME" and "class NAME" lines. */
#include <string.h>

#include "base/alloc.h"
#include "base/limits.h"
#include "scanner/scanner_p.h"

/* Searched in this order; the first one found anywhere in the line is the only one tried. */
static const char *const MACRO_KEYWORDS[] = {"macro", "Macro", "MACRO", "class", "Class", "CLASS"};
enum { MACRO_KEYWORD_LEN = 5 };

static char *SkipMacroBlanks(char *p)
{
    while (*p == ' ' || *p == '\t' || *p == '\r') p++;
    return p;
}

/* The name defined on one line, cut off in place; null when the line defines nothing. */
static char *MacroLineName(char *line)
{
    char *p = NULL;
    for (size_t i = 0; i < sizeof MACRO_KEYWORDS / sizeof MACRO_KEYWORDS[0] && p == NULL; i++)
        p = strstr(line, MACRO_KEYWORDS[i]);
    if (p == NULL) return NULL;
    p += MACRO_KEYWORD_LEN;
    if (*p != ' ' && *p != '\r' && *p != '\t' && *p != '\n') return NULL;
    p = SkipMacroBlanks(p);
    if (*p == '(') { /* a parenthesised prefix: "macro (int) Name" */
        while (*p != '\0' && *p != ')') p++;
        if (*p == ')') p++;
        p = SkipMacroBlanks(p);
    }
    if (*p == '\0' || *p == '\n') return NULL;
    char *end = p;
    while (*end != '\0' && *end != '\t' && *end != '\n' && *end != '\r' && *end != ' ' &&
           *end != '(')
        end++;
    *end = '\0';
    return p;
}

int ScanMacroFile(Source *src, const DirEntry *entry, BrowserState *st)
{
    char *line = (char *)MemAlloc(LINE_SIZE);
    if (line == NULL) return -1;
    int lineCount = 0, result = 0;
    /* a longer line comes in 1023-byte pieces, each counted as a line */
    while (result == 0 && SourceGetLine(src, line, LINE_SIZE) != NULL) {
        lineCount++;
        const char *name = MacroLineName(line);
        if (name != NULL) result = RecordDefinition(name, lineCount, entry, src, st);
    }
    MemFree(line);
    return result;
}
