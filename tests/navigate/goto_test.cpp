// Go to definition, the index-file lookup and go back, on real trees through the test host.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/alloc.h"
#include "host/host.h"
#include "host/messages.h"
#include "index/index.h"
#include "navigate/navigate.h"
#include "plugin/plugin.h"
#include "settings/settings.h"
#include "state/state.h"
#include "testhost/testhost.h"

namespace fs = std::filesystem;

namespace {

// A temporary directory tree, named the way the plugin names files ("\tmp\...\a.c").
struct Tree {
    std::string root;
    Tree()
    {
        char t[] = "/tmp/zoltnavXXXXXX";
        if (mkdtemp(t) != nullptr) root = t;
    }
    ~Tree()
    {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
    void Write(const std::string &rel, const std::string &bytes) const
    {
        fs::path p = fs::path(root) / rel;
        fs::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << bytes;
    }
    std::string Name(const std::string &rel) const
    {
        std::string s = root + "/" + rel;
        for (char &c : s)
            if (c == '/') c = '\\';
        return s;
    }
};

struct NavFixture : ::testing::Test {
    Tree tree;
    BrowserState *st = nullptr;
    std::string savedCwd;

    void SetUp() override
    {
        ASSERT_FALSE(tree.root.empty());
        setenv("XDG_CONFIG_HOME", (tree.root + "/config").c_str(), 1);
        savedCwd = fs::current_path();
        TestHostInstall();
        // what InitState leaves for a command from the editor
        st = (BrowserState *)calloc(1, sizeof *st);
        st->fromEditor = 1;
        st->capacity = st->updCapacity = 100;
        st->entries = (DefinitionEntry *)MemAlloc(100 * sizeof(DefinitionEntry));
        st->updEntries = (DefinitionEntry *)MemAlloc(100 * sizeof(DefinitionEntry));
        strcpy(st->indexFileName, "zoltprj$.Far");
        strcpy(st->fileMask, SETTINGS_DEFAULT_MASK);
        st->includeStatic = st->includeInline = st->includeQualified = 1;
        st->choose = ChooseMatchFromMenu; // as the go-to command sets it
    }
    void TearDown() override
    {
        EXPECT_EQ(TestHostFinish(), "");
        ReleaseState(st);
        free(st);
        fs::current_path(savedCwd);
    }

