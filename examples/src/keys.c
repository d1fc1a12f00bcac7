/* keys.c - reading keys and dispatching them to editor commands */
#include <string.h>

#include "config.h"
#include "keys.h"
#include "util.h"
#include "vt100.h"

#define MAX_BINDINGS 128

static struct keymap bindings[MAX_BINDINGS];
static int nbindings;

extern int cmd_execute(const char *command);

static int read_escape(void)
{
    int c = tty_getc();

    if (c != '[')
        return KEY_NONE;
    switch (tty_getc()) {
    case 'A': return KEY_UP;
    case 'B': return KEY_DOWN;
    case 'C': return KEY_RIGHT;
    case 'D': return KEY_LEFT;
    case 'H': return KEY_HOME;
    case 'F': return KEY_END;
    default:  return KEY_NONE;
    }
}

int key_read(void)
{
    int c = tty_getc();

    return c == 27 ? read_escape() : c;
}

void key_bind(int key, const char *command)
{
    int i;

    for (i = 0; i < nbindings; i++)
        if (bindings[i].key == key) {
            bindings[i].command = command;
            return;
        }
    if (nbindings < MAX_BINDINGS) {
        bindings[nbindings].key = key;
        bindings[nbindings].command = command;
        bindings[nbindings].handler = 0;
        nbindings++;
    }
}

int key_dispatch(int key)
{
    int i;

    for (i = 0; i < nbindings; i++)
        if (bindings[i].key == key)
            return bindings[i].handler ? bindings[i].handler(key)
                                       : cmd_execute(bindings[i].command);
    return cmd_execute(key >= ' ' && key < 127 ? "self-insert" : "beep");
}

const char *key_name(int key)
{
    static char name[16];

    if (key < ' ') {
        name[0] = '^';
        name[1] = (char)(key + '@');
        name[2] = '\0';
        return name;
    }
    return key == KEY_UP ? "Up" : key == KEY_DOWN ? "Down" : "?";
}
