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
    CLR_HELP,
    CLR_MENU_CUR_HOT,
    CLR_DIALOG_HOT,
    CLR_WARN_HOT,
    CLR_EDITOR_FOUND
};

int ScreenOpen(void); /* 0, or -1 when there is no usable terminal */
/* Restores the terminal; then says on stderr when its input went away, and prints the notes. */
void ScreenClose(void);
/* Blocks; VK_RESIZED after a resize. Once the input has ended or failed, or the terminal hung
   up, it answers Esc at once, so that every box closes as cancelled; the editor and the panel
   ask ScreenInputGone and end. */
KeyEvent ReadKey(void);
int ScreenInputGone(void);
void ScreenNoteAtClose(const char *text); /* a line for stderr once the screen is closed */
void ScreenSize(int *cols, int *rows);
void FillRect(int x1, int y1, int x2, int y2, int color);
/* The plugin's bytes at (x, y) as TextNext shows them, at most maxCols columns (a wide
   character that would not fit is left out). Returns the columns written. */
int PutText(int x, int y, const char *text, int maxCols, int color);
int PutTextN(int x, int y, const char *text, int len, int maxCols, int color);
/* The same with the character at byte hotByte (-1 none) in hotColor. */
int PutTextHot(int x, int y, const char *text, int len, int hotByte, int maxCols, int color,
               int hotColor);
/* A control's text: its '&' marker dropped and its hot character in hotColor (LabelStrip). */
int PutLabel(int x, int y, const char *text, int maxCols, int color, int hotColor);
int LabelColumns(const char *text);               /* columns PutLabel takes without a limit */
void PutWide(int x, int y, wchar_t w, int color); /* one cell (two for a wide character) */
void DrawBox(int x1, int y1, int x2, int y2, int color, int doubleLine);
void DrawHLine(int x1, int x2, int y, int color, int doubleLine, int joinDouble);
void DrawKeyBar(const char *const labels[12]);
void ScreenShowCursor(int x, int y); /* x < 0 hides it */
void ScreenFlush(void);
FarHandle ScreenSave(void);
void ScreenRestore(FarHandle h);

/* Who draws what lies under the boxes (the panel, or the editor on top of it). */
struct ScreenOwner {
    void (*redraw)(void *ctx);
    void *ctx;
};
ScreenOwner ScreenSetOwner(ScreenOwner owner); /* returns the one before, to put back */
/* Takes a new terminal size that no key read has reported yet (the plugin at work): the owner
   redraws at the new size. 1 when the size changed. */
int ScreenCheckResize(void);

#endif
