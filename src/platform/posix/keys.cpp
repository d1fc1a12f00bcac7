/* keys.cpp: the keyboard table and the fatal-error box of the posix build. */
#include "platform/platform.h"

#include <stdio.h>
#include <string.h>

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