    // Go to definition in a fresh command state, as the command driver would run it.
    void Jump()
    {
        BrowserState *fresh = (BrowserState *)calloc(1, sizeof *fresh);
        *fresh = *st;
        fresh->count = 0;
        fresh->entries = (DefinitionEntry *)MemAlloc(100 * sizeof(DefinitionEntry));
        fresh->updEntries = (DefinitionEntry *)MemAlloc(100 * sizeof(DefinitionEntry));
        GoToDefinition(fresh);
        ReleaseState(fresh);
        free(fresh);
    }
};

std::vector<HostCall> SetPositions()
{
    std::vector<HostCall> out;
    for (const HostCall &c : CallsOf(CALL_EDITORCONTROL))
        if (c.command == ECTL_SETPOSITION) out.push_back(c);
    return out;
}

int Quits()
{
    int n = 0;
    for (const HostCall &c : CallsOf(CALL_EDITORCONTROL)) n += c.command == ECTL_QUIT;
    return n;
}

std::string Pad(const std::string &s, size_t n)
{
    return s + std::string(s.size() < n ? n - s.size() : 0, ' ');
}

// ---- the word under the cursor, as the command sees it ----

TEST_F(NavFixture, WordUnderTheCursorDecidesTheLookup)
{
    std::string id(1500, 'L');
    std::string id70 = "Cut_" + std::string(66, 'q'); // an index keeps its first 63 characters
    tree.Write("p/zoltprj$.Far", "Alpha_1?def.c?5\r\n" + id70.substr(0, 63) + "?cut.c?4\r\n" +
                                     id.substr(0, 1023) +
                                     "?long.c?8\r\n"
                                     "\x8F\xE0\xA8\xA2\xA5\xE2?ru.c?6\r\n");
    const struct {
        std::string line;
        int pos;
        const char *opened;
        int openedLine;
    } rows[] = {
        {"x = Alpha_1(y);", 4, "p\\def.c", 5},
        {"x = Alpha_1(y);", 7, "p\\def.c", 5},
        {"x = Alpha_1(y);", 10, "p\\def.c", 5},
        {"x = Alpha_1 (y);", 11, nullptr, 0},
        {"x = Alpha_1(y);", 11, nullptr, 0},
        {"x = Alpha_1(y);", 15, nullptr, 0},
        {id, 1200, "p\\long.c", 8},
        {"x = " + id70 + ";", 70, "p\\cut.c", 4},
        {"s = \xE0\xA8\xA2\xA5\xE2 + \x8F\xE0\xA8\xA2\xA5\xE2\xB3;", 12, "p\\ru.c", 6},
        {"s = \x8F\xE0\xA8\xA2\xA5\xE2\xB3;", 10, nullptr, 0}, // on the box character
    };
    for (const auto &r : rows) {
        TestHostClearCalls();
        OpenEditor(tree.Name("p/a.c"), {r.line}, 0, r.pos);
        Jump();
        std::vector<HostCall> editors = CallsOf(CALL_EDITOR);
        if (r.opened == nullptr) {
            EXPECT_TRUE(editors.empty()) << r.line << " @" << r.pos;
            EXPECT_TRUE(CallsOf(CALL_MESSAGE).empty()) << "an empty word ends quietly";
        } else {
            ASSERT_EQ(editors.size(), 1u) << r.line.substr(0, 40) << " @" << r.pos;
            EXPECT_EQ(editors[0].file, tree.Name(r.opened));
            EXPECT_EQ(editors[0].line, r.openedLine);
            EXPECT_EQ(editors[0].col, 1);
        }
        CloseEditor();
    }
}

TEST_F(NavFixture, EmptyWordRecordsNoBackOut)
{
    OpenEditor(tree.Name("a.c"), {"f( x );"}, 0, 1);
    Jump();
    uint32_t v;
    EXPECT_EQ(QueryDwordValue("", "StrNumForBackOut", &v, 0), 0);
    EXPECT_EQ(QueryDwordValue("", "EditorIdForBackOut", &v, 0), 0);
}

// ---- the edited text first ----

TEST_F(NavFixture, LowestLineOfTheEditedTextWins)
{
    std::vector<std::string> lines(60, "");
    lines[11] = "int Twice(void) { return 1; }";
    lines[39] = "int Twice(void) { return 2; }";
    lines[50] = "int y = Twice();";
    tree.Write("src/a.c", ""); // the editor's text is scanned only for a file that exists
    int id = OpenEditor(tree.Name("src/a.c"), lines, 50, 10);
    CurrentEditor()->topLine = 40;
    Jump();
    std::vector<HostCall> moves = SetPositions();
    ASSERT_EQ(moves.size(), 1u) << TestHostTranscript(CALLS_ALL);
    EXPECT_EQ(moves[0].pos.CurLine, 11);
    EXPECT_EQ(moves[0].pos.CurPos, 0);
    EXPECT_EQ(moves[0].pos.TopScreenLine, 0); // off screen; 11 - 18 is raised to 0
    EXPECT_TRUE(CallsOf(CALL_EDITOR).empty());
    EXPECT_EQ(GetDwordSetting("", "StrNumForBackOut", 0), 50u);
    EXPECT_EQ(GetDwordSetting("", "PosNumForBackOut", 0), 10u);
    EXPECT_EQ(GetDwordSetting("", "EditorIdForBackOut", 0), (uint32_t)id);
}

TEST_F(NavFixture, CaseOnlyDifferenceGoesToTheIndexFiles)
{
    tree.Write("src/zoltprj$.Far", "FOO?other.c?7\r\n");
    tree.Write("src/a.c", "");
    OpenEditor(tree.Name("src/a.c"), {"int foo(void) { return 0; }", "int x = FOO();"}, 1, 9);
    Jump();
    EXPECT_TRUE(SetPositions().empty());
    std::vector<HostCall> editors = CallsOf(CALL_EDITOR);
    ASSERT_EQ(editors.size(), 1u);
    EXPECT_EQ(editors[0].file, tree.Name("src/other.c"));
    EXPECT_EQ(editors[0].line, 7);
}

// ---- the lookup ----

TEST_F(NavFixture, SeveralMatchesOfferAMenu)
{
    tree.Write("proj/src/zoltprj$.Far",
               "Alpha?a.c?1\r\nOPEN?a.c?3\r\nOpener?c.c?12\r\nOpenFile?b.c?9\r\nOther?d.c?1\r\n");
    OpenEditor(tree.Name("proj/src/e.c"), {"Open(f);"}, 0, 0);
    ScriptMenu(1);
    Jump();
    std::vector<HostCall> menus = CallsOf(CALL_MENU);
    ASSERT_EQ(menus.size(), 1u);
    EXPECT_EQ(menus[0].title, "M3");
    EXPECT_EQ(menus[0].flags, (FarDword)FMENU_AUTOHIGHLIGHT);
    EXPECT_EQ(menus[0].selected, 0);
    EXPECT_EQ(menus[0].help, "Contents");
    const std::vector<std::string> items = {" " + Pad("OPEN", 30) + " " + Pad("a.c", 34) + " 3",
                                            " " + Pad("Opener", 30) + " " + Pad("c.c", 34) + " 12",
                                            " " + Pad("OpenFile", 30) + " " + Pad("b.c", 34) +
                                                " 9"};
    EXPECT_EQ(menus[0].items, items);
    std::vector<HostCall> editors = CallsOf(CALL_EDITOR);
    ASSERT_EQ(editors.size(), 1u);
    EXPECT_EQ(editors[0].file, tree.Name("proj/src/c.c"));
    EXPECT_EQ(editors[0].line, 12);
}

// The own directory's FILE is joined to the directory, like every other try's: the host would
// otherwise resolve it against the panel's directory.
TEST_F(NavFixture, OwnDirectoryMatchIsJoinedToTheDirectory)
{
    tree.Write("proj/src/zoltprj$.Far", "foo?x\\y.c?42\r\n");
    fs::current_path(tree.root); // elsewhere than the edited file's directory
    OpenEditor(tree.Name("proj/src/a.c"), {"Foo();"}, 0, 1);
    Jump();
    std::vector<HostCall> editors = CallsOf(CALL_EDITOR);
    ASSERT_EQ(editors.size(), 1u);
    EXPECT_EQ(editors[0].file, tree.Name("proj/src/x/y.c"));
    EXPECT_EQ(editors[0].line, 42);
    EXPECT_EQ(editors[0].col, 1);
}

TEST_F(NavFixture, MatchInTheEditedFileMovesTheCursor)
{
    // own directory: FILE names the edited file; parent: the joined path differs in ASCII case only
    const struct {
        const char *index, *content;
    } rows[] = {
        {"r0/proj/src/zoltprj$.Far", "Foo?a.c?42\r\n"},
        {"r1/proj/zoltprj$.Far", "Foo?SRC\\A.C?42\r\n"},
    };
    for (const auto &r : rows) {
        std::string base = std::string(r.index).substr(0, 3);
        tree.Write(r.index, r.content);
        TestHostClearCalls();
        OpenEditor(tree.Name(base + "proj/src/a.c"), std::vector<std::string>(100, "Foo();"), 90,
                   0);
        CurrentEditor()->topLine = 80;
        Jump();
        EXPECT_TRUE(CallsOf(CALL_EDITOR).empty()) << r.index;
        std::vector<HostCall> moves = SetPositions();
        ASSERT_EQ(moves.size(), 1u) << r.index;
        EXPECT_EQ(moves[0].pos.CurLine, 41);
        EXPECT_EQ(moves[0].pos.CurPos, 0);
        EXPECT_EQ(moves[0].pos.TopScreenLine, 23); // off screen: 41 - 18
        CloseEditor();
    }
}

TEST_F(NavFixture, AtMost1024MatchesAreOffered)
{
    std::string index = "Aa?a.c?1\r\n";
    for (int i = 0; i < 1500; i++)
        index += "Item" + std::to_string(10000 + i) + "?i.c?" + std::to_string(i + 1) + "\r\n";
    index += "Zz?z.c?1\r\n";
    tree.Write("zoltprj$.Far", index);
    OpenEditor(tree.Name("a.c"), {"item"}, 0, 0);
    ScriptMenu(1023);
    Jump();
    std::vector<HostCall> menus = CallsOf(CALL_MENU);
    ASSERT_EQ(menus.size(), 1u);
    EXPECT_EQ(menus[0].count, 1024);
    ASSERT_EQ(CallsOf(CALL_EDITOR).size(), 1u);
    EXPECT_EQ(CallsOf(CALL_EDITOR)[0].line, 1024);
}

TEST_F(NavFixture, LineEndsDoNotChangeTheMatches)
{
    const char *indexes[] = {
        "Bar?b.c?1\r\nFoo?f.c?31\r\n",
        "Bar?b.c?1\nFoo?f.c?31\n",
        "Bar?b.c?1\r\nFoo?f.c?31",
        "Bar?b.c?1\nFoo?f.c?31",
        "Foo?f.c?31",
    };
    int row = 0;
    for (const char *index : indexes) {
        std::string dir = "r" + std::to_string(row++) + "/";
        tree.Write(dir + "zoltprj$.Far", index);
        TestHostClearCalls();
        OpenEditor(tree.Name(dir + "a.c"), {"foo"}, 0, 0);
        Jump();
        std::vector<HostCall> editors = CallsOf(CALL_EDITOR);
        ASSERT_EQ(editors.size(), 1u) << index;
        EXPECT_EQ(editors[0].file, tree.Name(dir + "f.c")) << index;
        EXPECT_EQ(editors[0].line, 31) << index;
        CloseEditor();
    }
}

TEST_F(NavFixture, CancelledMenuLetsTheClimbGoOn)
{
    tree.Write("proj/src/zoltprj$.Far", "Foo?1.c?1\r\nFoo?2.c?2\r\n");
    tree.Write("proj/zoltprj$.Far", "Foo?lib\\3.c?3\r\n");
    OpenEditor(tree.Name("proj/src/a.c"), {"Foo"}, 0, 0);
    ScriptMenu(-1);
    Jump();
    EXPECT_EQ(CallsOf(CALL_MENU).size(), 1u);
    std::vector<HostCall> editors = CallsOf(CALL_EDITOR);
    ASSERT_EQ(editors.size(), 1u);
    EXPECT_EQ(editors[0].file, tree.Name("proj/lib/3.c"));
    EXPECT_EQ(editors[0].line, 3);
}

TEST_F(NavFixture, CancelledMenusSuppressTheWarning)
{
    tree.Write("proj/src/zoltprj$.Far", "Foo?1.c?1\r\nFoo?2.c?2\r\n");
    tree.Write("proj/zoltprj$.Far", "Foo?3.c?1\r\nFoo?4.c?2\r\n");
    OpenEditor(tree.Name("proj/src/a.c"), {"Foo"}, 0, 0);
    ScriptMenu(-1);
    ScriptMenu(-1);
    Jump();
    EXPECT_EQ(CallsOf(CALL_MENU).size(), 2u);
    EXPECT_TRUE(CallsOf(CALL_EDITOR).empty());
    EXPECT_TRUE(CallsOf(CALL_MESSAGE).empty());
    // no jump, so no back-out: there was none before
    EXPECT_EQ(GetDwordSetting("", "StrNumForBackOut", 0), (uint32_t)-1);
    EXPECT_EQ(GetDwordSetting("", "EditorIdForBackOut", 0), (uint32_t)-1);
}

TEST_F(NavFixture, NothingFoundWarns)
{
    tree.Write("proj/src/zoltprj$.Far", "Bar?1.c?1\r\n");
    tree.Write("proj/zoltprj$.Far", "");
    tree.Write("zoltprj$.Far", "Foox?x.c?0\r\nFoo\r\n"); // line 0, and a line without fields
    OpenEditor(tree.Name("proj/src/a.c"), {"Foo"}, 0, 0);
    ScriptMenu(0);
    Jump();
    std::vector<HostCall> boxes = CallsOf(CALL_MESSAGE);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].items, (std::vector<std::string>{"M3", "M5", "M8"}));
    EXPECT_EQ(boxes[0].flags, (FarDword)FMSG_WARNING);
    EXPECT_EQ(boxes[0].buttons, 1);
    EXPECT_TRUE(CallsOf(CALL_EDITOR).empty());
}

