/* undo.h - the undo log */
#ifndef QED_UNDO_H
#define QED_UNDO_H

#include "buffer.h"

typedef enum { UNDO_INSERT, UNDO_DELETE, UNDO_SPLIT, UNDO_JOIN } undo_kind;

typedef struct undo_rec {
    undo_kind kind;
    long line;
    int col;
    int ch;
} UNDO_REC;

void undo_push(undo_kind kind, long line, int col, int ch);
int undo_pop(BUFFER *b);
void undo_clear(void);

#endif
