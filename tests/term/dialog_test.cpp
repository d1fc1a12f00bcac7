/* The terminal host's dialog model over the options dialog's layout. */
#include <curses.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>

#include "base/text.h"
#include "term/model_p.h"

namespace {

/* type, x1, y1, x2, y2, focus, flags, default button */
const int LAYOUT[18][8] = {
    {DI_DOUBLEBOX, 3, 1, 53, 17, 0, 0, 0}, {DI_TEXT, 6, 2, 0, 0, 0, 0, 0},
    {DI_TEXT, 6, 8, 0, 0, 0, 0, 0},        {DI_TEXT, 3, 7, 0, 0, 0, 0x10200, 0},
    {DI_TEXT, 3, 12, 0, 0, 0, 0x10200, 0}, {DI_CHECKBOX, 8, 3, 0, 0, 1, 0, 0},
    {DI_CHECKBOX, 8, 4, 0, 0, 0, 0, 0},    {DI_CHECKBOX, 8, 5, 0, 0, 0, 0, 0},
    {DI_CHECKBOX, 8, 6, 0, 0, 0, 0, 0},    {DI_CHECKBOX, 8, 9, 0, 0, 0, 0, 0},
    {DI_CHECKBOX, 8, 10, 0, 0, 0, 0, 0},   {DI_CHECKBOX, 8, 11, 0, 0, 0, 0, 0},
    {DI_TEXT, 6, 13, 0, 0, 0, 0, 0},       {DI_EDIT, 17, 13, 50, 13, 0, 0, 0},
    {DI_CHECKBOX, 6, 14, 0, 0, 0, 0, 0},   {DI_CHECKBOX, 6, 15, 0, 0, 0, 0, 0},
    {DI_BUTTON, 3, 18, 0, 0, 0, 0, 1},     {DI_BUTTON, 11, 18, 0, 0, 0, 0, 0},
};

struct Dialog {
    FarDialogItem items[18];
    DialogModel d;
    Dialog()
    {
        memset(items, 0, sizeof items);
        for (int i = 0; i < 18; i++) {
            FarDialogItem &it = items[i];
            it.Type = LAYOUT[i][0];
            it.X1 = LAYOUT[i][1], it.Y1 = LAYOUT[i][2], it.X2 = LAYOUT[i][3], it.Y2 = LAYOUT[i][4];
            it.Focus = LAYOUT[i][5];
            it.Flags = (FarDword)LAYOUT[i][6];
            it.DefaultButton = LAYOUT[i][7];
        }
        CopyTruncated(items[13].Data, sizeof items[13].Data, "*.c;*.h");
        const char *const labels[][2] = {{"8", "Close the menu &after opening a file"},
                                         {"12", "File &masks"},
                                         {"14", "Scan su&bdirectories"},
                                         {"16", "&OK"},
                                         {"17", "&Cancel"}};
        for (const auto &l : labels)
            CopyTruncated(items[atoi(l[0])].Data, sizeof items[0].Data, l[1]);
        DialogInit(&d, items, 18);
    }
    int Press(KeyEvent k)
    {
        int close = -2;
        int rc = DialogKey(&d, k, &close);
        return rc == DIALOG_CLOSED ? close : -2; /* -2: still open */
    }
    void Type(const char *s)
    {
        for (; *s; s++) Press(KeyFromChar((unsigned char)*s, -1, 0));
    }
};

const KeyEvent TAB = KeyFromChar(9, -1, 0);
const KeyEvent BACKTAB = KeyFromCurses(KEY_BTAB, NULL, 0);
const KeyEvent SPACE = KeyFromChar(' ', 0x20, 0);
const KeyEvent ENTER = KeyFromChar(13, -1, 0);

TEST(TermDialog, FocusVisitsTheControlsInOrderAndWraps)
{
    Dialog t;
    EXPECT_EQ(t.d.focus, 5);
    const int order[] = {6, 7, 8, 9, 10, 11, 13, 14, 15, 16, 17, 5};
    for (int want : order) {
        t.Press(TAB);
        EXPECT_EQ(t.d.focus, want);
    }
    t.Press(BACKTAB);
    EXPECT_EQ(t.d.focus, 17);
    t.Press(KeyFromCurses(KEY_UP, NULL, 0));
    EXPECT_EQ(t.d.focus, 16);
}

TEST(TermDialog, SpaceTogglesCheckboxesAndEnterClosesWithTheDefaultButton)
{
    Dialog t;
    t.Press(SPACE);
    EXPECT_EQ(t.items[5].Selected, 1);
    t.Press(SPACE);
    EXPECT_EQ(t.items[5].Selected, 0);
    t.Press(TAB);
    t.Press(SPACE);
    EXPECT_EQ(t.items[6].Selected, 1);
    EXPECT_EQ(t.Press(ENTER), 16);
}

TEST(TermDialog, ButtonsCloseWithTheirOwnIndexAndEscCancels)
{
    Dialog t;
    for (int i = 0; i < 11; i++) t.Press(TAB);
    EXPECT_EQ(t.d.focus, 17);
    EXPECT_EQ(t.Press(ENTER), 17);
    Dialog u;
    for (int i = 0; i < 11; i++) u.Press(TAB);
    EXPECT_EQ(u.Press(SPACE), 17);
    Dialog v;
    EXPECT_EQ(v.Press(KeyFromChar(27, -1, 0)), -1);
}

TEST(TermDialog, EditFieldEditsInPlace)
{
    Dialog t;
    for (int i = 0; i < 7; i++) t.Press(TAB);
    ASSERT_EQ(t.d.focus, 13);
    EXPECT_EQ(t.d.editPos, 7); /* the cursor starts after the text */
    t.Type(";*.cc");
    EXPECT_STREQ(t.items[13].Data, "*.c;*.h;*.cc");
    t.Press(KeyFromChar(127, -1, 0));
    t.Press(KeyFromCurses(KEY_HOME, NULL, 0));
    t.Press(KeyFromCurses(KEY_DC, NULL, 0));
    t.Press(KeyFromCurses(KEY_RIGHT, NULL, 0));
    t.Type("x");
    EXPECT_STREQ(t.items[13].Data, ".xc;*.h;*.c");
    t.Press(SPACE); /* a space is text here, not a toggle */
    EXPECT_STREQ(t.items[13].Data, ".x c;*.h;*.c");
    EXPECT_EQ(t.Press(ENTER), 16);
}

TEST(TermDialog, EditFieldStopsAtItsCapacityAndScrolls)
{
    Dialog t;
    for (int i = 0; i < 7; i++) t.Press(TAB);
    for (int i = 0; i < 600; i++) t.Press(KeyFromChar('a', 0x41, 0));
    EXPECT_EQ(strlen(t.items[13].Data), (size_t)EDIT_FIELD_MAX);
    int width = EditFieldWidth(&t.items[13]);
    EXPECT_EQ(width, 34);
    EXPECT_GE(t.d.editPos - t.d.editLeft, 0);
    EXPECT_LT(t.d.editPos - t.d.editLeft, width);
    t.Press(KeyFromCurses(KEY_HOME, NULL, 0));
    EXPECT_EQ(t.d.editLeft, 0);
}

/* Hot keys: a letter alone unless the focus is in the edit field, with Alt from anywhere. */
TEST(TermDialog, HotKeysChooseTheirControl)
{
    const struct {
        char key;
        int alt;
        int wantFocus, wantClose; /* -2: still open */
        const char *wantMask;
    } steps[] = {
        {'a', 0, 8, -2, "*.c;*.h"},   /* toggles the checkbox */
        {'M', 0, 13, -2, "*.c;*.h"},  /* a text hands on to the field after it */
        {'b', 0, 13, -2, "*.c;*.hb"}, /* in the field a letter is text */
        {'b', 1, 14, -2, "*.c;*.hb"}, {'x', 0, 14, -2, "*.c;*.hb"}, /* no control has it */
        {'c', 0, 17, 17, "*.c;*.hb"},                               /* a button closes the dialog */
    };
    Dialog t;
    for (const auto &s : steps) {
        int scan = s.key >= 'a' ? s.key - 0x20 : s.key | 0x100;
        EXPECT_EQ(t.Press(KeyFromChar((unsigned char)s.key, scan, s.alt)), s.wantClose) << s.key;
        EXPECT_EQ(t.d.focus, s.wantFocus) << s.key;
        EXPECT_STREQ(t.items[13].Data, s.wantMask) << s.key;
    }
    EXPECT_EQ(t.items[8].Selected, 1);
    EXPECT_EQ(t.items[14].Selected, 1);
}

TEST(TermDialog, WithoutControlsEnterCancels)
{
    FarDialogItem items[2];
    memset(items, 0, sizeof items);
    items[0].Type = DI_DOUBLEBOX;
    items[1].Type = DI_TEXT;
    DialogModel d;
    DialogInit(&d, items, 2);
    EXPECT_EQ(d.focus, -1);
    int close = 5;
    EXPECT_EQ(DialogKey(&d, TAB, &close), DIALOG_GOING);
    EXPECT_EQ(DialogKey(&d, ENTER, &close), DIALOG_CLOSED);
    EXPECT_EQ(close, -1);
}

} // namespace
