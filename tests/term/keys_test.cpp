/* Key translation and break-key matching of the terminal host. */
#include <curses.h>
#include <gtest/gtest.h>

#include "term/model_p.h"

namespace {

struct CharCase {
    int byte, scan, alt;
    int vk, mods, ch;
};

TEST(TermKeys, TypedCharacters)
{
    const CharCase cases[] = {
        {'a', 0x41, 0, 0x41, 0, 'a'},
        {'A', 0x141, 0, 0x41, PKF_SHIFT, 'A'},
        {'_', 0x1BD, 0, 0xBD, PKF_SHIFT, '_'},
        {'-', 0xBD, 0, 0xBD, 0, '-'},
        {'7', 0x37, 0, 0x37, 0, '7'},
        {' ', 0x20, 0, VK_SPACE, 0, ' '},
        {'x', 0x58, 1, 0x58, PKF_ALT, -1}, /* Alt+x types nothing */
        {1, -1, 0, 'A', PKF_CONTROL, -1},  /* Ctrl+A */
        {26, -1, 0, 'Z', PKF_CONTROL, -1},
        {127, -1, 0, VK_BACK, 0, -1},
        {8, -1, 0, VK_BACK, 0, -1},
        {13, -1, 0, VK_RETURN, 0, -1},
        {9, -1, 0, VK_TAB, 0, -1},
        {27, -1, 0, VK_ESCAPE, 0, -1},
        {0xA0, -1, 0, 0, 0, 0xA0}, /* a Cyrillic letter: text, no key code */
        {-1, -1, 0, 0, 0, -1},     /* a character code page 866 lacks */
    };
    for (const CharCase &c : cases) {
        KeyEvent k = KeyFromChar(c.byte, c.scan, c.alt);
        EXPECT_EQ(k.vk, c.vk) << "byte " << c.byte;
        EXPECT_EQ(k.mods, c.mods) << "byte " << c.byte;
        EXPECT_EQ(k.ch, c.ch) << "byte " << c.byte;
    }
}

struct CursesCase {
    int code;
    const char *name;
    int alt;
    int vk, mods;
};

TEST(TermKeys, FunctionAndCursorKeys)
{
    const CursesCase cases[] = {
        {KEY_F(1), NULL, 0, VK_F1, 0},
        {KEY_F(11), NULL, 0, VK_F(11), 0},
        {KEY_F(21), NULL, 0, VK_F(9), PKF_SHIFT},
        {KEY_F(26), NULL, 0, VK_F(2), PKF_CONTROL},
        {KEY_F(57), NULL, 0, VK_F(9), PKF_ALT},
        {KEY_F(9), NULL, 1, VK_F(9), PKF_ALT}, /* Esc prefix */
        {KEY_F(63), NULL, 0, VK_F(3), PKF_ALT | PKF_SHIFT},
        {KEY_HOME, NULL, 0, VK_HOME, 0},
        {KEY_NPAGE, NULL, 0, VK_NEXT, 0},
        {KEY_BTAB, NULL, 0, VK_TAB, PKF_SHIFT},
        {KEY_BACKSPACE, NULL, 0, VK_BACK, 0},
        {KEY_SHOME, NULL, 0, VK_HOME, PKF_SHIFT},
        {KEY_MAX + 1, "kHOM5", 0, VK_HOME, PKF_CONTROL},
        {KEY_MAX + 2, "kEND5", 0, VK_END, PKF_CONTROL},
        {KEY_MAX + 3, "kUP3", 0, VK_UP, PKF_ALT},
        {KEY_MAX + 4, "kRIT6", 0, VK_RIGHT, PKF_CONTROL | PKF_SHIFT},
        {KEY_MAX + 5, "kHOM", 0, 0, 0}, /* no modifier digit: not one we know */
        {KEY_MAX + 6, "kHOM55", 0, 0, 0},
        {KEY_MAX + 7, NULL, 0, 0, 0},
    };
    for (const CursesCase &c : cases) {
        KeyEvent k = KeyFromCurses(c.code, c.name, c.alt);
        EXPECT_EQ(k.vk, c.vk) << "code " << c.code << " " << (c.name ? c.name : "");
        EXPECT_EQ(k.mods, c.mods) << "code " << c.code << " " << (c.name ? c.name : "");
        EXPECT_EQ(k.ch, -1);
    }
}

/* The browse menu's list: letters, digits, the punctuation keys by bare code, Backspace, Space. */
static void BrowseKeys(int *keys)
{
    int n = 0;
    for (int c = 'A'; c <= 'Z'; c++) keys[n++] = c;
    for (int c = '0'; c <= '9'; c++) keys[n++] = c;
    const int punct[] = {0xBD, 0xBA, 0xC0, 0xBC, 0xBE, 8, 32, 0};
    for (int p : punct) keys[n++] = p;
}

TEST(TermKeys, BreakKeysNeedTheSameModifiers)
{
    int keys[100] = {0};
    BrowseKeys(keys);
    struct {
        KeyEvent k;
        int index;
    } cases[] = {
        {KeyFromChar('a', 0x41, 0), 0},
        {KeyFromChar('z', 0x5A, 0), 25},
        {KeyFromChar('0', 0x30, 0), 26},
        {KeyFromChar('-', 0xBD, 0), 36},  /* the key that carries '_' */
        {KeyFromChar('_', 0x1BD, 0), -1}, /* with Shift: the bare entry does not fire */
        {KeyFromChar('A', 0x141, 0), -1},
        {KeyFromChar(';', 0xBA, 0), 37},
        {KeyFromChar(127, -1, 0), 41},
        {KeyFromChar(' ', 0x20, 0), 42},
        {KeyFromChar(1, -1, 0), -1},     /* Ctrl+A */
        {KeyFromChar('a', 0x41, 1), -1}, /* Alt+A */
        {KeyFromCurses(KEY_UP, NULL, 0), -1},
    };
    for (auto &c : cases) EXPECT_EQ(MatchBreakKey(keys, 100, c.k), c.index) << c.k.vk;

    int shifted[] = {(PKF_SHIFT << 16) | 0xBD, (PKF_CONTROL << 16) | 'A', 0};
    EXPECT_EQ(MatchBreakKey(shifted, 3, KeyFromChar('_', 0x1BD, 0)), 0);
    EXPECT_EQ(MatchBreakKey(shifted, 3, KeyFromChar('-', 0xBD, 0)), -1);
    EXPECT_EQ(MatchBreakKey(shifted, 3, KeyFromChar(1, -1, 0)), 1);
}

TEST(TermKeys, BreakListWithoutTerminatorIsBounded)
{
    int keys[3] = {'A', 'B', 'C'};
    EXPECT_EQ(MatchBreakKey(keys, 3, KeyFromChar('d', 0x44, 0)), -1);
    EXPECT_EQ(MatchBreakKey(keys, 3, KeyFromChar('c', 0x43, 0)), 2);
    EXPECT_EQ(MatchBreakKey(NULL, 3, KeyFromChar('c', 0x43, 0)), -1);
}

} // namespace
