/* file.c - reading and writing files */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "buffer.h"
#include "util.h"

extern ssize_t qed_getline(char **line, size_t *cap, FILE *f);

static LINE *new_line(const char *text, size_t len)
{
    LINE *l = xmalloc(sizeof *l);

    sb_init(&l->text);
    sb_append(&l->text, text, len);
    return l;
}

int file_load(BUFFER *b, const char *name)
{
    FILE *f = fopen(name, "r");
    char *line = NULL;
    size_t cap = 0;
    ssize_t n;

    if (!f) {
        list_append(&b->lines, new_line("", 0));
        b->nlines = 1;
        return -1;
    }
    while ((n = qed_getline(&line, &cap, f)) >= 0) {
        if (n > 0 && line[n - 1] == '\n')
            n--;
        list_append(&b->lines, new_line(line, (size_t)n));
        b->nlines++;
    }
    free(line);
    fclose(f);
    return 0;
}

int file_save(BUFFER *b)
{
    char tmp[1024];
    struct list_node *n;
    FILE *f;

    snprintf(tmp, sizeof tmp, "%s.qed~", b->filename);
    if (!(f = fopen(tmp, "w")))
        return -1;
    for (n = b->lines.first; n; n = n->next) {
        LINE *l = (LINE *)n;
        fwrite(l->text.data, 1, l->text.len, f);
        fputc('\n', f);
    }
    if (fclose(f) != 0 || rename(tmp, b->filename) != 0)
        return -1;
    b->modified = 0;
    return 0;
}