TEST_F(NavFixture, MacroFileSkipsTheRootTry)
{
    // the root try itself cannot be watched (it reads "/zoltprj$.Far"); the decision can
    OpenEditor(tree.Name("proj/src/m.mac"), {"Foo"}, 0, 0);
    EXPECT_EQ(LookupInIndexFiles(st), LOOKUP_NOT_FOUND); // the command's warning
    std::vector<HostCall> asked = CallsOf(CALL_CMPNAME);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].items, (std::vector<std::string>{"*.MAC", tree.Name("proj/src/m.mac")}));
    EXPECT_EQ(asked[0].result != 0, true);
}

// A bare drive has no parent: its index is not followed by the current directory's, whose
// paths would be joined to the drive and name files that do not exist.
TEST_F(NavFixture, TopOfADriveEndsTheClimb)
{
    tree.Write("C:/zoltprj$.Far", "Bar?b.c?1\r\n");
    tree.Write("zoltprj$.Far", "Foo?f.c?5\r\n");
    fs::current_path(tree.root);
    OpenEditor("C:\\a.c", {"Foo"}, 0, 0);
    Jump();
    EXPECT_TRUE(CallsOf(CALL_EDITOR).empty());
    EXPECT_EQ(CallsOf(CALL_MESSAGE).size(), 1u);

    TestHostClearCalls();
    tree.Write("C:/zoltprj$.Far", "Foo?b.c?9\r\n");
    Jump();
    ASSERT_EQ(CallsOf(CALL_EDITOR).size(), 1u);
    EXPECT_EQ(CallsOf(CALL_EDITOR)[0].file, "C:\\b.c");
}

