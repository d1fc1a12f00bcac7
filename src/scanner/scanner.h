/* scanner.h: the source scanner as index/ and navigate/ see it. */
#ifndef ZOLT_SCANNER_SCANNER_H
#define ZOLT_SCANNER_SCANNER_H

#include "platform/platform.h"

struct BrowserState;

/* Values the character reader returns besides bytes 0..255. ORDER-SCANCODE */
enum ScanCode {
    SCAN_EOF = -1,           /* end of input */
    SCAN_BRACE_BLOCK = -2,   /* a balanced { ... } block was consumed */
    SCAN_PAREN_GROUP = -3,   /* a balanced ( ... ) group was consumed */
    SCAN_LITERAL = -4,       /* a character or string literal was consumed */
    SCAN_BRACKET_GROUP = -6, /* a balanced [ ... ] group was consumed */
    SCAN_DEFINE = -7         /* a define line was captured into defineText */
};

/* Scans one source into the main table: the file named by the directory entry (relDir and the
   long name make each entry's file; a file without definitions gets one placeholder entry), or,
   with entry null and fromEditor set, the editor's text. Uses fileKind: 1 C/C++, 2 macro file.
   Advances filesScanned; sets lineNo, clears cplusplusGuard first; may change defineText.
   0 scanned, 1 cannot be opened (nothing recorded), -1 the table could not grow. */
int ScanSourceFile(const DirEntry *entry, BrowserState *st);

/* Appends one definition: the name cut to 63 characters (line breaks become blanks), the line
   modulo 65536, and in file mode relDir + long name and the write time. A file path that does
   not fit 63 characters drops the entry (result 0). 0, or -1 when the table could not grow. */
int RecordDefinition(const char *name, int line, const DirEntry *entry, BrowserState *st);

#endif
