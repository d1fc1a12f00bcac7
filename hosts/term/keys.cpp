/* keys.cpp: terminal key presses turned into the virtual-key code and modifier set the host matches. */
#include <curses.h>
#include <string.h>

#include "term/model_p.h"

static KeyEvent MakeKey(int vk, int mods, int ch)
{
    KeyEvent k;
    k.vk = vk;
    k.mods = mods;
    k.ch = ch;
    k.wch = 0;
    return k;
}

/* VkKeyScanA's shift-state byte (1 Shift, 2 Ctrl, 4 Alt) in the host's PKF_* bits. */
static int ModsFromScan(int state)
{
    int mods = 0;
    if (state & 1) mods |= PKF_SHIFT;
    if (state & 2) mods |= PKF_CONTROL;
    if (state & 4) mods |= PKF_ALT;
    return mods;
}

KeyEvent KeyFromChar(int byte866, int scan, int alt)
{
    int altBit = alt ? PKF_ALT : 0;
    switch (byte866) {
    case 8:
    case 127: return MakeKey(VK_BACK, altBit, -1);
    case 9: return MakeKey(VK_TAB, altBit, -1);
    case 10:
    case 13: return MakeKey(VK_RETURN, altBit, -1);
    case 27: return MakeKey(VK_ESCAPE, altBit, -1);
    case 0: return MakeKey(VK_SPACE, PKF_CONTROL | altBit, -1); /* Ctrl+Space */
    default: break;
    }
    if (byte866 > 0 && byte866 < 32) /* Ctrl+letter */
        return MakeKey('A' + byte866 - 1, PKF_CONTROL | altBit, -1);
    if (byte866 < 0) return MakeKey(0, 0, -1);
    if (scan == -1 || scan < 0) /* a character no key of the layout types, e.g. Cyrillic */
        return MakeKey(0, altBit, alt ? -1 : byte866);
    int vk = scan & 0xFF;
    int mods = ModsFromScan((scan >> 8) & 0xFF) | altBit;
    return MakeKey(vk, mods, alt ? -1 : byte866);
}

struct NamedKey {
    const char *prefix; /* ncurses name of the extended key without its modifier digit */
    int vk;
};

static const NamedKey EXTENDED_KEYS[] = {
    {"kUP", VK_UP},   {"kDN", VK_DOWN},   {"kLFT", VK_LEFT}, {"kRIT", VK_RIGHT}, {"kHOM", VK_HOME},
    {"kEND", VK_END}, {"kPRV", VK_PRIOR}, {"kNXT", VK_NEXT}, {"kDC", VK_DELETE}, {"kIC", VK_INSERT},
};

/* xterm's modifier digit: 1 + (1 Shift, 2 Alt, 4 Ctrl). */
static int ModsFromDigit(int d)
{
    int bits = d - 1, mods = 0;
    if (bits & 1) mods |= PKF_SHIFT;
    if (bits & 2) mods |= PKF_ALT;
    if (bits & 4) mods |= PKF_CONTROL;
    return mods;
}

static KeyEvent KeyFromName(const char *name, int alt)
{
    int altBit = alt ? PKF_ALT : 0;
    if (!name) return MakeKey(0, 0, -1);
    for (const NamedKey &nk : EXTENDED_KEYS) {
        size_t n = strlen(nk.prefix);
        if (strncmp(name, nk.prefix, n) == 0 && name[n] >= '2' && name[n] <= '8' && !name[n + 1])
            return MakeKey(nk.vk, ModsFromDigit(name[n] - '0') | altBit, -1);
    }
    return MakeKey(0, 0, -1);
}

static KeyEvent FunctionKey(int n, int alt)
{
    /* terminfo numbers shifted, control and alt function keys in blocks of twelve */
    static const int blockMods[] = {
        0, PKF_SHIFT, PKF_CONTROL, PKF_CONTROL | PKF_SHIFT, PKF_ALT, PKF_ALT | PKF_SHIFT};
    int block = (n - 1) / 12;
    if (block >= (int)(sizeof blockMods / sizeof blockMods[0])) return MakeKey(0, 0, -1);
    return MakeKey(VK_F1 + (n - 1) % 12, blockMods[block] | (alt ? PKF_ALT : 0), -1);
}

KeyEvent KeyFromCurses(int code, const char *name, int alt)
{
    int a = alt ? PKF_ALT : 0;
    if (code >= KEY_F(1) && code <= KEY_F(63)) return FunctionKey(code - KEY_F0, alt);
    switch (code) {
    case KEY_UP: return MakeKey(VK_UP, a, -1);
    case KEY_DOWN: return MakeKey(VK_DOWN, a, -1);
    case KEY_LEFT: return MakeKey(VK_LEFT, a, -1);
    case KEY_RIGHT: return MakeKey(VK_RIGHT, a, -1);
    case KEY_HOME: return MakeKey(VK_HOME, a, -1);
    case KEY_END: return MakeKey(VK_END, a, -1);
    case KEY_PPAGE: return MakeKey(VK_PRIOR, a, -1);
    case KEY_NPAGE: return MakeKey(VK_NEXT, a, -1);
    case KEY_IC: return MakeKey(VK_INSERT, a, -1);
    case KEY_DC: return MakeKey(VK_DELETE, a, -1);
    case KEY_BACKSPACE: return MakeKey(VK_BACK, a, -1);
    case KEY_ENTER: return MakeKey(VK_RETURN, a, -1);
    case KEY_BTAB: return MakeKey(VK_TAB, PKF_SHIFT | a, -1);
    case KEY_SR: return MakeKey(VK_UP, PKF_SHIFT | a, -1);
    case KEY_SF: return MakeKey(VK_DOWN, PKF_SHIFT | a, -1);
    case KEY_SLEFT: return MakeKey(VK_LEFT, PKF_SHIFT | a, -1);
    case KEY_SRIGHT: return MakeKey(VK_RIGHT, PKF_SHIFT | a, -1);
    case KEY_SHOME: return MakeKey(VK_HOME, PKF_SHIFT | a, -1);
    case KEY_SEND: return MakeKey(VK_END, PKF_SHIFT | a, -1);
    case KEY_SDC: return MakeKey(VK_DELETE, PKF_SHIFT | a, -1);
    case KEY_SNEXT: return MakeKey(VK_NEXT, PKF_SHIFT | a, -1);
    case KEY_SPREVIOUS: return MakeKey(VK_PRIOR, PKF_SHIFT | a, -1);
    default: return KeyFromName(name, alt);
    }
}

int MatchBreakKey(const int *keys, int max, KeyEvent k)
{
    if (!keys || k.vk == 0) return -1;
    for (int i = 0; i < max && keys[i] != 0; i++) {
        int vk = keys[i] & 0xFFFF;
        int mods = (keys[i] >> 16) & 0xFFFF;
        if (vk == k.vk && mods == k.mods) return i;
    }
    return -1;
}

int IsPlainKey(KeyEvent k, int vk)
{
    return k.vk == vk && k.mods == 0;
}
