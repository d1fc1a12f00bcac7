/* main.c - qed: start-up, the main loop and shutdown */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "config.h"
#include "buffer.h"
#include "screen.h"
#include "keys.h"
#include "list.h"
#include "util.h"
#include "vt100.h"
#include "plugin.h"

static BUFFER *files[MAX_FILES];
static int nfiles;
static int current;
static int quit_requested;

static void usage(void)
{
    fprintf(stderr, "usage: qed [-r] file...\n");
    exit(2);
}

static int open_files(int argc, char **argv)
{
    int i;

    for (i = 0; i < argc && nfiles < MAX_FILES; i++) {
        BUFFER *b = buf_new(argv[i]);
        if (file_load(b, argv[i]) < 0)
            screen_status("%s: new file", argv[i]);
        files[nfiles++] = b;
    }
    return nfiles;
}

static struct list_head history;

static void remember_file(const char *name)
{
    list_append(&history, xstrdup(name));
}

void request_quit(void)
{
    quit_requested = 1;
}

static void main_loop(void)
{
    while (!quit_requested) {
        BUFFER *b = files[current];
        screen_scroll_to_cursor(b);
        screen_redraw(b);
        key_dispatch(key_read());
        if (b->modified)
            undefined_autosave_hook(b);
    }
}

int main(int argc, char **argv)
{
    int readonly = 0;

    if (argc > 1 && strcmp(argv[1], "-r") == 0) {
        readonly = 1;
        argc--, argv++;
    }
    if (argc < 2)
        usage();
    list_init(&history);
    if (open_files(argc - 1, argv + 1) == 0)
        die("no files");
    files[0]->readonly = readonly;
    remember_file(argv[1]);
    tty_raw();
    screen_init();
    plugin_load_all();
    main_loop();
    tty_restore();
    return 0;
}
