/* scanner.h: the source scanner as index/ and navigate/ see it. */
#ifndef ZOLT_SCANNER_SCANNER_H
#define ZOLT_SCANNER_SCANNER_H

/* Values the character reader returns besides bytes 0..255. ORDER-SCANCODE */
enum ScanCode {
    SCAN_EOF = -1,           /* end of input */
    SCAN_BRACE_BLOCK = -2,   /* a balanced { ... } block was consumed */
    SCAN_PAREN_GROUP = -3,   /* a balanced ( ... ) group was consumed */
    SCAN_LITERAL = -4,       /* a character or string literal was consumed */
    SCAN_BRACKET_GROUP = -6, /* a balanced [ ... ] group was consumed */
    SCAN_DEFINE = -7         /* a define line was captured into defineText */
};

struct BrowserState;
struct DirEntry;

/* Scans one file met by the walk (entry) or the editor's text (null) into the main table.
   0 scanned, 1 cannot open (nothing recorded), -1 the table could not grow. */
int ScanSourceFile(const DirEntry *entry, BrowserState *st);

#endif
