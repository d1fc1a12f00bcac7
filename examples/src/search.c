/* search.c - incremental search forwards and backwards */
#include <string.h>

#include "buffer.h"
#include "screen.h"
#include "util.h"

#define SEARCH_MAX 128

static char pattern[SEARCH_MAX];
static int ignore_case = 1;

static int match_at(const LINE *l, int col, const char *pat)
{
    size_t n = strlen(pat);

    if (col + n > l->text.len)
        return 0;
    return ignore_case ? strncasecmp(l->text.data + col, pat, n) == 0
                       : strncmp(l->text.data + col, pat, n) == 0;
}

static int search_forward(BUFFER *b, const char *pat)
{
    long n;
    int col = b->cur_col + 1;

    for (n = b->cur_line; n < b->nlines; n++, col = 0) {
        LINE *l = buf_line(b, n);
        for (; col < (int)l->text.len; col++)
            if (match_at(l, col, pat)) {
                b->cur_line = n;
                b->cur_col = col;
                return 1;
            }
    }
    return 0;
}

static int search_backward(BUFFER *b, const char *pat)
{
    long n;
    int col = b->cur_col - 1;

    for (n = b->cur_line; n >= 0; n--) {
        LINE *l = buf_line(b, n);
        if (n != b->cur_line)
            col = (int)l->text.len - 1;
        for (; col >= 0; col--)
            if (match_at(l, col, pat)) {
                b->cur_line = n;
                b->cur_col = col;
                return 1;
            }
    }
    return 0;
}

int search_incremental(BUFFER *b, int c, int backwards)
{
    size_t len = strlen(pattern);

    if (c == 8 && len > 0)
        pattern[len - 1] = '\0';
    else if (len + 1 < SEARCH_MAX)
        pattern[len] = (char)c, pattern[len + 1] = '\0';
    if (!(backwards ? search_backward(b, pattern) : search_forward(b, pattern))) {
        screen_status("not found: %s", pattern);
        return 0;
    }
    screen_status("search: %s", pattern);
    return 1;
}

void search_reset(void)
{
    pattern[0] = '\0';
}
