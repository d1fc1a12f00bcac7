/* source.h: buffered reading of one source file, with a cheap step back. */
#ifndef ZOLT_SCANNER_SOURCE_H
#define ZOLT_SCANNER_SOURCE_H

#include <stddef.h>
#include <stdio.h>

struct EntrySink;

enum {
    SOURCE_CHUNK = 16384, /* bytes read from the file at a time */
    SOURCE_KEEP = 16      /* bytes kept before a refill so that steps back still work */
};

/* Where a source's bytes come from: up to size bytes into buf, how many were given (fewer only
   at the end of the input or on a read error). The file on disk is one reader, a text held in
   memory another. */
typedef size_t (*SourceReader)(void *data, unsigned char *buf, size_t size);

/* The reader's source handle. In editor mode the file is open but its bytes are not read. */
struct Source {
    FILE *fp;
    SourceReader read; /* with its data: the file fp, or a text in memory */
    void *readerData;
    const unsigned char *text; /* a text source: the bytes not yet given */
    size_t textLeft;
    size_t pos;            /* next byte in buf */
    size_t len;            /* bytes in buf */
    int quote;             /* quote character of the literal being passed through, or 0 */
    int escaped;           /* the previous byte inside that literal was a backslash */
    int ended;             /* the file has no more bytes to give */
    const EntrySink *sink; /* where the scan's definitions go */
    int recorded;          /* entries the sink took from this scan */
    int kind;              /* DefinitionKind of the entry being recorded */
    unsigned char buf[SOURCE_KEEP + SOURCE_CHUNK + 1]; /* buf[len] is a '\0' sentinel */
};

/* Opens a backslash path for binary reading: 0, or -1 when it cannot be opened. */
int SourceOpen(Source *src, const char *path);
/* A text in memory (length bytes, kept by the caller until the source is closed) read as a
   file's bytes would be. */
void SourceOpenText(Source *src, const char *text, size_t length);
void SourceClose(Source *src);
/* Next byte 0..255, or -1 at the end of the file or on a read error. */
int SourceGetByte(Source *src);
/* Moves back over the last byte read: 0, or -1 before the start of what is kept. */
int SourceStepBack(Source *src);
/* fgets: at most size-1 bytes up to and including a LF; null at the end of the file. */
char *SourceGetLine(Source *src, char *line, int size);

#endif
