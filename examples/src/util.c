/* util.c - allocation that never returns null, and fatal errors */
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "util.h"

void die(const char *fmt, ...)
{
    va_list ap;

    va_start(ap, fmt);
    fputs("qed: ", stderr);
    vfprintf(stderr, fmt, ap);
    fputc('\n', stderr);
    va_end(ap);
    exit(1);
}

void *xmalloc(size_t n)
{
    void *p = malloc(n);

    if (!p)
        die("out of memory");
    return p;
}

void *xrealloc(void *p, size_t n)
{
    p = realloc(p, n);
    if (!p)
        die("out of memory");
    return p;
}

char *xstrdup(const char *s)
{
    return strcpy(xmalloc(strlen(s) + 1), s);
}
