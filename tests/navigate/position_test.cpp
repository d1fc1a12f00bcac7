// Cursor placement: the three-quarter scroll rule and the horizontal rule.
#include <gtest/gtest.h>

#include <string.h>

#include "host/host.h"
#include "navigate/navigate.h"

namespace {

EditorSetPosition g_set;
int g_setCalls;

int FARAPI RecordSetPosition(int command, void *param)
{
    if (command == ECTL_SETPOSITION) {
        g_set = *static_cast<EditorSetPosition *>(param);
        g_setCalls++;
    }
    return 1;
}

struct PositionFixture : ::testing::Test {
    PluginStartupInfo saved;
    void SetUp() override
    {
        saved = g_far;
        memset(&g_far, 0, sizeof g_far);
        g_far.EditorControl = RecordSetPosition;
        g_setCalls = 0;
    }
    void TearDown() override { g_far = saved; }

    EditorSetPosition Place(int h, int w, int top, int left, int line, int col)
    {
        EditorInfo info;
        memset(&info, 0, sizeof info);
        info.WindowSizeY = h;
        info.WindowSizeX = w;
        info.TopScreenLine = top;
        info.LeftPos = left;
        PositionEditor(&info, line, col);
        return g_set;
    }
};

TEST_F(PositionFixture, VerticalScroll)
{
    const struct {
        int h, top, line, expectedTop;
    } rows[] = {
        {24, 0, 100, 82}, {24, 0, 10, 0},   {24, 50, 5, 0},   {24, 0, 23, 0},
        {24, 0, 24, 6},   {24, 10, 9, 0},   {24, 40, 39, 21}, {22, 0, 100, 83},
        {23, 0, 100, 83}, {25, 0, 100, 81}, {24, 30, 53, 30},
    };
    for (const auto &r : rows) {
        EditorSetPosition p = Place(r.h, 80, r.top, 0, r.line, 0);
        EXPECT_EQ(p.TopScreenLine, r.expectedTop)
            << "h=" << r.h << " top=" << r.top << " line=" << r.line;
        EXPECT_EQ(p.CurLine, r.line);
        EXPECT_EQ(p.CurTabPos, -1);
        EXPECT_EQ(p.Overtype, -1);
    }
    EXPECT_EQ(g_setCalls, (int)(sizeof rows / sizeof rows[0]));
}

TEST_F(PositionFixture, HorizontalScroll)
{
    const struct {
        int w, left, col, expectedLeft;
    } rows[] = {
        {80, 60, 50, 10}, {80, 40, 10, 0}, {80, 0, 120, -1}, {80, 60, 60, -1}, {81, 60, 50, 10},
    };
    for (const auto &r : rows) {
        EditorSetPosition p = Place(24, r.w, 0, r.left, 3, r.col);
        EXPECT_EQ(p.LeftPos, r.expectedLeft) << "left=" << r.left << " col=" << r.col;
        EXPECT_EQ(p.CurPos, r.col);
    }
}

} // namespace
