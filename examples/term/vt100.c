/* vt100.c - buffered terminal output */
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include "vt100.h"

#define OUTBUF_SIZE 8192

static char outbuf[OUTBUF_SIZE];
static int outlen;

static void put(const char *s, int n)
{
    if (outlen + n > OUTBUF_SIZE)
        vt_flush();
    if (n > OUTBUF_SIZE)
        n = OUTBUF_SIZE;
    memcpy(outbuf + outlen, s, n);
    outlen += n;
}

void vt_move(int row, int col)
{
    char seq[32];
    int n = snprintf(seq, sizeof seq, CSI "%d;%dH", row + 1, col + 1);
    put(seq, n);
}

void vt_clear_eol(void)
{
    put(CSI "K", 3);
}

void vt_reverse(int on)
{
    put(on ? CSI "7m" : CSI "0m", on ? 4 : 4);
}

void vt_write(const char *s, int n)
{
    put(s, n);
}

void vt_flush(void)
{
    if (outlen > 0)
        write(STDOUT_FILENO, outbuf, outlen);
    outlen = 0;
}
