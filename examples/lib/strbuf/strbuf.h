/* strbuf.h - growable strings */
#ifndef QED_STRBUF_H
#define QED_STRBUF_H

#include <stddef.h>

struct strbuf {
    char *data;
    size_t len;
    size_t cap;
};

#define STRBUF_INIT { 0, 0, 0 }

#ifdef __cplusplus
extern "C" {
#endif

void sb_init(struct strbuf *sb);
void sb_free(struct strbuf *sb);
void sb_append(struct strbuf *sb, const char *s, size_t n);
void sb_insert(struct strbuf *sb, size_t at, char c);
void sb_remove(struct strbuf *sb, size_t at, size_t n);
void sb_truncate(struct strbuf *sb, size_t len);

#ifdef __cplusplus
}
#endif

static inline const char *sb_str(const struct strbuf *sb)
{
    return sb->data ? sb->data : "";
}

#endif
