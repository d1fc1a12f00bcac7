// Browse menu: typed keys reach the filter through the host's break-key matching, the slice
// shown, item texts, opening an entry from the panels and the editor, and running out of memory.
#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "base/alloc.h"
#include "browse/browse.h"
#include "browse/browse_p.h"
#include "host/messages.h"
#include "index/index.h"
#include "plugin/plugin.h"
#include "state/state.h"
#include "testhost/testhost.h"

namespace {

enum { VK_BACK = 0x08, VK_RETURN = 0x0D, VK_ESCAPE = 0x1B, VK_UP = 0x26, VK_DOWN = 0x28 };

const char BAR[] = " \xB3 ";

struct BrowseFixture : ::testing::Test {
    BrowserState st;
    void SetUp() override
    {
        TestHostInstall();
        SetMsgText(MSG_NO_MEMORY, "No memory");
        SetMsgText(MSG_BROWSE_TITLE, "Browse [%s]");
        SetMsgText(MSG_BROWSE_BOTTOM, "Type a prefix");
        memset(&st, 0, sizeof st);
        st.capacity = 100;
        st.entries = (DefinitionEntry *)MemAlloc(100 * sizeof(DefinitionEntry));
        st.moveToLine = 1;
        /* as the command's start-up stores them: the key without its shift state */
        st.keyUnderscore = KeyScanChar('_') & 0xFF;
        st.keyColon = KeyScanChar(':') & 0xFF;
        st.keyTilde = KeyScanChar('~') & 0xFF;
        st.keyLess = KeyScanChar('<') & 0xFF;
        st.keyGreater = KeyScanChar('>') & 0xFF;
    }
    void TearDown() override
    {
        MemFailFrom(0);
        EXPECT_EQ(st.menuItems, nullptr);
        ReleaseState(&st);
        EXPECT_EQ(TestHostFinish(), "");
    }
    void Add(const char *name, const char *file, int line)
    {
        DefinitionEntry e;
        memset(&e, 0, sizeof e);
        strncpy(e.name, name, sizeof e.name - 1);
        strncpy(e.file, file, sizeof e.file - 1);
        e.line = (uint32_t)line;
        ASSERT_EQ(AppendEntry(&e, &st, 0), 0);
    }
    void AddNames(const std::vector<const char *> &names)
    {
        for (size_t i = 0; i < names.size(); i++) Add(names[i], "a.c", (int)i + 1);
        SortTable(&st);
    }
    void Type(const char *text)
    {
        for (const char *p = text; *p; p++) ScriptMenuChar(*p);
    }
};

std::vector<HostCall> Menus()
{
    return CallsOf(CALL_MENU);
}

/* Editor-style item texts are the bare names, which makes the slice easy to read. */
std::string Names(const HostCall &menu)
{
    std::string s;
    for (const std::string &t : menu.items) s += (s.empty() ? "" : " ") + t;
    return s;
}

std::string Titles()
{
    std::string s;
    for (const HostCall &m : Menus()) s += m.title + "|";
    return s;
}

TEST_F(BrowseFixture, TypedLettersNarrowToNamesStartingWithThemInAnyCase)
{
    AddNames({"Alpha", "abc", "ABD", "aBx", "b1", "Abz", "a"});
    OpenEditor("x.c", {"int x;"});
    Type("ab");
    ScriptMenuKey(VK_ESCAPE);
    BrowseDefinitions(&st, OPEN_EDITOR);

    std::vector<HostCall> menus = Menus();
    ASSERT_EQ(menus.size(), 3u);
    EXPECT_EQ(Titles(), "Browse []|Browse [A]|Browse [AB]|");
    EXPECT_EQ(Names(menus[0]), "a abc ABD aBx Abz Alpha b1");
    EXPECT_EQ(Names(menus[1]), "a abc ABD aBx Abz Alpha");
    EXPECT_EQ(Names(menus[2]), "abc ABD aBx Abz");
    EXPECT_EQ(menus[2].flags, (FarDword)(FMENU_SHOWAMPERSAND | FMENU_WRAPMODE));
    EXPECT_EQ(menus[2].bottom, "Type a prefix");
    EXPECT_EQ(menus[2].help, "Contents");
    EXPECT_EQ(CurrentEditor()->curLine, 0) << "Esc moves nothing";
}

// A run longer than the menu shows its first entries, says how many match, and typing narrows it;
// the opened entry stays marked by its place in the table, not by its place in the menu.
TEST_F(BrowseFixture, LongRunsShowTheirFirstEntriesAndTheirCount)
{
    SetMsgText(MSG_BROWSE_BOUNDED, "%d match, %s shown");
    for (int i = 0; i < 1500; i++) Add(("e" + std::to_string(10000 + i)).c_str(), "a.c", i + 1);
    SortTable(&st);
    st.quitMenu = 0;
    struct {
        const char *typed;
        int count;
        const char *first, *bottom;
    } const rows[] = {
        {"", BROWSE_MENU_MAX, "e10000", "1500 match, 1000 shown"},
        {"e", BROWSE_MENU_MAX, "e10000", "1500 match, 1000 shown"},
        {"e11", 500, "e11000", "Type a prefix"},
        {"e114", 100, "e11400", "Type a prefix"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.typed);
        TestHostClearCalls();
        Type(row.typed);
        ScriptMenuKey(VK_DOWN);
        ScriptMenuKey(VK_RETURN);
        ScriptEditorSession({"line"});
        ScriptMenuKey(VK_ESCAPE);
        BrowseDefinitions(&st, OPEN_PLUGINSMENU);
        std::vector<HostCall> menus = Menus();
        ASSERT_EQ(menus.size(), strlen(row.typed) + 2);
        const HostCall &shown = menus[strlen(row.typed)];
        EXPECT_EQ(shown.count, row.count);
        EXPECT_EQ(shown.items[0].substr(0, strlen(row.first)), row.first);
        EXPECT_EQ(shown.bottom, row.bottom);
        EXPECT_EQ(CallsOf(CALL_EDITOR).at(0).line, atoi(row.first + 1) - 10000 + 2);
        EXPECT_EQ(menus.back().selected, 1) << "the opened entry is marked";
    }
}

TEST_F(BrowseFixture, PunctuationTypedWithShiftReachesTheFilter)
{
    AddNames({"_init", "x"});
    OpenEditor("x.c", {""});
    Type("_:~<>");
    ScriptMenuKey(KeyOfChar('-') & 0xFFFF); /* that key without Shift types '-': no break key */
    ScriptMenuKey(VK_ESCAPE);
    BrowseDefinitions(&st, OPEN_EDITOR);

    EXPECT_EQ(Titles(),
              "Browse []|Browse [_]|Browse [_:]|Browse [_:~]|Browse [_:~<]|Browse [_:~<>]|");
    std::vector<HostCall> menus = Menus();
    EXPECT_EQ(Names(menus[1]), "_init");
    ASSERT_GE(menus[0].breakKeys.size(), 43u);
    EXPECT_EQ(menus[0].breakKeys[BREAK_PUNCTUATION], (PKF_SHIFT << 16) | st.keyUnderscore);
}

TEST_F(BrowseFixture, FilterKeepsTwentyCharactersAndBackspaceStopsAtEmpty)
{
    AddNames({"abcdefghijklmnopqrstuvwxyz", "b"});
    OpenEditor("x.c", {""});
    ScriptMenuKey(VK_BACK);
    Type("abcdefghijklmnopqrstu"); /* 21 letters */
    ScriptMenuKey(VK_BACK);
    ScriptMenuKey(VK_ESCAPE);
    BrowseDefinitions(&st, OPEN_EDITOR);

    std::vector<HostCall> menus = Menus();
    ASSERT_EQ(menus.size(), 24u);
    EXPECT_EQ(menus[0].title, "Browse []");
    EXPECT_EQ(menus[1].title, "Browse []") << "Backspace on an empty filter";
    EXPECT_EQ(Names(menus[1]), "abcdefghijklmnopqrstuvwxyz b");
    EXPECT_EQ(menus[21].title, "Browse [ABCDEFGHIJKLMNOPQRST]");
    EXPECT_EQ(menus[22].title, "Browse [ABCDEFGHIJKLMNOPQRST]") << "the 21st letter is ignored";
    EXPECT_EQ(menus[23].title, "Browse [ABCDEFGHIJKLMNOPQRS]");
}

TEST_F(BrowseFixture, SpaceEmptiesTheMenuUntilBackspace)
{
    AddNames({"ab", "ac"});
    OpenEditor("x.c", {""});
    Type("a ");
    ScriptMenuKey(VK_RETURN); /* Enter on the empty menu chooses nothing */
    BrowseDefinitions(&st, OPEN_EDITOR);
    EXPECT_EQ(Titles(), "Browse []|Browse [A]|Browse [A ]|");
    EXPECT_EQ(Menus()[2].count, 0);
    EXPECT_EQ(CallsOf(CALL_EDITORCONTROL).size(), 0u);

    TestHostClearCalls();
    Type("a ");
    ScriptMenuKey(VK_BACK);
    ScriptMenuKey(VK_ESCAPE);
    BrowseDefinitions(&st, OPEN_EDITOR);
    EXPECT_EQ(Titles(), "Browse []|Browse [A]|Browse [A ]|Browse [A]|");
    EXPECT_EQ(Names(Menus()[3]), "ab ac");
}

TEST_F(BrowseFixture, EnterInTheEditorMovesTheCursorToTheEntrysLine)
{
    Add("early", "", 3);
    Add("target", "", 120);
    SortTable(&st);
    OpenEditor("x.c", std::vector<std::string>(200, "x"), 5, 4);
    Type("t");
    ScriptMenuKey(VK_RETURN);
    BrowseDefinitions(&st, OPEN_EDITOR);

    EXPECT_EQ(Menus().size(), 2u) << "the menu closes after the move";
    std::vector<HostCall> moves = CallsOf(CALL_EDITORCONTROL);
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(moves[0].command, ECTL_SETPOSITION);
    const EditorSetPosition &p = moves[0].pos;
    std::vector<int> got = {p.CurLine,       p.CurPos,  p.CurTabPos,
                            p.TopScreenLine, p.LeftPos, p.Overtype};
    EXPECT_EQ(got, std::vector<int>({119, 0, -1, -1, 0, -1}));
    EXPECT_EQ(CurrentEditor()->curLine, 119);
    EXPECT_EQ(CurrentEditor()->curPos, 0);
    EXPECT_EQ(CallsOf(CALL_EDITOR).size(), 0u);
}

TEST_F(BrowseFixture, EnterFromThePanelsOpensTheFileWithTheSettings)
{
    struct {
        int moveToLine, quitMenu;
        int startLine;
        size_t menus;
    } const rows[] = {{1, 1, 42, 2}, {0, 1, 0, 2}, {1, 0, 42, 3}, {0, 0, 0, 3}};
    Add("beta", "sub\\b.c", 7);
    Add("bgamma", "sub\\g.c", 42);
    Add("alpha", "a.c", 1);
    SortTable(&st);
    for (const auto &row : rows) {
        SCOPED_TRACE("MoveF " + std::to_string(row.moveToLine) + ", QuitMenu " +
                     std::to_string(row.quitMenu));
        TestHostClearCalls();
        st.moveToLine = row.moveToLine;
        st.quitMenu = row.quitMenu;
        Type("b");
        ScriptMenuKey(VK_DOWN);
        ScriptMenuKey(VK_RETURN);
        ScriptEditorSession({"line"});
        if (!row.quitMenu) ScriptMenuKey(VK_ESCAPE);
        BrowseDefinitions(&st, OPEN_PLUGINSMENU);

        std::vector<HostCall> editors = CallsOf(CALL_EDITOR);
        ASSERT_EQ(editors.size(), 1u);
        EXPECT_EQ(editors[0].file, "sub\\g.c");
        EXPECT_EQ(editors[0].line, row.startLine);
        EXPECT_EQ(editors[0].col, 0);
        EXPECT_EQ(editors[0].flags, 0u);
        std::vector<HostCall> menus = Menus();
        ASSERT_EQ(menus.size(), row.menus);
        EXPECT_EQ(menus[1].selected, -1);
        if (!row.quitMenu) {
            EXPECT_EQ(menus[2].title, "Browse [B]") << "the menu comes back with the same filter";
            EXPECT_EQ(menus[2].count, 2);
            EXPECT_EQ(menus[2].selected, 1) << "the opened entry is marked";
        }
    }
}

int SelectedCount(const HostCall &menu)
{
    int n = 0;
    for (const FarMenuItem &item : menu.menuItems) n += item.Selected != 0;
    return n;
}

TEST_F(BrowseFixture, MarkFollowsTheCursorAcrossFilterChanges)
{
    AddNames({"aa", "ab", "b"});
    OpenEditor("x.c", {""});
    ScriptMenuChar('a'); /* cursor on "aa" when the key fires */
    ScriptMenuKey(VK_DOWN);
    ScriptMenuKey(VK_BACK); /* now on "ab" */
    ScriptMenuKey(VK_UP);
    ScriptMenuChar('b'); /* on "aa": not in the next slice */
    ScriptMenuKey(VK_ESCAPE);
    BrowseDefinitions(&st, OPEN_EDITOR);
    std::vector<HostCall> menus = Menus();
    ASSERT_EQ(menus.size(), 4u);
    EXPECT_EQ(menus[0].selected, -1);
    EXPECT_EQ(menus[1].selected, 0);
    EXPECT_EQ(menus[2].selected, 1);
    EXPECT_EQ(SelectedCount(menus[2]), 1) << "the earlier mark is cleared";
    EXPECT_EQ(menus[3].title, "Browse [B]");
    EXPECT_EQ(menus[3].selected, -1);
}

TEST_F(BrowseFixture, PanelItemTextsCutNamesAndShortenLongFiles)
{
    const std::string name40 = "n123456789012345678901234567890123456789";
    Add(name40.c_str(), "x.c", 1);
    Add("f25", "abcdefghijklmnopqrstuvw.c", 2);
    Add("f26", "sub\\abcdefghijklmnopqrst.c", 3);
    Add("", "empty.c", 0);
    SortTable(&st);
    ScriptMenu(-1);
    BrowseDefinitions(&st, OPEN_PLUGINSMENU);

    std::vector<HostCall> menus = Menus();
    ASSERT_EQ(menus.size(), 1u);
    std::vector<std::string> want = {
        std::string(39, ' ') + BAR + std::string(18, ' ') + "empty.c",
        "f25" + std::string(36, ' ') + BAR + "abcdefghijklmnopqrstuvw.c",
        "f26" + std::string(36, ' ') + BAR + "..\\abcdefghijklmnopqrst.c",
        name40.substr(0, 39) + BAR + std::string(22, ' ') + "x.c",
    };
    EXPECT_EQ(menus[0].items, want);
    for (const std::string &t : menus[0].items) EXPECT_EQ(t.size(), 67u);
}

TEST_F(BrowseFixture, PlaceholdersShowOnlyWithTheEmptyFilter)
{
    Add("", "empty.c", 0);
    Add("each", "e.c", 5);
    SortTable(&st);
    ScriptMenuKey(VK_RETURN); /* the cursor starts on the placeholder */
    ScriptEditorSession({"only line"});
    Type("e");
    ScriptMenuKey(VK_ESCAPE);
    BrowseDefinitions(&st, OPEN_PLUGINSMENU);

    std::vector<HostCall> editors = CallsOf(CALL_EDITOR);
    ASSERT_EQ(editors.size(), 1u);
    EXPECT_EQ(editors[0].file, "empty.c");
    EXPECT_EQ(editors[0].line, 0);
    std::vector<HostCall> menus = Menus();
    ASSERT_EQ(menus.size(), 3u);
    EXPECT_EQ(menus[0].count, 2);
    EXPECT_EQ(menus[2].count, 1);
    EXPECT_EQ(menus[2].items[0].substr(0, 4), "each");
}

TEST_F(BrowseFixture, EmptyTableShowsNothing)
{
    BrowseDefinitions(&st, OPEN_PLUGINSMENU);
    EXPECT_EQ(TestHostCalls().size(), 0u);
}

TEST_F(BrowseFixture, OutOfMemoryWarnsAndShowsNoMenu)
{
    AddNames({"a", "b"});
    for (long failAt : {1L, 2L}) {
        SCOPED_TRACE("allocation " + std::to_string(failAt) + " fails");
        TestHostClearCalls();
        MemFailFrom(failAt);
        BrowseDefinitions(&st, OPEN_PLUGINSMENU);
        MemFailFrom(0);
        EXPECT_EQ(Menus().size(), 0u);
        std::vector<HostCall> boxes = CallsOf(CALL_MESSAGE);
        ASSERT_EQ(boxes.size(), 1u);
        ASSERT_GE(boxes[0].items.size(), 2u);
        EXPECT_EQ(boxes[0].items[1], "No memory");
    }
}

TEST_F(BrowseFixture, TitleMessageIsNotUsedAsAPrintfFormat)
{
    SetMsgText(MSG_BROWSE_TITLE, "%d %s %s %n 100%% %");
    AddNames({"ab"});
    OpenEditor("x.c", {""});
    Type("a");
    ScriptMenuKey(VK_ESCAPE);
    BrowseDefinitions(&st, OPEN_EDITOR);
    EXPECT_EQ(Titles(), "%d  %s %n 100% %|%d A %s %n 100% %|");
}

/* ---- pure helpers ---- */

TEST_F(BrowseFixture, PrefixRangeFindsTheRunOfMatches)
{
    AddNames({"", "a", "ab", "Abc", "abd", "b", "b_", "bz", "Zeta", "_x"});
    struct {
        const char *filter;
        int first, count;
    } const rows[] = {
        {"", 0, 10},  {"a", 1, 4},  {"AB", 2, 3}, {"abc", 3, 1},  {"abcd", 0, 0}, {"B", 5, 3},
        {"b_", 7, 1}, {"bz", 6, 1}, {"_", 9, 1},  {"zeta", 8, 1}, {"c", 0, 0},
    };
    for (const auto &row : rows) {
        int count = -1, first = -1;
        PrefixRange(row.filter, &count, &first, &st);
        EXPECT_EQ(first, row.first) << '"' << row.filter << '"';
        EXPECT_EQ(count, row.count) << '"' << row.filter << '"';
    }
}

TEST_F(BrowseFixture, BreakKeysSharedByTwoCharactersTellThemApartByModifiers)
{
    /* a layout with "<" and ">" on one key, "_" unshifted on the 8 key, "~" with AltGr on 2 */
    int keys[BREAK_KEY_SLOTS] = {0};
    for (int i = 0; i < 26; i++) keys[BREAK_LETTERS + i] = 'A' + i;
    for (int i = 0; i < 10; i++) keys[BREAK_DIGITS + i] = '0' + i;
    keys[BREAK_PUNCTUATION + 0] = '8';
    keys[BREAK_PUNCTUATION + 1] = (PKF_SHIFT << 16) | 0xBE;
    keys[BREAK_PUNCTUATION + 2] = ((PKF_CONTROL | PKF_ALT) << 16) | '2';
    keys[BREAK_PUNCTUATION + 3] = 0xE2;
    keys[BREAK_PUNCTUATION + 4] = (PKF_SHIFT << 16) | 0xE2;
    keys[BREAK_BACKSPACE] = 8;
    keys[BREAK_SPACE] = 32;
    struct {
        int breakCode;
        const char *filter;
    } const rows[] = {
        {BREAK_PUNCTUATION + 4, ">"},
        {BREAK_PUNCTUATION + 3, "<"},
        {BREAK_PUNCTUATION + 2, "~"},
        {BREAK_DIGITS + 8, "_"},
        {BREAK_DIGITS + 2, "2"},
        {BREAK_SPACE, " "},
        {BREAK_END, ""},
        {-1, ""},
        {BREAK_KEY_SLOTS, ""},
    };
    for (const auto &row : rows) {
        char filter[80] = "";
        EditFilter(filter, keys, row.breakCode);
        EXPECT_STREQ(filter, row.filter) << "break code " << row.breakCode;
    }
}

TEST_F(BrowseFixture, CharacterWithoutAKeyGetsNoModifier)
{
    st.keyTilde = 255;
    int *keys = MakeBreakKeys(&st);
    ASSERT_NE(keys, nullptr);
    EXPECT_EQ(keys[BREAK_PUNCTUATION + 2], 255);
    EXPECT_EQ(keys[BREAK_PUNCTUATION + 1], (PKF_SHIFT << 16) | st.keyColon);
    EXPECT_EQ(keys[BREAK_END], 0);
    MemFree(keys);
}

TEST_F(BrowseFixture, WritePrefixRangeListsTheSliceAsIndexLines)
{
    Add("abc", "sub\\a.c", 12);
    Add("abcdefghijklmnopqrstuv", "l.c", 9);
    Add("ABD", "b.c", 3);
    Add("b", "b.c", 4);
    Add("", "e.c", 0);
    SortTable(&st);
    struct {
        const char *prefix;
        const char *out;
        int count;
    } const rows[] = {
        {"ab", "abc?sub\\a.c?12\nabcdefghijklmnopqrstuv?l.c?9\nABD?b.c?3\n", 3},
        {"", "?e.c?0\nabc?sub\\a.c?12\nabcdefghijklmnopqrstuv?l.c?9\nABD?b.c?3\nb?b.c?4\n", 5},
        {"q", "", 0},
        /* cut to 20 characters, as typing does */
        {"ABCDEFGHIJKLMNOPQRSTxyz", "abcdefghijklmnopqrstuv?l.c?9\n", 1},
    };
    for (const auto &row : rows) {
        FILE *f = tmpfile();
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(WritePrefixRange(f, row.prefix, &st), row.count);
        rewind(f);
        char buf[512] = "";
        size_t n = fread(buf, 1, sizeof buf - 1, f);
        buf[n] = '\0';
        fclose(f);
        EXPECT_EQ(std::string(buf), row.out) << row.prefix;
    }
}

} // namespace
