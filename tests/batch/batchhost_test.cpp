// The batch host: texts from the language files, warning and progress boxes on stderr, queued
// menu answers, and the in-memory editor a headless editor command works on.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "../platform/tempdir.h"
#include "batch/batch.h"
#include "common/lng.h"
#include "host/host.h"
#include "host/messages.h"
#include "plugin/headless.h"
#include "plugin/plugin.h"

namespace {

struct BatchHostTest : TempDirTest {
    void SetUp() override
    {
        TempDirTest::SetUp();
        // the texts are loaded once per process: make the first load English from the sources
        setenv("ZOLT_DIST_DIR", ZOLT_DIST_DIR, 1);
        setenv("LC_ALL", "C", 1);
        InstallBatchHost();
    }
    void TearDown() override
    {
        unsetenv("ZOLT_DIST_DIR");
        unsetenv("LC_ALL");
        TempDirTest::TearDown();
    }

    static std::string English(int n)
    {
        LngFile f;
        EXPECT_EQ(LngLoad(ZOLT_DIST_DIR "/zoltEng.lng", &f), 0);
        std::string text = LngMessage(&f, n);
        LngFree(&f);
        return text;
    }
};

TEST_F(BatchHostTest, WarningsAreStderrLinesAndProgressNeedsATerminal)
{
    ASSERT_NE(English(MSG_NO_MEMORY), "");
    EXPECT_EQ(MsgText(MSG_NO_MEMORY), English(MSG_NO_MEMORY));
    EXPECT_STREQ(SettingsRoot, "Software\\Far\\Plugins\\ZOLT");

    testing::internal::CaptureStderr();
    ShowProgress(MSG_SCAN_TITLE, "10 files"); // stderr is a file here: no progress
    ShowWarning(MSG_NO_MEMORY);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "zolt: " + English(MSG_WARNING_TITLE) + ": " + English(MSG_NO_MEMORY) + "\n");
    EXPECT_EQ(BatchWarningCount(), 1);
}

TEST_F(BatchHostTest, MenusTakeTheQueuedAnswersThenCancel)
{
    FarMenuItem items[2];
    memset(items, 0, sizeof items);
    strcpy(items[0].Text, "first");
    strcpy(items[1].Text, "second");
    BatchQueueMenuAnswer(1);
    BatchQueueMenuAnswer(2); // not an item: cancels
    int breakCode = 7;
    EXPECT_EQ(HostMenu(0, "T", nullptr, nullptr, &breakCode, items, 2), 1);
    EXPECT_EQ(breakCode, -1);
    EXPECT_EQ(HostMenu(0, "T", nullptr, nullptr, nullptr, items, 2), -1);
    EXPECT_EQ(HostMenu(0, "U", nullptr, nullptr, nullptr, items, 1), -1); // queue empty
    ASSERT_EQ(BatchMenus().size(), 3u);
    EXPECT_EQ(BatchMenus()[0].items, (std::vector<std::string>{"first", "second"}));
    EXPECT_EQ(BatchMenus()[0].result, 1);
    EXPECT_EQ(BatchMenus()[2].title, "U");
    EXPECT_EQ(HostDialog(57, 20, nullptr, 0), -1);

    // a pick counts through the menus as they come: the second menu's item 1 is item 3
    BatchPickAcrossMenus(3);
    EXPECT_EQ(HostMenu(0, "V", nullptr, nullptr, nullptr, items, 2), -1);
    EXPECT_EQ(HostMenu(0, "V", nullptr, nullptr, nullptr, items, 2), 1);
    EXPECT_EQ(HostMenu(0, "V", nullptr, nullptr, nullptr, items, 2), -1); // taken: cancelled
}

TEST_F(BatchHostTest, EditorControlWorksOnTheCurrentEditor)
{
    EditorInfo info;
    EXPECT_EQ(HostEditorControl(ECTL_GETINFO, &info), 0); // no editor yet
    BatchEditor *e = BatchOpenEditor("C:\\src\\a.c", {"one", "two"}, 1, 2);
    ASSERT_NE(e, nullptr);
    ASSERT_EQ(HostEditorControl(ECTL_GETINFO, &info), 1);
    EXPECT_EQ(info.EditorID, e->id);
    EXPECT_STREQ(info.FileName, "C:\\src\\a.c");
    EXPECT_EQ(info.TotalLines, 2);
    EXPECT_EQ(info.CurLine, 1);
    EXPECT_EQ(info.CurPos, 2);

    EditorGetString egs;
    memset(&egs, 0, sizeof egs);
    egs.StringNumber = -1;
    ASSERT_EQ(HostEditorControl(ECTL_GETSTRING, &egs), 1);
    EXPECT_EQ(std::string(egs.StringText, (size_t)egs.StringLength), "two");
    EXPECT_STREQ(egs.StringEOL, ""); // the last line has no end, the others CR LF
    egs.StringNumber = 0;
    ASSERT_EQ(HostEditorControl(ECTL_GETSTRING, &egs), 1);
    EXPECT_STREQ(egs.StringEOL, "\r\n");
    egs.StringNumber = 2;
    EXPECT_EQ(HostEditorControl(ECTL_GETSTRING, &egs), 0);

    EditorSetPosition pos = {0, 1, -1, -1, -1, -1};
    EXPECT_EQ(HostEditorControl(ECTL_SETPOSITION, &pos), 1);
    EXPECT_EQ(BatchCurrentEditor()->curLine, 0);
    EXPECT_EQ(BatchCurrentEditor()->curPos, 1);
    pos = {99, -1, -1, -1, -1, -1};
    EXPECT_EQ(HostEditorControl(ECTL_SETPOSITION, &pos), 1);
    EXPECT_EQ(BatchCurrentEditor()->curLine, 1);
    EXPECT_EQ(BatchCurrentEditor()->curPos, 1);

    EXPECT_EQ(HostEditor("C:\\src\\b.c", 12, 4), 2);
    ASSERT_EQ(BatchEditorCalls().size(), 1u);
    EXPECT_EQ(BatchEditorCalls()[0].fileName, "C:\\src\\b.c");
    EXPECT_EQ(BatchEditorCalls()[0].startLine, 12);
    EXPECT_EQ(BatchEditorCalls()[0].startChar, 4);

    EXPECT_EQ(HostEditorControl(ECTL_QUIT, nullptr), 1);
    EXPECT_EQ(BatchCurrentEditor(), nullptr);
}

