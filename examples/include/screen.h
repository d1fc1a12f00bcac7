/* screen.h - what the editor shows and where the cursor is */
#ifndef QED_SCREEN_H
#define QED_SCREEN_H

#include "buffer.h"

struct screen {
    int rows, cols;
    long top;       /* first buffer line shown */
    int left;       /* first column shown */
    int dirty;
};

extern struct screen scr;

void screen_init(void);
void screen_redraw(BUFFER *b);
void screen_status(const char *fmt, ...);
void screen_scroll_to_cursor(BUFFER *b);
int screen_column(const LINE *l, int col);

#endif
