/* keys.cpp: the keyboard table and the fatal-error box of the posix build. */
#include "platform/platform.h"

#include <poll.h>
#include <stdio.h>
#include <string.h>
#include <termios.h>
#include <unistd.h>

enum { SHIFT = 0x100 };

/* US layout punctuation: the unshifted and shifted character of each OEM key. */
static const struct {
    char plain;
    char shifted;
    int vk;
} OEM_KEYS[] = {
    {';', ':', 0xBA},  {'=', '+', 0xBB}, {',', '<', 0xBC},  {'-', '_', 0xBD},
    {'.', '>', 0xBE},  {'/', '?', 0xBF}, {'`', '~', 0xC0},  {'[', '{', 0xDB},
    {'\\', '|', 0xDC}, {']', '}', 0xDD}, {'\'', '"', 0xDE},
};

/* What Shift with the digit keys 0..9 types. */
static const char SHIFTED_DIGITS[] = ")!@#$%^&*(";

int KeyScanChar(char c)
{
    unsigned char u = (unsigned char)c;
    if (u >= 'a' && u <= 'z') return u - 0x20;
    if (u >= 'A' && u <= 'Z') return SHIFT | u;
    if (u >= '0' && u <= '9') return u;
    switch (u) {
    case ' ': return 0x20;
    case '\t': return 0x09;
    case '\r': return 0x0D;
    case '\b': return 0x08;
    case 0x1B: return 0x1B;
    default: break;
    }
    if (u == 0) return -1;
    const char *digit = strchr(SHIFTED_DIGITS, u);
    if (digit != NULL) return SHIFT | ('0' + (int)(digit - SHIFTED_DIGITS));
    for (size_t i = 0; i < sizeof OEM_KEYS / sizeof OEM_KEYS[0]; i++) {
        if (OEM_KEYS[i].plain == c) return OEM_KEYS[i].vk;
        if (OEM_KEYS[i].shifted == c) return SHIFT | OEM_KEYS[i].vk;
    }
    return -1;
}

/* A terminal cannot be peeked at: the keys waiting are read, and dropped whether an Esc is
   among them or not (keys typed during a build do nothing there). A lone ESC byte (the last one read, or
   one before another ESC) is the key; ESC and more bytes is the start of another key's
   sequence (an arrow, Alt with a letter). */
int ConsoleEscPressed(void)
{
    struct pollfd p = {STDIN_FILENO, POLLIN, 0};
    if (poll(&p, 1, 0) != 1 || (p.revents & POLLIN) == 0) return 0;
    struct termios mode;
    if (tcgetattr(STDIN_FILENO, &mode) != 0 || (mode.c_lflag & ICANON)) return 0;
    unsigned char keys[256];
    ssize_t n = read(STDIN_FILENO, keys, sizeof keys);
    for (ssize_t i = 0; i < n; i++)
        if (keys[i] == 0x1B && (i + 1 == n || keys[i + 1] == 0x1B)) return 1;
    return 0;
}

void FatalBox(const char *text, const char *title)
{
    fprintf(stderr, "\a%s: %s\n", title, text);
    fflush(stderr);
}

int RunGuarded(void (*body)(void *), void *arg)
{
    body(arg);
    return 0;
}

void TestFaultPoint(void) {}
