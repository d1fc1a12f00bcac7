/* test_buffer.c - unit tests of the line buffer */
#include <stdio.h>
#include <string.h>

#include "buffer.h"

static int failures;

#define CHECK(cond) \
    do { if (!(cond)) { printf("%s:%d: %s\n", __FILE__, __LINE__, #cond); failures++; } } while (0)

static BUFFER *make_buffer(const char *text)
{
    BUFFER *b = buf_new("test");
    LINE *l = xmalloc(sizeof *l);

    sb_init(&l->text);
    sb_append(&l->text, text, strlen(text));
    list_insert_after(&b->lines, 0, &l->node);
    b->nlines = 1;
    return b;
}

static void test_insert(void)
{
    BUFFER *b = make_buffer("ac");

    b->cur_col = 1;
    CHECK(buf_insert_char(b, 'b') == 0);
    CHECK(strcmp(sb_str(&buf_line(b, 0)->text), "abc") == 0);
    CHECK(b->modified);
    buf_free(b);
}

static void test_split_join(void)
{
    BUFFER *b = make_buffer("hello world");

    b->cur_col = 5;
    CHECK(buf_split_line(b) == 0);
    CHECK(buf_count_lines(b) == 2);
    b->cur_line = 0;
    CHECK(buf_join_lines(b) == 0);
    CHECK(strcmp(sb_str(&buf_line(b, 0)->text), "hello world") == 0);
    buf_free(b);
}

int main(void)
{
    test_insert();
    test_split_join();
    printf("%s\n", failures ? "FAILED" : "ok");
    return failures != 0;
}
