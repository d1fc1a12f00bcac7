/* text.cpp: bounded string helpers. */
#include "base/text.h"

#include <stdarg.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

int CopyTruncatedN(char *dst, size_t size, const char *src, size_t n)
{
    if (size == 0) return n > 0;
    size_t i = 0;
    while (i < n && i < size - 1 && src[i] != '\0') {
        dst[i] = src[i];
        i++;
    }
    dst[i] = '\0';
    return i < n && src[i] != '\0';
}

int CopyTruncated(char *dst, size_t size, const char *src)
{
    return CopyTruncatedN(dst, size, src, (size_t)-1);
}

int AppendTruncated(char *dst, size_t size, const char *src)
{
    size_t used = strnlen(dst, size);
    if (used >= size) return 1; /* not terminated within size: refuse to touch it */
    return CopyTruncated(dst + used, size - used, src);
}

int JoinIfFits(char *dst, size_t size, const char *a, const char *b)
{
    size_t la = strlen(a), lb = strlen(b);
    if (la + lb >= size) return 0;
    memmove(dst, a, la);
    memcpy(dst + la, b, lb);
    dst[la + lb] = '\0';
    return 1;
}

int FormatTruncated(char *dst, size_t size, const char *format, ...)
{
    if (size == 0) return 1;
    va_list ap;
    va_start(ap, format);
    int n = vsnprintf(dst, size, format, ap);
    va_end(ap);
    if (n < 0) {
        dst[0] = '\0';
        return 1;
    }
    return (size_t)n >= size;
}

int CompareAsciiNoCase(const char *a, const char *b)
{
    const unsigned char *p = (const unsigned char *)a, *q = (const unsigned char *)b;
    for (;; p++, q++) {
        int d = UpperAscii(*p) - UpperAscii(*q);
        if (d != 0 || *p == '\0') return d;
    }
}

void FormatMessageText(char *dst, size_t size, const char *format, char conversion, const char *arg)
{
    if (size == 0) return;
    size_t n = 0;
    int used = 0;
    for (const char *p = format; *p != '\0' && n + 1 < size; p++) {
        if (p[0] == '%' && p[1] == conversion && !used) {
            for (const char *q = arg; *q != '\0' && n + 1 < size; q++) dst[n++] = *q;
            used = 1;
            p++;
        } else if (p[0] == '%' && p[1] == '%') {
            dst[n++] = '%';
            p++;
        } else {
            dst[n++] = *p;
        }
    }
    dst[n] = '\0';
}

void FormatCountText(char *dst, size_t size, const char *format, int count)
{
    char number[16];
    FormatTruncated(number, sizeof number, "%d", count);
    FormatMessageText(dst, size, format, 'd', number);
}

const char *FindByte(const char *p, size_t n, char c)
{
#if !defined(_WIN32)
    return (const char *)memchr(p, c, n); /* glibc's looks at a vector at a time */
#else
    const uintptr_t ones = (uintptr_t)-1 / 0xFF, highs = ones << 7;
    const uintptr_t pattern = ones * (unsigned char)c;
    size_t i = 0;
    for (; i + sizeof(uintptr_t) <= n; i += sizeof(uintptr_t)) {
        uintptr_t w;
        memcpy(&w, p + i, sizeof w);
        w ^= pattern; /* the bytes equal to c are now 0 */
        if (((w - ones) & ~w & highs) != 0) break;
    }
    for (; i < n; i++)
        if (p[i] == c) return p + i;
    return NULL;
#endif
}
