/* limits.h: every fixed buffer size of the plugin, with what happens at its bound. */
#ifndef ZOLT_BASE_LIMITS_H
#define ZOLT_BASE_LIMITS_H

enum {
    NAME_SIZE = 64,  /* entry name and file: 63 chars; longer names are cut, longer files dropped */
    PATH_SIZE = 260, /* relDir: 259 chars; a subdirectory deeper than that is skipped */
    MASK_SIZE = 512, /* FileMask with its NUL; a longer stored mask reads as the default */
    MASK_WORK_SIZE = 520,    /* mask list plus the appended ';' */
    LOOKUP_PATH_SIZE = 1024, /* climb directory and result path: 1023 chars; longer finds nothing */
    MATCH_TEXT_SIZE = 256,   /* a lookup match's name and menu line: 255 chars, the rest cut */
    WORD_SIZE = 1024,        /* word under the cursor: 1023 chars, the rest cut */
    LINE_SIZE = 1024,        /* macro-file line: 1023 bytes, the rest read as the next line */
    STATEMENT_SIZE = 8192,   /* statement: 8191 bytes; a fuller statement is taken as a candidate */
    DIRECTIVE_MAX = 8192,    /* directive line: 8192 bytes, the rest read later as text */
    INDEX_LINE_SIZE = 300,   /* index-file line: 298 chars, the rest read as a line of its own */
    INDEX_NAME_SIZE = 13,    /* "zoltprj$.Far" and its NUL */
    SETTINGS_ROOT_SIZE = 80, /* host RootKey + "\ZOLT"; a longer root key is cut */
    KEY_PATH_SIZE = 512,     /* settings key path */
    PROGRESS_SIZE = 100,     /* formatted progress line */
    TITLE_SIZE = 128,        /* browse menu title */
    FILTER_SIZE = 80,        /* browse filter buffer */
    FILTER_MAX = 20,         /* typed filter characters; more are ignored */
    MATCH_MAX = 1024,        /* matches collected from one index file */
    TABLE_INITIAL = 100,     /* slots of a fresh table */
    TABLE_GROWTH = 100,      /* least slots added per table enlargement (half the capacity) */
    /* entries of one piece of a build's table: 72 MB where the address space is 2 GB; a 64-bit
       process keeps a table of millions in one piece and spares the merge */
    TABLE_CHUNK = sizeof(void *) == 4 ? 1 << 19 : 1 << 24
};

#endif
