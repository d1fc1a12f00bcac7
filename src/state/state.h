/* state.h: BrowserState, everything one user command needs; one zero-filled record per OpenPlugin call. */
#ifndef ZOLT_STATE_STATE_H
#define ZOLT_STATE_STATE_H

#include "base/limits.h"
#include "state/entry.h"

struct FarMenuItem;
struct UpdateStream;

/* What a lower layer reports while it works; the command's driver draws it. */
enum ProgressKind {
    PROGRESS_SCAN = 0, /* count: files scanned so far (every 10th) */
    PROGRESS_DIR = 1,  /* a rebuild's walk begins; count unused */
    PROGRESS_LOAD = 2  /* count: index lines read so far (every 100th) */
};
/* Called by the scan and load paths; null: nothing is shown. */
typedef void (*ProgressFn)(int kind, int count);
/* Asked between the files of a build's walk: 1 stops it there (the user pressed Esc). */
typedef int (*StopFn)(void);
struct IndexMatch;
/* Offers a lookup's matches (two or more) for a choice: the chosen index, -1 when cancelled,
   any other value when nothing could be offered. */
typedef int (*ChooseFn)(const struct IndexMatch *matches, int count);

struct BrowserState {
    ProgressFn progress; /* set by the command's driver; null shows nothing */
    StopFn stopRequested; /* set by the build's driver; null: the walk runs to its end */
    int walkStopped;      /* the walk ended early because stopRequested said so */
    /* project scan */
    char relDir
        [PATH_SIZE];  /* walked directory relative to the scan root, trailing '\'; "" at the root */
    int lineNo;       /* 1-based; the reader's layers 2, 3 and the tag reader advance it */
    int filesScanned; /* files handed to the scanner; progress every 10th */
    /* main table and browse items */
    DefinitionEntry *entries;
    FarMenuItem *menuItems; /* owned by the browse command, not by ReleaseState */
    int capacity;
    int count;
    TableChunk *chunks; /* earlier pieces of a build's main table, in table order */
    int chunkCount;
    int chunkedEntries;                  /* entries in them */
    int chunkEntries;                    /* the size at which a build seals a piece; 0: never */
    char indexFileName[INDEX_NAME_SIZE]; /* "zoltprj$.Far" */
    /* virtual-key codes (low byte of VkKeyScanA) of the browse filter's punctuation keys */
    int keyUnderscore;
    int keyColon;
    int keyTilde;
    int keyLess;
    int keyGreater;
    /* settings read by InitState */
    int includeStatic;
    int includeInline;
    int includeQualified;
    int quitMenu;
    int fromEditor; /* opened from the editor: editor text is scanned instead of files */
    /* reader position in the editor text */
    int edLine; /* 0-based editor line being read */
    int edPos;  /* next character; edPos == edLen stands for the line end */
    int edLen;
    const char *edText;       /* host-owned line text, never freed here */
    char fileMask[MASK_SIZE]; /* ';'-separated source masks */
    int recurse;
    int moveToLine;
    /* update table of an incremental build */
    DefinitionEntry *updEntries;
    struct UpdateStream
        *updStream; /* the update file being read, or null: the table is all of it */
    int updBase;    /* file position of updEntries[0] */
    int updCursor;  /* next update entry ReuseUnchanged examines; only moves forward */
    int updCount;
    int updCapacity;
    int updMode;                        /* the update index file was loaded */
    int fileKind;                       /* FileKind of the file being scanned */
    char defineText[DIRECTIVE_MAX + 1]; /* last define line after '#', "define..." */
    int changedFiles;                   /* files a build handed to the scanner */
    int filesLeftOut;    /* files of the masks whose relative path cannot be recorded (63 chars) */
    int namesLeftOut;    /* files of the masks whose name an index line cannot hold */
    int dirsLeftOut;     /* directories of such names, not walked */
    int filesUnreadable; /* files handed to the scanner that could not be opened */
    int optionsDefaulted; /* memory ran out reading an option, whose default stands in: a build keeps the old files */
    int indexEntries;       /* entries in the index files after a build; -1 when not known */
    int indexFilesReplaced; /* index files a build put in place (0 to 2) */
    int tempFilesRemoved;   /* temporary files of dead builds that a build removed */
    char cplusplusGuard; /* "ifdef __cplusplus" seen: next '{' is not folded; cleared per source */
    /* definition lookup */
    ChooseFn choose; /* set by the command's driver; null: nothing is chosen among several */
    int foundLine;
    int matchCount;
    int indexFault; /* an index file tried was no sorted index, or could not be read in full */
    char candidatePath
        [LOOKUP_PATH_SIZE]; /* index path of a try, then the chosen FILE; a result path's size */
};

/* FileKind values */
enum { FILE_KIND_NONE = 0, FILE_KIND_SOURCE = 1, FILE_KIND_MACRO = 2 };
/* Files of this mask are macro files, whatever the source masks say. */
#define MACRO_FILE_MASK "*.MAC"

#endif