TEST_F(NavFixture, NameWithoutBackslashUsesTheCurrentDirectory)
{
    tree.Write("zoltprj$.Far", "Foo?x\\f.c?5\r\n");
    tree.Write("sub/zoltprj$.Far", "Foo?g.c?6\r\n");
    fs::current_path(tree.root);
    OpenEditor("a.c", {"Foo"}, 0, 0);
    Jump();
    ASSERT_EQ(CallsOf(CALL_EDITOR).size(), 1u);
    EXPECT_EQ(CallsOf(CALL_EDITOR)[0].file, "x\\f.c");
    EXPECT_EQ(CallsOf(CALL_EDITOR)[0].line, 5);

    TestHostClearCalls();
    fs::current_path(tree.root + "/sub");
    CurrentEditor()->lines = {"Bar"};
    EXPECT_EQ(LookupInIndexFiles(st), LOOKUP_NOT_FOUND); // one try only: no parent, no root
    EXPECT_TRUE(CallsOf(CALL_CMPNAME).empty());
}

// ---- go back ----

TEST_F(NavFixture, GoBackInTheSameEditorTwice)
{
    tree.Write("zoltprj$.Far", "Foo?a.c?3\r\n");
    OpenEditor(tree.Name("a.c"), {"x", "y", "z", "", "  Foo();"}, 4, 3);
    Jump();
    ASSERT_EQ(SetPositions().size(), 1u);
    for (int i = 0; i < 2; i++) {
        TestHostClearCalls();
        CurrentEditor()->curLine = 2;
        CurrentEditor()->curPos = 0;
        GoBack();
        std::vector<HostCall> moves = SetPositions();
        ASSERT_EQ(moves.size(), 1u);
        EXPECT_EQ(moves[0].pos.CurLine, 4);
        EXPECT_EQ(moves[0].pos.CurPos, 3);
        EXPECT_EQ(Quits(), 0);
    }
}

