/* kr_string.c - string helpers from the first version, still in old-style C */
#include <ctype.h>
#include "util.h"

int
str_casecmp(a, b)
    const char *a;
    const char *b;
{
    while (*a && tolower((unsigned char)*a) == tolower((unsigned char)*b))
        a++, b++;
    return tolower((unsigned char)*a) - tolower((unsigned char)*b);
}

char *
str_trim(s)
    char *s;
{
    char *end;

    while (isspace((unsigned char)*s))
        s++;
    end = s + strlen(s);
    while (end > s && isspace((unsigned char)end[-1]))
        *--end = '\0';
    return s;
}

static int
hexval(c)
    int c;
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = tolower(c);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

long
str_tohex(s)
    register char *s;
{
    long v = 0;
    int d;

    while ((d = hexval(*s++)) >= 0)
        v = v * 16 + d;
    return v;
}
