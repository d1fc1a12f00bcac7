/* scanner.h: the source scanner as index/ and navigate/ see it. */
#ifndef ZOLT_SCANNER_SCANNER_H
#define ZOLT_SCANNER_SCANNER_H

#include <stddef.h>

#include "platform/platform.h"
#include "state/entry.h"

struct BrowserState;
struct Source;

/* Values the character reader returns besides bytes 0..255. ORDER-SCANCODE */
enum ScanCode {
    SCAN_EOF = -1,           /* end of input */
    SCAN_BRACE_BLOCK = -2,   /* a balanced { ... } block was consumed */
    SCAN_PAREN_GROUP = -3,   /* a balanced ( ... ) group was consumed */
    SCAN_LITERAL = -4,       /* a character or string literal was consumed */
    SCAN_BRACKET_GROUP = -6, /* a balanced [ ... ] group was consumed */
    SCAN_DEFINE = -7         /* a define line was captured into defineText */
};

/* Scans one source into sink: the file named by the directory entry (relDir and the
   long name make each entry's file; a file without definitions gets one placeholder entry), or,
   with entry null and fromEditor set, the editor's text. Uses fileKind: 1 C/C++, 2 macro file.
   Advances filesScanned (reporting every 10th file scanned to st->progress); sets lineNo,
   clears cplusplusGuard first; may change defineText.
   0 scanned, 1 cannot be opened (nothing recorded), -1 the sink could not take an entry. */
int ScanSource(const DirEntry *entry, BrowserState *st, const EntrySink *sink);

/* Scans a text held in memory (length bytes, any bytes) into sink as ScanSource scans a file
   of that text, by fileKind, but as the editor's text: the entries carry no file and no write
   time, and a text without definitions records nothing. st must not be fromEditor; its scan
   options and fileKind are used, lineNo, cplusplusGuard and defineText change. Neither the host
   nor the current directory is touched. 0, or -1 the sink could not take an entry. */
int ScanText(const char *text, size_t length, BrowserState *st, const EntrySink *sink);

/* Appends one definition: the name cut to 63 characters (line breaks become blanks), the line,
   and in file mode relDir + long name and the write time. A file path that does
   not fit 63 characters drops the entry (result 0). Goes to the sink of the scan src belongs
   to. 0, or -1 when the sink could not take it. */
int RecordDefinition(const char *name, int line, const DirEntry *entry, Source *src,
                     BrowserState *st);

#endif
