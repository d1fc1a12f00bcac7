/* cmdline.c - named editor commands, bound to keys by the macro file */
#include <string.h>

#include "buffer.h"
#include "screen.h"
#include "keys.h"
#include "util.h"

extern BUFFER *current_buffer(void);
extern void request_quit(void);
extern int file_save(BUFFER *b);

typedef int (*command_fn)(BUFFER *b);

struct command {
    const char *name;
    command_fn fn;
};

static int cmd_save(BUFFER *b)
{
    if (file_save(b) < 0) {
        screen_status("cannot save %s", b->filename);
        return -1;
    }
    screen_status("saved %s", b->filename);
    return 0;
}

static int cmd_quit(BUFFER *b)
{
    if (b->modified) {
        screen_status("unsaved changes; save first");
        return -1;
    }
    request_quit();
    return 0;
}

static int cmd_newline(BUFFER *b) { return buf_split_line(b); }
static int cmd_delete(BUFFER *b) { return buf_delete_char(b); }

static const struct command commands[] = {
    { "save", cmd_save },
    { "quit", cmd_quit },
    { "newline", cmd_newline },
    { "delete", cmd_delete },
};

int cmd_execute(const char *name)
{
    size_t i;

    for (i = 0; i < ARRAY_SIZE(commands); i++)
        if (strcmp(commands[i].name, name) == 0)
            return commands[i].fn(current_buffer());
    return -1;
}
