/* text.h: bounded string helpers; every write into a fixed buffer goes through one of these. */
#ifndef ZOLT_BASE_TEXT_H
#define ZOLT_BASE_TEXT_H

#include <stddef.h>

/* Copies src into dst (size bytes), cutting it; always terminates. Returns 1 when it cut. */
int CopyTruncated(char *dst, size_t size, const char *src);

/* Copies at most n bytes of src into dst, cutting to size-1; always terminates. Returns 1 when it cut. */
int CopyTruncatedN(char *dst, size_t size, const char *src, size_t n);

/* Appends src to the string in dst, cutting it; always terminates. Returns 1 when it cut. */
int AppendTruncated(char *dst, size_t size, const char *src);

/* Writes a followed by b into dst only when both fit whole; returns 1 then, else 0 (dst unchanged). */
int JoinIfFits(char *dst, size_t size, const char *a, const char *b);

/* snprintf that never leaves dst unterminated; returns 1 when the text was cut. */
int FormatTruncated(char *dst, size_t size, const char *format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;

/* Formats a count into a text taken from a language file, which is never trusted as a printf
   format: its first "%d" takes the count, "%%" is a percent sign, anything else is copied. */
void FormatCountText(char *dst, size_t size, const char *format, int count);
/* The same for a text argument: the first "%<conversion>" (e.g. 's') of format takes arg. */
void FormatMessageText(char *dst, size_t size, const char *format, char conversion,
                       const char *arg);

/* ASCII letters to upper case, every other value unchanged: the one case folding of names,
   masks and index order (code page 866 folding is navigate's FoldCase). */
/* memchr; in the Windows builds a word at a time, since the C library there looks at one byte
   after another, which made an index's lines cost more to find than all else done with them. */
const char *FindByte(const char *p, size_t n, char c);

static inline int UpperAscii(int c)
{
    return (c >= 'a' && c <= 'z') ? c - 0x20 : c;
}

/* ASCII-only case-insensitive comparison; other bytes compare as unsigned values. */
int CompareAsciiNoCase(const char *a, const char *b);

#endif
