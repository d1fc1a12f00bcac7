/* navigate.h: word under the cursor, go to definition, lookup through index files, go back. */
#ifndef ZOLT_NAVIGATE_NAVIGATE_H
#define ZOLT_NAVIGATE_NAVIGATE_H

#include <stddef.h>
#include <stdint.h>

#include "base/limits.h"
#include "index/index.h"
#include "state/entry.h"

struct BrowserState;
struct EditorInfo;

enum {
    INDEX_FILE_MAX = 256 * 1024 * 1024, /* bytes of an index read whole */
    BISECT_MIN = 1024 * 1024 /* an index this large is read where it lies, searched by halves */
};

/* One matching line of a project index file. */
struct IndexMatch {
    char name[MATCH_TEXT_SIZE];     /* NAME, cut to 255 */
    char menuText[MATCH_TEXT_SIZE]; /* " %-30s %-34s %u" of name, file, line; cut to 255 */
    char file[PATH_SIZE];           /* FILE, relative to the index file's directory; cut to 259 */
    int32_t line;                   /* LINE, 1-based */
};
static_assert(sizeof(IndexMatch) == 2 * MATCH_TEXT_SIZE + PATH_SIZE + 4, "IndexMatch sizes");

/* --- word under the cursor --- */
int FoldCase(int c); /* code page 866 upper case of the low byte; 0..255 */
/* 0 when the first n bytes of a and b are equal through FoldCase (and when n <= 0), else 1.
   Compares exactly n bytes: a NUL opposite another byte is a difference and ends it. */
int FoldedCompareN(const char *a, const char *b, int n);
void EditorToOem(char *text); /* in place, from the current editor's table to OEM */
int IsWordChar(int c);        /* identifier byte, judged on its OEM form */
/* The identifier of text (length bytes) around byte pos, cut to 1023 chars, converted to OEM,
   into word (WORD_SIZE bytes). No identifier there: word is left as it was. 0, or -1 when
   there was no memory for the line's copy (word left as it was). */
int ExtractWord(char *word, const char *text, int length, int pos);
/* The editor's info and the word under its cursor (WORD_SIZE bytes), cut as an index cuts a
   name (its first NAME_SIZE - 1 characters): 1, 0 for no word, -1 for none because memory ran
   out (a command tells the user instead of doing nothing). */
int WordAtCursor(EditorInfo *info, char *word);

/* The identifier of ASCII letters, digits and '_' at byte pos of line (length bytes, no host
   conversion), or the one that ends right before pos; cut as an index cuts a name, into word
   (NAME_SIZE bytes at least). 1, or 0 (word "") when there is none. */
int WordInText(char *word, const char *line, size_t length, size_t pos);

/* --- cursor placement --- */
/* Moves the cursor to line/col (0-based); scrolls so an off-screen line shows three quarters
   down the window, and left only when col lies left of the window. */
void PositionEditor(const EditorInfo *info, int line, int col);

/* --- lookup through project index files --- */
/* What a lookup did. */
enum LookupResult {
    LOOKUP_OPENED = 0,        /* the chosen definition was opened or the cursor moved to it */
    LOOKUP_NO_WORD = 1,       /* no word under the cursor */
    LOOKUP_NO_MEMORY = 2,     /* the word could not be read: memory ran out */
    LOOKUP_CANCELLED = 3,     /* a choice menu was cancelled */
    LOOKUP_NOT_FOUND = 4,     /* nothing to open */
    LOOKUP_DAMAGED_INDEX = 5, /* nothing to open, and an index was no sorted index or unreadable */
    LOOKUP_NOT_OPENED = 6 /* the host opened no editor for it (it says why, or it was cancelled) */
};
/* Looks the word under the cursor up in the index files of the edited file's directory, its
   two ancestors and the file-system root; opens or moves to the chosen definition. A
   LookupResult. Uses candidatePath, foundLine, matchCount, indexFault. */
int LookupInIndexFiles(BrowserState *st);
/* One index file (candidatePath). 1 when a match was chosen: result holds the definition's path,
   dir + "\" + FILE when joinDir is set, FILE unchanged otherwise; "" when the match has no FILE
   or the joined path does not fit. 0 when nothing was chosen. */
int TryIndexFile(BrowserState *st, const char *word, const char *dir, char *result,
                 size_t resultSize, int joinDir, int *cancelled);
/* The run of lines of one index file whose name begins with word (FoldCase), at most MATCH_MAX,
   into matches: how many; 0 for an empty word; -1 when the file cannot be read. A large file is
   searched where it lies; one that is no sorted index there sets *fault and yields 0. */
int ReadIndexMatches(const char *path, const char *word, IndexMatch *matches, int *fault);
/* candidatePath = dir + "\zoltprj$.Far", or the bare name without a directory.
   0 (candidatePath empty) when it does not fit. */
int IndexPathFor(BrowserState *st, int hasDir, const char *dir);
/* dir = the text of path before its last backslash (path and dir may be the same buffer).
   1 done; 0 no backslash (dir unchanged); -1 it does not fit size (dir unchanged). */
int ParentDirectory(const char *path, char *dir, size_t size);
/* Reads a whole file in binary mode into a NUL-terminated heap buffer (*text, MemFree it).
   1 on success; 0 when missing, empty, larger than INDEX_FILE_MAX or unreadable (*text null). */
