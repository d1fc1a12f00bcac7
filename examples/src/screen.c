/* screen.c - drawing the buffer and the status line */
#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include "config.h"
#include "screen.h"
#include "vt100.h"

struct screen scr;
static char status[256];

void screen_init(void)
{
    tty_size(&scr.rows, &scr.cols);
    scr.rows -= STATUS_ROWS;
    scr.top = 0;
    scr.left = 0;
    scr.dirty = 1;
}

int screen_column(const LINE *l, int col)
{
    int i, x = 0;

    for (i = 0; i < col && i < (int)l->text.len; i++)
        x = l->text.data[i] == '\t' ? (x / TAB_WIDTH + 1) * TAB_WIDTH : x + 1;
    return x;
}

void screen_scroll_to_cursor(BUFFER *b)
{
    if (b->cur_line < scr.top)
        scr.top = b->cur_line;
    if (b->cur_line >= scr.top + scr.rows)
        scr.top = b->cur_line - scr.rows + 1;
}

static void draw_line(const LINE *l, int row)
{
    vt_move(row, 0);
    vt_clear_eol();
    if (l && (int)l->text.len > scr.left)
        vt_write(l->text.data + scr.left, MIN((int)l->text.len - scr.left, scr.cols));
}

void screen_redraw(BUFFER *b)
{
    int row;

    for (row = 0; row < scr.rows; row++)
        draw_line(buf_line(b, scr.top + row), row);
    vt_move(scr.rows, 0);
    vt_reverse(1);
    vt_write(status, (int)strlen(status));
    vt_clear_eol();
    vt_reverse(0);
    vt_move((int)(b->cur_line - scr.top), screen_column(buf_line(b, b->cur_line), b->cur_col));
    vt_flush();
    scr.dirty = 0;
}

void screen_status(const char *fmt, ...)
{
    va_list ap;

    va_start(ap, fmt);
    vsnprintf(status, sizeof status, fmt, ap);
    va_end(ap);
    scr.dirty = 1;
}
