/* tty.c - raw mode and the window size */
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "vt100.h"

static struct termios saved;
static int is_raw;

int tty_raw(void)
{
    struct termios t;

    if (tcgetattr(STDIN_FILENO, &saved) < 0)
        return -1;
    t = saved;
    t.c_lflag &= ~(ECHO | ICANON | ISIG | IEXTEN);
    t.c_iflag &= ~(IXON | ICRNL);
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    is_raw = tcsetattr(STDIN_FILENO, TCSAFLUSH, &t) == 0;
    return is_raw ? 0 : -1;
}

void tty_restore(void)
{
    if (is_raw)
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
    is_raw = 0;
}

int tty_getc(void)
{
    unsigned char c;

    return read(STDIN_FILENO, &c, 1) == 1 ? c : -1;
}

void tty_size(int *rows, int *cols)
{
    struct winsize ws;

    if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &ws) == 0 && ws.ws_row > 0) {
        *rows = ws.ws_row;
        *cols = ws.ws_col;
    } else {
        *rows = 24;
        *cols = 80;
    }
}
