/* buffer.h - the text of one file as a list of lines */
#ifndef QED_BUFFER_H
#define QED_BUFFER_H

#include <stddef.h>
#include "list.h"
#include "strbuf.h"

typedef struct line {
    struct list_node node;
    struct strbuf text;
} LINE;

typedef struct buffer {
    struct list_head lines;
    char *filename;
    long nlines;
    long cur_line;
    int cur_col;
    int modified;
    int readonly;
} BUFFER;

enum buf_flags {
    BUF_NEW = 1,
    BUF_READONLY = 2,
    BUF_CRLF = 4
};

BUFFER *buf_new(const char *filename);
void buf_free(BUFFER *b);
LINE *buf_line(BUFFER *b, long n);
int buf_insert_char(BUFFER *b, int c);
int buf_delete_char(BUFFER *b);
int buf_split_line(BUFFER *b);
int buf_join_lines(BUFFER *b);
long buf_count_lines(const BUFFER *b);

#endif