int ReadWholeFile(const char *path, char **text, size_t *length);
/* Collects the contiguous run of lines whose name begins with word (FoldCase), at most 1024;
   several are offered through st->choose. 1 when one was chosen: candidatePath = its FILE,
   foundLine = its LINE. A cancelled choice sets *cancelled. Sets matchCount. */
int CollectMatches(BrowserState *st, const char *word, const char *text, int *cancelled);
/* Where in a sorted index text (length bytes) the run of lines beginning with word can start:
   the first line whose name sorts at or after the word's leading ASCII part; 0 without one. */
size_t IndexRunStart(const char *text, size_t length, const char *word);
/* Fills *m (cleared first) from the line NAME?FILE?LINE. 0 when a separator is missing. */
int ParseIndexLine(const char *line, IndexMatch *m);
/* 1 when an index line's FILE leaves the index's directory (absolute, on a drive, or through
   ".."): such a match is chosen but never opened. */
int IsPathOutsideIndex(const char *file);

/* --- the query: where a name is defined, answered by value --- */
/* One definition found: in the edited text (index "") or through an index file. */
struct DefinitionLocation {
    char name[NAME_SIZE];         /* as the text or the index line has it */
    char file[LOOKUP_PATH_SIZE];  /* the file asked from, or the index's directory + "\" + FILE;
                                     "" when the line names none, or one outside its directory */
    int32_t line;                 /* 1-based; 0 when the line gives none */
    char index[LOOKUP_PATH_SIZE]; /* the index file it came from; "" for the edited text */
};
struct DefinitionList {
    DefinitionLocation *items; /* MemAlloc'd; FreeDefinitionList */
    int count;
    int capacity;
    int indexFault; /* an index tried was no sorted index, or could not be read in full */
};
/* How the query scans the edited text (the editor's scan options and masks) and where else it
   looks: the index files of extraDirs (plugin paths), each after the climb unless tried already. */
struct FindOptions {
    int includeStatic;
    int includeInline;
    int includeQualified;
    const char *fileMask; /* the source masks the text's file must match to be scanned */
    const char *const *extraDirs;
    int extraDirCount;
};
/* Where word (cut as an index cuts names) is defined, asked from the file fromFile (a plugin
   path) whose current text is text (length bytes; null: none): in the order Go to definition
   tries them, first the definitions of the text named exactly word (by line), then for each
   index file of the climb (the file's directory, its parent and grandparent, the file-system
   root, then the extra directories) the lines whose name begins with word (FoldCase), in index
   order. Touches no host editor and no current directory. 0, or -1 when memory ran out (the
   list holds what was found before). */
int FindDefinition(const char *word, const char *fromFile, const char *text, size_t length,
                   const FindOptions *options, DefinitionList *out);
void FreeDefinitionList(DefinitionList *list);
/* The definitions of one text, as the editor's Browse finds them (scan options and masks of
   options; its extra directories unused), each with its DefinitionKind, in text order. */
struct TextDefinition {
    DefinitionEntry entry; /* name and line; no file */
    int kind;
};
/* 0 and *defs (MemFree it) with *count of them, or -1 when memory ran out. */
int ScanTextDefinitions(const char *fromFile, const char *text, size_t length,
                        const FindOptions *options, TextDefinition **defs, int *count);

/* --- the names of a project index, searched by rank --- */
/* Each name of a sorted index once (ASCII case folded, as the index orders them), where its run
   of lines starts, and where a query may start a word of it; the index stays open behind it, so
   the offsets keep pointing into the file read even after a build renames a new one over it. */
struct NameTable {
    IndexView view;
    char *folded;              /* the names upper-cased, each with its NUL, in index order */
    unsigned char *wordStarts; /* one bit per byte of folded */
    size_t bytes;
    uint32_t *nameAt;   /* where name i starts in folded */
    uint64_t *runAt;    /* where its first index line starts in the file */
    uint64_t *masks[3]; /* one each per name: its characters, its adjacent pairs (hashed),
                           the characters that start its words */
    int count;
};
enum { NAME_MASKS = 3 };
enum NameTableLoad { NAMES_LOADED = 0, NAMES_NO_INDEX = 1, NAMES_NO_MEMORY = 2, NAMES_DAMAGED = 3 };
/* Reads the names of the index file: a NameTableLoad; the table is empty unless NAMES_LOADED. */
int LoadNameTable(NameTable *t, const char *indexPath);
void FreeNameTable(NameTable *t);
/* How a name matches a query, best first. */
enum NameRank {
    RANK_EXACT = 0,
    RANK_PREFIX = 1,
    RANK_WORD = 2, /* begins at a word start: after '_', or at a lower-to-upper case change */
    RANK_SUBSTRING = 3,
    RANK_IN_ORDER = 4, /* the query's characters in order */
    RANK_NONE = 5
};
struct SymbolHit {
    char name[NAME_SIZE];
    char file[NAME_SIZE]; /* relative to the index's directory, as the line has it */
    int32_t line;
    int rank;
};
/* The index lines whose name matches query (case-insensitive), best rank first and in index
   order within a rank, at most cap of them, into hits (cap of them); an empty query gives the
   first lines by name. stop (when set) is asked now and then; 1 ends the search with what was
   found. 0, or -1 when memory ran out or the file failed under the table. */
int SearchNameTable(NameTable *t, const char *query, int cap, SymbolHit *hits, int *count,
                    int (*stop)(void *), void *stopData);

#endif
