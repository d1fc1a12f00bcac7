/* util.h - small helpers used everywhere */
#ifndef QED_UTIL_H
#define QED_UTIL_H

#include <stddef.h>

void *xmalloc(size_t n);
void *xrealloc(void *p, size_t n);
char *xstrdup(const char *s);
void die(const char *fmt, ...);

#define ARRAY_SIZE(a)   (sizeof(a) / sizeof((a)[0]))

#ifdef __cplusplus
extern "C" {
#endif

int str_casecmp(const char *a, const char *b);
char *str_trim(char *s);

#ifdef __cplusplus
}
#endif

#endif