TEST_F(BatchHostTest, LoadLinesSplitsEveryLineEnd)
{
    struct {
        const char *bytes;
        std::vector<std::string> lines;
    } const rows[] = {
        {"a\r\nb\rc\n\nd", {"a", "b", "c", "", "d"}},
        {"x\n", {"x"}},
        {"x\r", {"x"}},
        {"", {}},
        {"\r\n\r\n", {"", ""}},
        {"\n\r", {"", ""}},
        {"x\r\r\ny", {"x", "", "y"}},
    };
    for (const auto &r : rows) {
        WriteText("f.txt", r.bytes);
        std::vector<std::string> lines = {"stale"};
        EXPECT_EQ(BatchLoadLines("f.txt", &lines), 0);
        EXPECT_EQ(lines, r.lines) << r.bytes;
    }
    std::vector<std::string> lines;
    EXPECT_EQ(BatchLoadLines("missing.txt", &lines), -1);
}

TEST_F(BatchHostTest, EditorCommandRunsOnTheInMemoryEditor)
{
    WriteText("a.c", "int f(void) { return 0; }\nint g(void) { return f(); }\n");
    std::vector<std::string> lines;
    ASSERT_EQ(BatchLoadLines("a.c", &lines), 0);
    std::string name = root + "/a.c";
    for (char &c : name)
        if (c == '/') c = '\\';
    BatchOpenEditor(name, lines, 1, 21);
    BatchQueueMenuAnswer(COMMAND_GOTO);
    EXPECT_EQ(OpenPlugin(OPEN_EDITOR, 0), FAR_INVALID_HANDLE);
    EXPECT_EQ(BatchCurrentEditor()->curLine, 0);
    EXPECT_EQ(BatchWarningCount(), 0);
    ASSERT_EQ(BatchMenus().size(), 1u);
    EXPECT_EQ(BatchMenus()[0].items.size(), 3u);
}

// The prefix that leads from one canonical directory to another, for paths in tags files and
// grep-style lines.
TEST(BatchLocations, RelativeDirectory)
{
    struct {
        const char *from, *to, *want;
    } const rows[] = {
        {"/a/b", "/a/b", ""},          {"/a/b", "/a/b/c", "c/"},      {"/a/b/c", "/a/b", "../"},
        {"/a/b", "/a/c/d", "../c/d/"}, {"/", "/a", "a/"},             {"/a", "/", "../"},
        {"/", "/", ""},                {"/ab", "/a", "../a/"},        {"/a", "/ab", "../ab/"},
        {"/a/b/", "/a/b", ""},         {"/x/y/z", "/p", "../../../p/"},
    };
    for (const auto &r : rows)
        EXPECT_EQ(RelativeDirectory(r.from, r.to), r.want) << r.from << " " << r.to;
}

// Only lines that name a definition at a line of a file inside the index's directory become
// places; the rest of a damaged index is passed over.
TEST_F(BatchHostTest, LocationsFromTheIndexKeepOnlyPlaces)
{
    WriteText("zoltprj$.Far", "?empty.c?0\r\n"
                              "a\tb?x.c?3\r\n"
                              "abs?\\etc\\passwd?1\r\n"
                              "f?sub\\x.c?7\r\n"
                              "g?x.c?65535\r\n"
                              "nofields\r\n"
                              "up?..\\x.c?2\r\n"
                              "zero?x.c?0\r\n");
    LocationList list;
    CommandReport report;
    ASSERT_EQ(ListLocations("", &list, &report), 0);
    EXPECT_EQ(report.noIndex, 0);
    std::string got;
    for (const Location &l : list.places)
        got += std::string(l.name) + " " + l.path + " " + std::to_string(l.line) + "\n";
    EXPECT_EQ(got, "f sub/x.c 7\ng x.c 65535\n");
    FreeLocations(&list);
    ASSERT_EQ(ListLocations("F", &list, &report), 0);
    ASSERT_EQ(list.places.size(), 1u);
    EXPECT_STREQ(list.places[0].path, "sub/x.c");
    FreeLocations(&list);
    // an index Browse refuses (out of order, not text) lists nothing where its run meets the fault
    for (const std::string &text : {std::string("g?x.c?1\r\nf?x.c?2\r\nh?x.c?3\r\n"),
                                    std::string("f?x.c?1\r\n\0?x.c?2\r\n", 19)}) {
        WriteText("zoltprj$.Far", text);
        for (const char *prefix : {"", "f"}) {
            EXPECT_EQ(ListLocations(prefix, &list, &report), -1) << prefix;
            EXPECT_EQ(report.damaged, 1) << prefix;
            FreeLocations(&list);
        }
    }
}

} // namespace