TEST_F(NavFixture, GoBackClosesTheEditorTheJumpOpened)
{
    tree.Write("zoltprj$.Far", "Foo?b.c?2\r\n");
    for (int modified = 0; modified < 2; modified++) {
        TestHostClearCalls();
        OpenEditor(tree.Name("a.c"), {"Foo();"}, 0, 1);
        int quits = -1;
        ScriptEditorSession({"int x;", "void Foo(void) {}"}, [&] {
            CurrentEditor()->modified = modified;
            GoBack();
            quits = Quits();
        });
        Jump();
        // changes the user made after the jump are never closed away: a warning instead
        EXPECT_EQ(quits, modified ? 0 : 1) << modified;
        std::vector<HostCall> boxes = CallsOf(CALL_MESSAGE);
        ASSERT_EQ(boxes.size(), modified ? 1u : 0u);
        if (modified) {
            EXPECT_EQ(boxes[0].items[1], "M" + std::to_string(MSG_UNSAVED_CHANGES));
        }
        EXPECT_EQ(EditorDepth(), 1);
        EXPECT_EQ(CurrentEditor()->curPos, 1); // the starting editor never moved
        CloseEditor();
    }
}

TEST_F(NavFixture, GoBackWithNothingStored)
{
    OpenEditor(tree.Name("a.c"), {"Foo"}, 0, 0);
    GoBack(); // stored identity reads as -1: another editor's
    EXPECT_EQ(Quits(), 1);
    EXPECT_TRUE(SetPositions().empty());

    TestHostClearCalls();
    OpenEditor(tree.Name("b.c"), {"Foo"}, 0, 0);
    ASSERT_EQ(SetDwordValue("", "EditorIdForBackOut", (uint32_t)CurrentEditor()->id), 0);
    ASSERT_EQ(SetDwordValue("", "StrNumForBackOut", (uint32_t)-1), 0);
    GoBack();
    EXPECT_EQ(Quits(), 0);
    EXPECT_TRUE(SetPositions().empty());
}

} // namespace
