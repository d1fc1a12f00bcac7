/* getline.c - getline() for C libraries that lack it */
#include <stdio.h>
#include <stdlib.h>

#include "util.h"

ssize_t qed_getline(char **line, size_t *cap, FILE *f)
{
    size_t n = 0;
    int c;

    if (!*line || *cap == 0) {
        *cap = 128;
        *line = xmalloc(*cap);
    }
    while ((c = getc(f)) != EOF) {
        if (n + 2 > *cap) {
            *cap *= 2;
            *line = xrealloc(*line, *cap);
        }
        (*line)[n++] = (char)c;
        if (c == '\n')
            break;
    }
    (*line)[n] = '\0';
    return n == 0 && c == EOF ? -1 : (ssize_t)n;
}
