/* vt100.h - terminal output with VT100 escape sequences */
#ifndef QED_VT100_H
#define QED_VT100_H

#define ESC "\033"
#define CSI ESC "["

void vt_move(int row, int col);
void vt_clear_eol(void);
void vt_reverse(int on);
void vt_write(const char *s, int n);
void vt_flush(void);

int tty_raw(void);
void tty_restore(void);
int tty_getc(void);
void tty_size(int *rows, int *cols);

#endif
