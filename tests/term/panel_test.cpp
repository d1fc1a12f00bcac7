/* The terminal host's panel model: order of the listing, the cursor, entering directories. */
#include <curses.h>
#include <gtest/gtest.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "../platform/tempdir.h"
#include "term/model_p.h"

namespace {

using TermPanel = TempDirTest;

std::string Names(const PanelModel &p)
{
    std::string s;
    for (int i = 0; i < p.count; i++) s += std::string(i ? " " : "") + p.entries[i].name;
    return s;
}

const char *CurName(const PanelModel &p)
{
    return p.count > 0 ? p.entries[p.cur].name : "<empty>";
}

TEST_F(TermPanel, ListsUpThenDirectoriesThenFilesAndEntersDirectories)
{
    ASSERT_EQ(mkdir("sub", 0755), 0);
    ASSERT_EQ(mkdir("Zdir", 0755), 0);
    ASSERT_EQ(mkdir("gone", 0755), 0);
    WriteText("b.c", "int b;\n");
    WriteText("a.c", "");
    WriteText("sub/x.h", "");
    PanelModel p;
    memset(&p, 0, sizeof p);
    PanelLoad(&p, "b.c");
    EXPECT_EQ(Names(p), ".. Zdir gone sub a.c b.c"); /* byte order: upper case first */
    EXPECT_STREQ(CurName(p), "b.c");
    EXPECT_EQ(p.entries[5].size, 7);
    EXPECT_EQ(p.entries[2].isDir, 1);
    EXPECT_EQ(p.cwd, root);

    p.cur = 3; /* sub: in, and up again lands on it */
    ASSERT_EQ(PanelEnterDir(&p), 0);
    EXPECT_EQ(p.cwd, root + "/sub");
    EXPECT_EQ(Names(p), ".. x.h");
    EXPECT_EQ(p.cur, 0);
    ASSERT_EQ(PanelEnterDir(&p), 0);
    EXPECT_EQ(p.cwd, root);
    EXPECT_STREQ(CurName(p), "sub");

    p.cur = 2; /* removed after listing: the panel stays where it was */
    ASSERT_EQ(rmdir("gone"), 0);
    EXPECT_EQ(PanelEnterDir(&p), -1);
    EXPECT_EQ(p.cwd, root);
    EXPECT_STREQ(CurName(p), "gone");
    p.cur = 4;
    WriteText("0new.c", ""); /* a reload keeps the cursor on its name */
    PanelReload(&p);
    EXPECT_EQ(Names(p), ".. Zdir sub 0new.c a.c b.c");
    EXPECT_STREQ(CurName(p), "a.c");
    PanelFree(&p);

    ASSERT_EQ(chdir("/"), 0); /* the root has no way up */
    PanelLoad(&p, NULL);
    EXPECT_STRNE(p.count > 0 ? p.entries[0].name : "", "..");
    PanelFree(&p);
}

TEST(TermPanelKeys, CursorStaysOnAnEntryAndTheWindowFollows)
{
    PanelEntry entries[30];
    memset(entries, 0, sizeof entries);
    const struct {
        int code, count, cur, page, wantCur, rows, top, wantTop;
    } cases[] = {
        {KEY_UP, 30, 0, 10, 0, 10, 0, 0},        {KEY_NPAGE, 30, 5, 10, 15, 10, 0, 6},
        {KEY_NPAGE, 30, 25, 10, 29, 10, 20, 20}, {KEY_PPAGE, 30, 25, 10, 15, 10, 20, 15},
        {KEY_END, 30, 0, 10, 29, 10, 0, 20},     {KEY_DOWN, 0, 0, 10, 0, 10, 0, 0},
    };
    for (const auto &c : cases) {
        PanelModel p;
        memset(&p, 0, sizeof p);
        p.entries = entries;
        p.count = c.count;
        p.cur = c.cur;
        p.top = c.top;
        EXPECT_EQ(PanelKey(&p, KeyFromCurses(c.code, NULL, 0), c.page), 1) << c.code;
        EXPECT_EQ(p.cur, c.wantCur) << c.code << " from " << c.cur;
        PanelShowCursor(&p, c.rows);
        EXPECT_EQ(p.top, c.wantTop) << c.code << " from " << c.cur;
    }
    PanelModel p;
    memset(&p, 0, sizeof p);
    EXPECT_EQ(PanelKey(&p, KeyFromChar('a', 'a', 0), 10), 0);
}

} // namespace
