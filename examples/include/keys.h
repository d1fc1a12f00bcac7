/* keys.h - key codes read from the terminal */
#ifndef QED_KEYS_H
#define QED_KEYS_H

#define KEY_NONE    0
#define KEY_UP      0x101
#define KEY_DOWN    0x102
#define KEY_LEFT    0x103
#define KEY_RIGHT   0x104
#define KEY_HOME    0x105
#define KEY_END     0x106
#define KEY_PGUP    0x107
#define KEY_PGDN    0x108
#define KEY_DEL     0x109
#define KEY_F(n)    (0x110 + (n))

typedef int (*key_handler)(int key);

struct keymap {
    int key;
    const char *command;
    key_handler handler;
};

int key_read(void);
int key_dispatch(int key);
void key_bind(int key, const char *command);
const char *key_name(int key);

#endif
