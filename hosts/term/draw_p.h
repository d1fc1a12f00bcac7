/* draw_p.h: the terminal host's screen: colours, keys read from curses, text and boxes. */
#ifndef ZOLT_HOSTS_TERM_DRAW_P_H
#define ZOLT_HOSTS_TERM_DRAW_P_H

#include "term/model_p.h"

/* ---------------- screen (curses) ---------------- */

enum {
    CLR_PANEL = 1,
    CLR_PANEL_CUR,
    CLR_PANEL_DIR,
    CLR_MENU,
    CLR_MENU_CUR,
    CLR_MENU_HOT,
    CLR_DIALOG,
    CLR_DIALOG_FOCUS,
    CLR_EDIT,
    CLR_WARN,
    CLR_WARN_FOCUS,
    CLR_KEYNUM,
    CLR_KEYTEXT,
    CLR_EDITOR,
    CLR_STATUS,
    CLR_HELP
};

int ScreenOpen(void); /* 0, or -1 when there is no usable terminal */
void ScreenClose(void);
KeyEvent ReadKey(void); /* blocks; vk 0 after a resize */
void ScreenSize(int *cols, int *rows);
void FillRect(int x1, int y1, int x2, int y2, int color);
/* Code page 866 text at (x, y), at most maxCols columns. Returns the columns written. */
int PutText(int x, int y, const char *text, int maxCols, int color);
int PutTextN(int x, int y, const char *text, int len, int maxCols, int color);
void DrawBox(int x1, int y1, int x2, int y2, int color, int doubleLine);
void DrawHLine(int x1, int x2, int y, int color, int doubleLine, int joinDouble);
void DrawKeyBar(const char *const labels[12]);
void ScreenShowCursor(int x, int y); /* x < 0 hides it */
void ScreenFlush(void);
FarHandle ScreenSave(void);
void ScreenRestore(FarHandle h);

#endif
