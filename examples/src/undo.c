/* undo.c - a ring of edits that can be taken back */
#include "config.h"
#include "undo.h"

static UNDO_REC ring[UNDO_DEPTH];
static int head, count;

void undo_push(undo_kind kind, long line, int col, int ch)
{
    UNDO_REC *r = &ring[head];

    r->kind = kind;
    r->line = line;
    r->col = col;
    r->ch = ch;
    head = (head + 1) % UNDO_DEPTH;
    if (count < UNDO_DEPTH)
        count++;
}

static UNDO_REC *undo_last(void)
{
    if (count == 0)
        return 0;
    head = (head + UNDO_DEPTH - 1) % UNDO_DEPTH;
    count--;
    return &ring[head];
}

int undo_pop(BUFFER *b)
{
    UNDO_REC *r = undo_last();

    if (!r)
        return 0;
    b->cur_line = r->line;
    b->cur_col = r->col;
    switch (r->kind) {
    case UNDO_INSERT: buf_delete_char(b); break;
    case UNDO_DELETE: buf_insert_char(b, r->ch); b->cur_col--; break;
    case UNDO_SPLIT:  buf_join_lines(b); break;
    case UNDO_JOIN:   buf_split_line(b); break;
    }
    undo_last();    /* the edit above logged itself */
    return 1;
}

void undo_clear(void)
{
    head = count = 0;
}
