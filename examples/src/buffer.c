/* buffer.c - lines of text and the edits on them */
#include <stdlib.h>
#include <string.h>

#include "config.h"
#include "buffer.h"
#include "undo.h"
#include "util.h"

BUFFER *buf_new(const char *filename)
{
    BUFFER *b = xmalloc(sizeof *b);

    memset(b, 0, sizeof *b);
    list_init(&b->lines);
    b->filename = xstrdup(filename);
    return b;
}

void buf_free(BUFFER *b)
{
    struct list_node *n, *next;

    for (n = b->lines.first; n; n = next) {
        LINE *l = (LINE *)n;
        next = n->next;
        sb_free(&l->text);
        free(l);
    }
    free(b->filename);
    free(b);
}

LINE *buf_line(BUFFER *b, long n)
{
    return (LINE *)list_nth(&b->lines, n);
}

int buf_insert_char(BUFFER *b, int c)
{
    LINE *l = buf_line(b, b->cur_line);

    if (b->readonly || !l)
        return -1;
    sb_insert(&l->text, b->cur_col, (char)c);
    undo_push(UNDO_INSERT, b->cur_line, b->cur_col, c);
    b->cur_col++;
    b->modified = 1;
    return 0;
}

int buf_delete_char(BUFFER *b)
{
    LINE *l = buf_line(b, b->cur_line);
    int c;

    if (b->readonly || !l || b->cur_col >= (int)l->text.len)
        return -1;
    c = (unsigned char)l->text.data[b->cur_col];
    sb_remove(&l->text, b->cur_col, 1);
    undo_push(UNDO_DELETE, b->cur_line, b->cur_col, c);
    b->modified = 1;
    return 0;
}

int buf_split_line(BUFFER *b)
{
    LINE *l = buf_line(b, b->cur_line), *nl;

    if (b->readonly || !l)
        return -1;
    nl = xmalloc(sizeof *nl);
    sb_init(&nl->text);
    sb_append(&nl->text, l->text.data + b->cur_col, l->text.len - b->cur_col);
    sb_truncate(&l->text, b->cur_col);
    list_insert_after(&b->lines, &l->node, &nl->node);
    undo_push(UNDO_SPLIT, b->cur_line, b->cur_col, 0);
    b->cur_line++;
    b->cur_col = 0;
    b->nlines++;
    b->modified = 1;
    return 0;
}

int buf_join_lines(BUFFER *b)
{
    LINE *l = buf_line(b, b->cur_line), *next;

    if (b->readonly || !l || !l->node.next)
        return -1;
    next = (LINE *)l->node.next;
    undo_push(UNDO_JOIN, b->cur_line, (int)l->text.len, 0);
    sb_append(&l->text, next->text.data, next->text.len);
    list_remove(&b->lines, &next->node);
    sb_free(&next->text);
    free(next);
    b->nlines--;
    b->modified = 1;
    return 0;
}

long buf_count_lines(const BUFFER *b)
{
    return b->nlines;
}
