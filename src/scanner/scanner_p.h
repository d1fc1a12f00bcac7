/* scanner_p.h: the character reader's layers, shared inside scanner/ only. */
#ifndef ZOLT_SCANNER_SCANNER_P_H
#define ZOLT_SCANNER_SCANNER_P_H

#include "scanner/scanner.h"
#include "scanner/source.h"
#include "state/state.h"

/* Bottom to top; each returns a byte 0..255 or a ScanCode. Only NextRawChar looks at fromEditor. */
int NextRawChar(Source *src, BrowserState *st);             /* CR LF, lone CR, NUL -> '\n' */
int NextSplicedChar(Source *src, BrowserState *st);         /* drops backslash + line end */
int NextUncommentedChar(Source *src, BrowserState *st);     /* drops comments, counts lines */
int NextLiteralFoldedChar(Source *src, BrowserState *st);   /* literal -> SCAN_LITERAL */
int NextDirectiveFoldedChar(Source *src, BrowserState *st); /* '#' lines; SCAN_DEFINE */
int NextBraceFoldedChar(Source *src, BrowserState *st);     /* { } -> SCAN_BRACE_BLOCK */
int NextParenFoldedChar(Source *src, BrowserState *st);     /* ( ) -> SCAN_PAREN_GROUP */
int NextBracketFoldedChar(Source *src, BrowserState *st);   /* [ ] -> SCAN_BRACKET_GROUP */
int NextStatementChar(Source *src, BrowserState *st);       /* '=' ... ';' -> ';' */

/* Steps the source back over the value c (nothing for SCAN_EOF): 0, or -1 when the editor's
   previous line cannot be fetched. */
int UngetChar(int c, Source *src, BrowserState *st);

/* Copies the buffered bytes that layers 1 to 9 would deliver unchanged, at most room, counting
   their line ends: what NextStatementChar returns byte by byte, taken in one step (file mode). */
int CopyStatementRun(Source *src, BrowserState *st, char *out, int room);

/* Reads the rest of a line (at most 8192 bytes, literals stored as 0xFC) into line[8193];
   returns '\n', or SCAN_EOF when the input ended. */
int ReadDirectiveLine(Source *src, char *line, BrowserState *st);

/* How the statement buffer stores the two codes that may stay in a statement. */
enum { STORED_LITERAL = 0xFC, STORED_BRACKET_GROUP = 0xFA };

/* The C/C++ statement loop over an opened source: 0 at the end of input, -1 when the table
   cannot grow. */
int ScanStatements(Source *src, const DirEntry *entry, BrowserState *st);

/* Records "macro NAME" / "class NAME" lines of an opened macro file, read from disk even in
   editor mode. 0 at the end of the file, -1 when the table or the line buffer cannot grow. */
int ScanMacroFile(Source *src, const DirEntry *entry, BrowserState *st);

#endif
