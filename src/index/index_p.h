/* index_p.h: what the index folder's files share: a build's temporary files and its options. */
#ifndef ZOLT_INDEX_INDEX_P_H
#define ZOLT_INDEX_INDEX_P_H

#include <stddef.h>
#include <stdio.h>

struct BrowserState;

enum {
    TEMP_NAME_SIZE = 32,        /* "zoltprj$." and a process id */
    SCAN_OPTIONS_SIZE = 640,    /* the options record: four flags and a 511-byte mask list */
    BUILD_LOCK_WAIT_MS = 3000   /* a build waits this long for another build of its directory */
};

/* Creates BASE.<process id> exclusively in the current directory, its name into name.
   Null when it cannot be created (or the name is taken: nothing is written through a link). */
FILE *CreateTempFile(char *name, size_t size, const char *base);
/* Removes the temporary files that builds which no longer run left in the current directory. */
void RemoveStaleTempFiles(void);

/* The scan options an index depends on, as the text recorded beside it. */
void FormatScanOptions(const BrowserState *st, char *text, size_t size);
/* 1 when the index in the current directory was built with exactly these options. */
int HasScanOptions(const char *text);
/* Records the options beside the index files: 0, or -1 when they could not be written. */
int WriteScanOptions(const char *text);

#endif
