/* The terminal host's menu model: cursor start, wrap, paging, hotkeys, break keys. */
#include <curses.h>
#include <gtest/gtest.h>
#include <string.h>

#include "base/text.h"
#include "term/model_p.h"

namespace {

struct Items {
    FarMenuItem items[40];
    explicit Items(int n, const char *prefix = "item")
    {
        memset(items, 0, sizeof items);
        for (int i = 0; i < n; i++)
            FormatTruncated(items[i].Text, sizeof items[i].Text, "%s%d", prefix, i);
    }
};

KeyEvent Vk(int vk)
{
    return KeyFromCurses(vk == VK_UP      ? KEY_UP
                         : vk == VK_DOWN  ? KEY_DOWN
                         : vk == VK_NEXT  ? KEY_NPAGE
                         : vk == VK_PRIOR ? KEY_PPAGE
                         : vk == VK_HOME  ? KEY_HOME
                                          : KEY_END,
                         NULL, 0);
}
KeyEvent Char(char c, int scan)
{
    return KeyFromChar((unsigned char)c, scan, 0);
}
const KeyEvent ENTER = KeyFromChar(13, -1, 0);
const KeyEvent ESC = KeyFromChar(27, -1, 0);

int Press(MenuModel *m, KeyEvent k, int *breakIndex = NULL, const int *breaks = NULL)
{
    int b = -1;
    int rc = MenuKey(m, breaks, k, &b);
    if (breakIndex) *breakIndex = b;
    return rc;
}

TEST(TermMenu, CursorStartsOnTheSelectedItemAndIsShown)
{
    Items it(30);
    it.items[25].Selected = 1;
    MenuModel m;
    MenuInit(&m, it.items, 30, FMENU_WRAPMODE, 10);
    EXPECT_EQ(m.cur, 25);
    EXPECT_LE(m.top, 25);
    EXPECT_GT(m.top + m.rows, 25);
    MenuFree(&m);

    Items none(5);
    MenuInit(&m, none.items, 5, 0, 10);
    EXPECT_EQ(m.cur, 0);
    MenuFree(&m);
}

TEST(TermMenu, EmptySliceCannotBeChosen)
{
    MenuModel m;
    MenuInit(&m, NULL, 0, FMENU_WRAPMODE, 10);
    EXPECT_EQ(m.cur, -1);
    EXPECT_EQ(Press(&m, Vk(VK_DOWN)), MENU_GOING);
    EXPECT_EQ(Press(&m, ENTER), MENU_CANCELLED);
    MenuFree(&m);
}

TEST(TermMenu, WrapModeDecidesAtTheEnds)
{
    Items it(5);
    MenuModel m;
    MenuInit(&m, it.items, 5, FMENU_WRAPMODE, 10);
    Press(&m, Vk(VK_UP));
    EXPECT_EQ(m.cur, 4);
    Press(&m, Vk(VK_DOWN));
    EXPECT_EQ(m.cur, 0);
    MenuFree(&m);

    MenuInit(&m, it.items, 5, 0, 10);
    Press(&m, Vk(VK_UP));
    EXPECT_EQ(m.cur, 0);
    Press(&m, Vk(VK_END));
    Press(&m, Vk(VK_DOWN));
    EXPECT_EQ(m.cur, 4);
    MenuFree(&m);
}

TEST(TermMenu, PagingScrollsTheWindow)
{
    Items it(40);
    MenuModel m;
    MenuInit(&m, it.items, 40, 0, 10);
    Press(&m, Vk(VK_NEXT));
    EXPECT_EQ(m.cur, 9);
    EXPECT_EQ(m.top, 0);
    Press(&m, Vk(VK_NEXT));
    EXPECT_EQ(m.cur, 18);
    EXPECT_EQ(m.top, 9);
    Press(&m, Vk(VK_END));
    EXPECT_EQ(m.cur, 39);
    EXPECT_EQ(m.top, 30);
    Press(&m, Vk(VK_PRIOR));
    EXPECT_EQ(m.cur, 30);
    Press(&m, Vk(VK_HOME));
    EXPECT_EQ(m.cur, 0);
    EXPECT_EQ(m.top, 0);
    MenuFree(&m);
}

TEST(TermMenu, SeparatorsAreSkipped)
{
    Items it(4);
    it.items[1].Separator = 1;
    MenuModel m;
    MenuInit(&m, it.items, 4, 0, 10);
    Press(&m, Vk(VK_DOWN));
    EXPECT_EQ(m.cur, 2);
    Press(&m, Vk(VK_UP));
    EXPECT_EQ(m.cur, 0);
    MenuFree(&m);
}

TEST(TermMenu, BreakKeyReportsItsIndexAndKeepsTheCursor)
{
    Items it(5);
    it.items[3].Selected = 1;
    int breaks[] = {'A', 'B', 8, 0};
    MenuModel m;
    MenuInit(&m, it.items, 5, FMENU_WRAPMODE, 10);
    int b = -1;
    EXPECT_EQ(Press(&m, Char('b', 0x42), &b, breaks), MENU_BREAK);
    EXPECT_EQ(b, 1);
    EXPECT_EQ(m.cur, 3);
    EXPECT_EQ(Press(&m, Char('B', 0x142), &b, breaks), MENU_GOING); /* Shift+B is not listed */
    EXPECT_EQ(Press(&m, KeyFromChar(127, -1, 0), &b, breaks), MENU_BREAK);
    EXPECT_EQ(b, 2);
    EXPECT_EQ(Press(&m, ESC, &b, breaks), MENU_CANCELLED);
    MenuFree(&m);
}

TEST(TermMenu, HotkeysFromMarkersAndAutoHighlight)
{
    Items it(3);
    CopyTruncated(it.items[0].Text, 128, "&Browse definitions");
    CopyTruncated(it.items[1].Text, 128, "Build project &index");
    CopyTruncated(it.items[2].Text, 128, "Back");
    MenuModel m;
    MenuInit(&m, it.items, 3, FMENU_AUTOHIGHLIGHT, 10);
    char label[128];
    int hot;
    MenuItemLabel(&m, 0, label, sizeof label, &hot);
    EXPECT_STREQ(label, "Browse definitions");
    EXPECT_EQ(hot, 0);
    MenuItemLabel(&m, 1, label, sizeof label, &hot);
    EXPECT_STREQ(label, "Build project index");
    EXPECT_EQ(hot, 14);
    MenuItemLabel(&m, 2, label, sizeof label, &hot);
    EXPECT_EQ(hot, 1); /* 'B' is taken: the next free character */
    EXPECT_EQ(Press(&m, Char('i', 0x49)), MENU_CHOSEN);
    EXPECT_EQ(m.cur, 1);
    EXPECT_EQ(Press(&m, Char('A', 0x141)), MENU_CHOSEN);
    EXPECT_EQ(m.cur, 2);
    MenuFree(&m);

    MenuInit(&m, it.items, 3, FMENU_SHOWAMPERSAND | FMENU_WRAPMODE, 10);
    MenuItemLabel(&m, 0, label, sizeof label, &hot);
    EXPECT_STREQ(label, "&Browse definitions");
    EXPECT_EQ(hot, -1);
    EXPECT_EQ(Press(&m, Char('b', 0x42)), MENU_GOING);
    MenuFree(&m);
}

TEST(TermMenu, UnterminatedItemTextStaysInside)
{
    FarMenuItem item;
    memset(&item, '&', sizeof item.Text);
    item.Selected = item.Checked = item.Separator = 0;
    MenuModel m;
    MenuInit(&m, &item, 1, FMENU_AUTOHIGHLIGHT, 5);
    char label[200];
    int hot;
    MenuItemLabel(&m, 0, label, sizeof label, &hot);
    EXPECT_LE(strlen(label), 64u);
    MenuFree(&m);
}

} // namespace
