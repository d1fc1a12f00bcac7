/* strbuf.c - growable strings */
#include <stdlib.h>
#include <string.h>

#include "strbuf.h"
#include "util.h"

void sb_init(struct strbuf *sb)
{
    sb->data = 0;
    sb->len = sb->cap = 0;
}

void sb_free(struct strbuf *sb)
{
    free(sb->data);
    sb_init(sb);
}

static void sb_grow(struct strbuf *sb, size_t need)
{
    if (need + 1 <= sb->cap)
        return;
    sb->cap = sb->cap ? sb->cap * 2 : 16;
    while (sb->cap < need + 1)
        sb->cap *= 2;
    sb->data = xrealloc(sb->data, sb->cap);
}

void sb_append(struct strbuf *sb, const char *s, size_t n)
{
    sb_grow(sb, sb->len + n);
    memcpy(sb->data + sb->len, s, n);
    sb->len += n;
    sb->data[sb->len] = '\0';
}

void sb_insert(struct strbuf *sb, size_t at, char c)
{
    if (at > sb->len)
        at = sb->len;
    sb_grow(sb, sb->len + 1);
    memmove(sb->data + at + 1, sb->data + at, sb->len - at + 1);
    sb->data[at] = c;
    sb->len++;
}

void sb_remove(struct strbuf *sb, size_t at, size_t n)
{
    if (at >= sb->len)
        return;
    if (n > sb->len - at)
        n = sb->len - at;
    memmove(sb->data + at, sb->data + at + n, sb->len - at - n + 1);
    sb->len -= n;
}

void sb_truncate(struct strbuf *sb, size_t len)
{
    if (len < sb->len) {
        sb->len = len;
        sb->data[len] = '\0';
    }
}
