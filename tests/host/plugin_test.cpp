// The four entry points driven by the scriptable host on real directories, with a private
// settings store: the version refusal, the command menu, dispatch, the configuration dialog,
// the options a command reads, memory failures and the fatal-error path.
#include <gtest/gtest.h>

#include <stddef.h>
#include <string.h>
#include <sys/stat.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

#include "../platform/tempdir.h"
#include "base/alloc.h"
#include "host/host.h"
#include "host/messages.h"
#include "index/index.h"
#include "plugin/headless.h"
#include "plugin/plugin.h"
#include "settings/settings.h"
#include "testhost/testhost.h"

namespace {

const char *const FLAG_NAMES[9] = {"CtStatic",  "CtInline", "CtCPP",   "QuitMenu", "CtStaticE",
                                   "CtInlineE", "CtCPPE",   "Recurse", "MoveF"};
const int FLAG_ITEMS[9] = {5, 6, 7, 8, 9, 10, 11, 14, 15};
const unsigned SEEN = CALLS_ALL & ~CALL_GETMSG; // everything but text look-ups

// Services a test can make throw; the warning is still shown by the test host first.
FARAPIMESSAGE g_hostMessage;

int FARAPI ThrowingWarning(int module, FarDword flags, const char *help, const char *const *items,
                           int count, int buttons)
{
    int r = g_hostMessage(module, flags, help, items, count, buttons);
    if (flags & FMSG_WARNING) throw std::runtime_error("host failed");
    return r;
}

int FARAPI ThrowingDialog(int, int, int, int, int, const char *, FarDialogItem *, int)
{
    throw std::bad_alloc();
}

struct PluginTest : TempDirTest {
    std::string tree; // the directory commands run in, apart from the settings store

    void SetUp() override
    {
        TempDirTest::SetUp();
        tree = root + "/tree";
        ASSERT_EQ(mkdir(tree.c_str(), 0755), 0);
        ASSERT_EQ(chdir(tree.c_str()), 0);
        TestHostReset();
        Start(TestHostInfo());
    }
    void TearDown() override
    {
        MemFailFrom(0);
        EXPECT_EQ(TestHostFinish(), "") << TestHostTranscript(CALLS_ALL);
        TempDirTest::TearDown();
    }

    static void Start(PluginStartupInfo info) { SetStartupInfo(&info); }

    std::string SettingsText() const { return ReadText(root + "/config/zolt/settings"); }

    // The value lines of the store file, in file order ("NAME=dword:1").
    std::vector<std::string> StoredValues() const
    {
        std::vector<std::string> values;
        std::string text = SettingsText();
        size_t start = 0, end;
        while ((end = text.find('\n', start)) != std::string::npos) {
            std::string line = text.substr(start, end - start);
            if (!line.empty() && line[0] != '[' && line[0] != '#') values.push_back(line);
            start = end + 1;
        }
        return values;
    }

    static FarHandle Command(int openFrom, int menuAnswer)
    {
        ScriptMenu(menuAnswer);
        return OpenPlugin(openFrom, 0);
    }

    // Runs Configure(0), closing the dialog with closeIndex after edit; returns the result and
    // leaves the items as the plugin passed them in *shown.
    static int RunDialog(int closeIndex, DialogEdit edit = nullptr,
                         std::vector<FarDialogItem> *shown = nullptr)
    {
        TestHostClearCalls();
        ScriptDialog(closeIndex, edit);
        int r = Configure(0);
        std::vector<HostCall> dialogs = CallsOf(CALL_DIALOG);
        EXPECT_EQ(dialogs.size(), 1u);
        if (shown != nullptr && !dialogs.empty()) *shown = dialogs[0].dialogIn;
        return r;
    }

    static std::string FarPath(std::string native)
    {
        for (char &c : native)
            if (c == '/') c = '\\';
        return native;
    }

    // The transcript line of ShowWarning(text) answered with its one button.
    static std::string Warning(int text)
    {
        return "Message(flags=0x1, help=null, lines=[\"M6\", \"M" + std::to_string(text) +
               "\", \"M8\"], buttons=1) -> 0\n";
    }
};

const FarHandle INVALID = FAR_INVALID_HANDLE;

TEST_F(PluginTest, OldHostGetsOnlyTheVersionWarning)
{
    PluginStartupInfo info = TestHostInfo();
    info.StructSize = FAR_STARTUPINFO_SIZE - 1;
    Start(info);
    OpenEditor("C:\\src\\a.c", {"int f(void) {}"});
    WriteText("a.c", "int f(void) {}\n");
    for (int from : {OPEN_PLUGINSMENU, OPEN_DISKMENU, OPEN_EDITOR}) {
        TestHostClearCalls();
        EXPECT_EQ(OpenPlugin(from, 0), INVALID);
        EXPECT_EQ(TestHostTranscript(SEEN), Warning(MSG_HOST_TOO_OLD)) << "open-from " << from;
    }
    EXPECT_EQ(EditorReadCount(), 0);
    EXPECT_EQ(ReadText("zoltprj$.Far"), "<missing>");
    EXPECT_EQ(SettingsText(), "<missing>");

    PluginInfo pi;
    memset(&pi, 0, sizeof pi);
    GetPluginInfo(&pi);
    ASSERT_EQ(pi.PluginMenuStringsNumber, 1);
    EXPECT_STREQ(pi.PluginMenuStrings[0], "M0");
    ASSERT_EQ(pi.PluginConfigStringsNumber, 1);
    EXPECT_STREQ(pi.PluginConfigStrings[0], "M21");
    EXPECT_EQ(RunDialog(16), 1);
    EXPECT_EQ(StoredValues().size(), 10u);
}

TEST_F(PluginTest, RecordsWithoutUsableServicesAreNeverCalledThrough)
{
    // Sizes that end inside the record's header or cut a service entry in two: the cut entry
    // must not become a pointer, and the size itself still refuses every command.
    const int cutGetMsg = (int)offsetof(PluginStartupInfo, GetMsg) + (int)sizeof(void *) - 1;
    const int sizes[] = {0, -5, 1, cutGetMsg};
    for (int size : sizes) {
        PluginStartupInfo info = TestHostInfo();
        info.StructSize = size;
        Start(info);
        TestHostClearCalls();
        PluginInfo pi;
        memset(&pi, 0, sizeof pi);
        GetPluginInfo(&pi);
        EXPECT_STREQ(pi.PluginMenuStrings[0], "") << size;
        EXPECT_EQ(OpenPlugin(OPEN_PLUGINSMENU, 0), INVALID);
        EXPECT_EQ(CallsOf(CALL_GETMSG | CALL_MENU).size(), 0u) << size;
        EXPECT_STREQ(SettingsRoot, size == cutGetMsg ? "Software\\Far\\Plugins\\ZOLT" : "\\ZOLT");
    }
}

TEST_F(PluginTest, PluginInfoTextsAreFetchedAnewAndOutliveTheCall)
{
    PluginInfo pi;
    memset(&pi, 0xAB, sizeof pi);
    GetPluginInfo(&pi);
    EXPECT_EQ(pi.StructSize, (int)sizeof(PluginInfo));
    EXPECT_EQ(pi.Flags, (FarDword)PF_EDITOR);
    EXPECT_EQ(pi.DiskMenuStringsNumber, 0);
    SetMsgText(MSG_PLUGIN_MENU, "ZOLT browser");
    SetMsgText(MSG_CONFIG, "ZOLT options");
    GetPluginInfo(&pi);
    EXPECT_STREQ(pi.PluginMenuStrings[0], "ZOLT browser");
    EXPECT_STREQ(pi.PluginConfigStrings[0], "ZOLT options");
}

TEST_F(PluginTest, CommandMenuFromPanelsAndEditor)
{
    struct {
        int from;
        std::vector<std::string> items;
    } const rows[] = {
        {OPEN_PLUGINSMENU, {"M1", "M2"}},
        {OPEN_DISKMENU, {"M1", "M2"}},
        {OPEN_VIEWER, {"M1", "M2"}},
        {OPEN_EDITOR, {"M1", "M3", "M4"}},
    };
    for (const auto &r : rows) {
        TestHostClearCalls();
        EXPECT_EQ(Command(r.from, -1), INVALID);
        std::vector<HostCall> menus = CallsOf(CALL_MENU);
        ASSERT_EQ(menus.size(), 1u);
        const HostCall &m = menus[0];
        EXPECT_EQ(m.items, r.items) << r.from;
        EXPECT_EQ(m.count, (int)r.items.size());
        EXPECT_EQ(m.selected, 0);
        for (size_t i = 1; i < m.menuItems.size(); i++) EXPECT_EQ(m.menuItems[i].Selected, 0);
        EXPECT_EQ(m.title, "ZOLT");
        EXPECT_FALSE(m.hasBottom);
        EXPECT_EQ(m.help, "Contents");
        EXPECT_FALSE(m.hasBreakKeys);
        EXPECT_FALSE(m.hasBreakCode);
        EXPECT_EQ(m.flags, (FarDword)FMENU_AUTOHIGHLIGHT);
        EXPECT_EQ(m.maxHeight, 0);
    }
}

TEST_F(PluginTest, LongMenuTextsAreCutToTheItem)
{
    SetMsgText(MSG_BROWSE, std::string(300, 'x'));
    EXPECT_EQ(Command(OPEN_PLUGINSMENU, -1), INVALID);
    std::vector<HostCall> menus = CallsOf(CALL_MENU);
    ASSERT_EQ(menus.size(), 1u);
    EXPECT_EQ(menus[0].items[0], std::string(127, 'x'));
    EXPECT_EQ(menus[0].items[1], "M2");
}

TEST_F(PluginTest, CancelledMenuDoesNothing)
{
    WriteText("a.c", "int f(void) {}\n");
    OpenEditor("C:\\src\\a.c", {"int f(void) {}"});
    for (int from : {OPEN_PLUGINSMENU, OPEN_EDITOR}) {
        TestHostClearCalls();
        EXPECT_EQ(Command(from, -1), INVALID);
        std::vector<HostCall> seen = CallsOf(SEEN);
        ASSERT_EQ(seen.size(), 1u) << TestHostTranscript(SEEN);
        EXPECT_EQ(seen[0].kind, (unsigned)CALL_MENU);
    }
    EXPECT_EQ(EditorReadCount(), 0);
    EXPECT_EQ(CurrentEditor()->curLine, 0);
    EXPECT_EQ(EditorDepth(), 1);
    EXPECT_EQ(ReadText("zoltprj$.Far"), "<missing>");
    EXPECT_EQ(ReadText("zoltpru$.Far"), "<missing>");
    EXPECT_EQ(SettingsText(), "<missing>");
}

TEST_F(PluginTest, BuildWritesOnceThenLeavesTheFilesAlone)
{
    WriteText("a.c", "#include <x.h>\n\nint f(void) { return 0; }\n");
    ASSERT_EQ(mkdir("sub", 0755), 0);
    WriteText("sub/b.h", "typedef int T;\n");
    EXPECT_EQ(Command(OPEN_PLUGINSMENU, COMMAND_BUILD), INVALID);
    EXPECT_EQ(ReadText("zoltprj$.Far"), "f?a.c?3\r\nT?sub\\b.h?1\r\n");
    EXPECT_NE(ReadText("zoltpru$.Far"), "<missing>");
    std::vector<HostCall> seen = CallsOf(CALL_MENU | CALL_SAVESCREEN | CALL_RESTORESCREEN);
    ASSERT_EQ(seen.size(), 3u) << TestHostTranscript(SEEN);
    EXPECT_EQ(seen[1].kind, (unsigned)CALL_SAVESCREEN);
    EXPECT_EQ(seen[1].x2, -1);
    EXPECT_EQ(CallsOf(CALL_MESSAGE | CALL_EDITOR).size(), 0u);

    struct stat before, after;
    ASSERT_EQ(stat("zoltprj$.Far", &before), 0);
    const std::string update = ReadText("zoltpru$.Far");
    EXPECT_EQ(Command(OPEN_PLUGINSMENU, COMMAND_BUILD), INVALID);
    ASSERT_EQ(stat("zoltprj$.Far", &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    EXPECT_EQ(ReadText("zoltpru$.Far"), update);
    EXPECT_EQ(SettingsText(), "<missing>"); // a command only reads the options
}

TEST_F(PluginTest, BuildTakesThePanelOptions)
{
    struct {
        std::vector<std::pair<const char *, uint32_t>> dwords;
        const char *mask; // null: not stored
        const char *expected;
    } const rows[] = {
        {{}, nullptr, "A::q?a.c?3\r\nGo?x.mac?1\r\ni?a.c?2\r\nm?sub\\m.h?1\r\n"},
        {{{"CtStatic", 1}, {"CtInline", 0}, {"CtCPP", 0}},
         nullptr,
         "Go?x.mac?1\r\nm?sub\\m.h?1\r\ns?a.c?1\r\n"},
        // the editor's filters never reach a build
        {{{"CtStaticE", 1}, {"CtInlineE", 0}, {"CtCPPE", 0}},
         nullptr,
         "A::q?a.c?3\r\nGo?x.mac?1\r\ni?a.c?2\r\nm?sub\\m.h?1\r\n"},
        {{{"Recurse", 0}}, nullptr, "A::q?a.c?3\r\nGo?x.mac?1\r\ni?a.c?2\r\n"},
        {{}, "*.h", "Go?x.mac?1\r\nm?sub\\m.h?1\r\n"},
        {{}, "", "Go?x.mac?1\r\n"}, // an empty mask leaves the macro files only
    };
    int n = 0;
    for (const auto &r : rows) {
        const std::string dir = tree + "/" + std::to_string(n++);
        ASSERT_EQ(mkdir(dir.c_str(), 0755), 0);
        ASSERT_EQ(chdir(dir.c_str()), 0);
        WriteText("a.c", "static int s(void) { return 0; }\ninline int i(void) { return 1; }\n"
                         "int A::q(void) { return 2; }\n");
        WriteText("x.mac", "macro Go\n");
        ASSERT_EQ(mkdir("sub", 0755), 0);
        WriteText("sub/m.h", "#define m 1\n");
        (void)remove((root + "/config/zolt/settings").c_str());
        for (const auto &d : r.dwords) ASSERT_EQ(SetDwordValue("", d.first, d.second), 0);
        if (r.mask != nullptr) {
            ASSERT_EQ(SetStringValue("", "FileMask", r.mask), 0);
        }
        EXPECT_EQ(Command(OPEN_PLUGINSMENU, COMMAND_BUILD), INVALID);
        EXPECT_EQ(ReadText("zoltprj$.Far"), r.expected) << "row " << n - 1;
    }
}

// Which options a command reads, and their defaults, straight from InitState.
TEST_F(PluginTest, InitStateReadsThePanelOrTheEditorFilters)
{
    struct Fields {
        int st, in, cpp, quit, rec, move;
    };
    auto read = [](int fromEditor) {
        BrowserState st;
        memset(&st, 0, sizeof st);
        st.fromEditor = fromEditor;
        EXPECT_EQ(InitState(&st), 0);
        EXPECT_EQ(st.capacity, 100);
        EXPECT_EQ(st.updCapacity, 100);
        EXPECT_STREQ(st.indexFileName, "zoltprj$.Far");
        EXPECT_EQ(st.keyUnderscore, 0xBD);
        EXPECT_EQ(st.keyColon, 0xBA);
        EXPECT_EQ(st.keyTilde, 0xC0);
        EXPECT_EQ(st.keyLess, 0xBC);
        EXPECT_EQ(st.keyGreater, 0xBE);
        Fields f = {st.includeStatic, st.includeInline, st.includeQualified,
                    st.quitMenu,      st.recurse,       st.moveToLine};
        std::string mask = st.fileMask;
        ReleaseState(&st);
        return std::make_pair(f, mask);
    };
    auto expect = [&](int fromEditor, Fields want, const char *mask, const char *what) {
        auto got = read(fromEditor);
        EXPECT_EQ(got.first.st, want.st) << what;
        EXPECT_EQ(got.first.in, want.in) << what;
        EXPECT_EQ(got.first.cpp, want.cpp) << what;
        EXPECT_EQ(got.first.quit, want.quit) << what;
        EXPECT_EQ(got.first.rec, want.rec) << what;
        EXPECT_EQ(got.first.move, want.move) << what;
        EXPECT_EQ(got.second, mask) << what;
    };
    expect(0, {0, 1, 1, 0, 1, 1}, "*.c;*.cpp;*.h;*.hpp", "fresh store, panels");
    expect(1, {1, 1, 1, 0, 1, 1}, "*.c;*.cpp;*.h;*.hpp", "fresh store, editor");
    for (const char *name : {"CtStatic", "CtInline", "CtCPP"})
        ASSERT_EQ(SetDwordValue("", name, 0), 0);
    expect(1, {1, 1, 1, 0, 1, 1}, "*.c;*.cpp;*.h;*.hpp", "panel filters cleared, editor");
    expect(0, {0, 0, 0, 0, 1, 1}, "*.c;*.cpp;*.h;*.hpp", "panel filters cleared, panels");
    for (const char *name : {"CtStaticE", "CtInlineE", "CtCPPE", "Recurse", "MoveF"})
        ASSERT_EQ(SetDwordValue("", name, 0), 0);
    ASSERT_EQ(SetDwordValue("", "QuitMenu", 2), 0);
    ASSERT_EQ(SetStringValue("", "FileMask", "*.x"), 0);
    expect(1, {0, 0, 0, 1, 0, 0}, "*.x", "editor filters cleared, editor");
    expect(0, {0, 0, 0, 1, 0, 0}, "*.x", "editor filters cleared, panels");
}

TEST_F(PluginTest, EditorCommandsScanWithTheEditorFilters)
{
    // Each text defines one name that only its panel filter would keep: with the editor's filter
    // off the table stays empty, which the browse command reports.
    struct {
        const char *panelName, *editorName, *text;
    } const rows[] = {
        {"CtStatic", "CtStaticE", "static int s(void) { return 0; }"},
        {"CtInline", "CtInlineE", "inline int i(void) { return 0; }"},
        {"CtCPP", "CtCPPE", "int A::q(void) { return 0; }"},
    };
    for (const auto &r : rows) {
        ASSERT_EQ(SetDwordValue("", r.panelName, 1), 0);
        ASSERT_EQ(SetDwordValue("", r.editorName, 0), 0);
        WriteText("a.c", r.text); // the edited file exists, but its text comes from the editor
        OpenEditor(FarPath(tree + "/a.c"), {r.text});
        TestHostClearCalls();
        EXPECT_EQ(Command(OPEN_EDITOR, COMMAND_BROWSE), INVALID);
        EXPECT_EQ(TestHostTranscript(CALL_MESSAGE), Warning(MSG_TABLE_EMPTY)) << r.text;
        EXPECT_GT(CurrentEditor()->reads, 0);
        CloseEditor();
    }
}

TEST_F(PluginTest, EachMenuItemReachesItsCommand)
{
    // From the editor, go to definition jumps within the edited text, go back jumps back.
    WriteText("a.c", "int f(void) { return 0; }\nint g(void) { return f(); }\n");
    OpenEditor(FarPath(tree + "/a.c"), {"int f(void) { return 0; }", "int g(void) { return f(); }"},
               1, 21);
    EXPECT_EQ(Command(OPEN_EDITOR, COMMAND_GOTO), INVALID);
    EXPECT_EQ(CurrentEditor()->curLine, 0);
    EXPECT_EQ(Command(OPEN_EDITOR, COMMAND_GOBACK), INVALID);
    EXPECT_EQ(CurrentEditor()->curLine, 1);
    EXPECT_EQ(CurrentEditor()->curPos, 21);
    CloseEditor();

    // Browse from the panels shows the project index: its menu follows the command menu.
    WriteText("zoltprj$.Far", "f?a.c?1\r\ng?a.c?2\r\n");
    TestHostClearCalls();
    ScriptMenu(COMMAND_BROWSE);
    ScriptMenu(-1);
    EXPECT_EQ(OpenPlugin(OPEN_PLUGINSMENU, 0), INVALID);
    std::vector<HostCall> menus = CallsOf(CALL_MENU);
    ASSERT_EQ(menus.size(), 2u);
    EXPECT_EQ(menus[1].count, 2);
    EXPECT_EQ(CallsOf(CALL_MESSAGE).size(), 0u);
}

TEST_F(PluginTest, ConfigureOtherItemsShowNothing)
{
    for (int item : {1, -1, 2}) EXPECT_EQ(Configure(item), 0);
    EXPECT_EQ(TestHostCalls().size(), 0u);
    EXPECT_EQ(SettingsText(), "<missing>");
}

TEST_F(PluginTest, DialogOnAFreshStoreAndConfirmWithoutChange)
{
    std::vector<FarDialogItem> shown;
    EXPECT_EQ(RunDialog(16, nullptr, &shown), 1);
    ASSERT_EQ(shown.size(), 18u);
    const HostCall d = CallsOf(CALL_DIALOG)[0];
    EXPECT_EQ(d.x1, -1);
    EXPECT_EQ(d.y1, -1);
    EXPECT_EQ(d.x2, 57);
    EXPECT_EQ(d.y2, 20);
    EXPECT_EQ(d.help, "Contents");
    for (int i = 0; i < 9; i++) {
        EXPECT_EQ(shown[(size_t)FLAG_ITEMS[i]].Selected, i == 0 || i == 3 ? 0 : 1) << FLAG_NAMES[i];
    }
    EXPECT_STREQ(shown[13].Data, "*.c;*.cpp;*.h;*.hpp");
    const std::vector<std::string> written = {
        "CtStatic=dword:0",  "CtInline=dword:1",
        "CtCPP=dword:1",     "QuitMenu=dword:0",
        "CtStaticE=dword:1", "CtInlineE=dword:1",
        "CtCPPE=dword:1",    "Recurse=dword:1",
        "MoveF=dword:1",     "FileMask=string:*.c;*.cpp;*.h;*.hpp"};
    EXPECT_EQ(StoredValues(), written);
}

TEST_F(PluginTest, DwordStoredAsFiveShowsSetAndIsWrittenAsOne)
{
    ASSERT_EQ(SetDwordValue("", "QuitMenu", 5), 0);
    std::vector<FarDialogItem> shown;
    EXPECT_EQ(RunDialog(16, nullptr, &shown), 1);
    EXPECT_EQ(shown[8].Selected, 1);
    uint32_t v = 0;
    EXPECT_EQ(QueryDwordValue("", "QuitMenu", &v, 7), 1);
    EXPECT_EQ(v, 1u);
}

TEST_F(PluginTest, EmptyMaskIsSavedAndReadBackUnchanged)
{
    EXPECT_EQ(RunDialog(16, [](FarDialogItem *items, int) { items[13].Data[0] = '\0'; }), 1);
    std::vector<FarDialogItem> shown;
    EXPECT_EQ(RunDialog(17, nullptr, &shown), 0);
    EXPECT_STREQ(shown[13].Data, "");
    // and a build with it indexes macro files only
    WriteText("a.c", "int f(void) {}\n");
    WriteText("b.mac", "macro M\n");
    EXPECT_EQ(Command(OPEN_PLUGINSMENU, COMMAND_BUILD), INVALID);
    EXPECT_EQ(ReadText("zoltprj$.Far"), "M?b.mac?1\r\n");
}

TEST_F(PluginTest, LeavingTheDialogAnyOtherWayWritesNothing)
{
    auto changeAll = [](FarDialogItem *items, int) {
        for (int i : FLAG_ITEMS) items[i].Selected = !items[i].Selected;
        strcpy(items[13].Data, "*.txt");
    };
    for (int close : {17, -1, 13, 0, 5}) {
        EXPECT_EQ(RunDialog(close, changeAll), 0) << close;
        EXPECT_EQ(SettingsText(), "<missing>") << close;
    }
    ASSERT_EQ(SetDwordValue("", "CtStatic", 1), 0);
    const std::string before = SettingsText();
    EXPECT_EQ(RunDialog(17, changeAll), 0);
    EXPECT_EQ(SettingsText(), before);
}

// Successive headless builds of one tree: what each did, as its report counts it.
TEST_F(PluginTest, HeadlessBuildReportsWhatItDid)
{
    const std::string deep = std::string(40, 'd') + "/" + std::string(30, 'n') + ".c";
    struct {
        const char *what;
        std::function<void()> change;
        int scanned, leftOut, entries, indexFiles;
    } const rows[] = {
        {"nothing to index", [] {}, 0, 0, -1, INDEX_FILES_NONE},
        {"first build",
         [] {
             WriteText("a.c", "int f(void) {}\nint g(void) {}\n"),
                 WriteText("b.h", "#define N 1\n");
         },
         2, 0, 3, INDEX_FILES_WRITTEN},
        {"nothing changed", [] {}, 0, 0, 3, INDEX_FILES_UNCHANGED},
        {"a file removed", [] { ASSERT_EQ(remove("b.h"), 0); }, 0, 0, 2, INDEX_FILES_WRITTEN},
        {"a path too long for an entry",
         [&] {
             ASSERT_EQ(mkdir(std::string(40, 'd').c_str(), 0755), 0);
             WriteText(deep, "int h(void) {}\n");
         },
         0, 1, 2, INDEX_FILES_UNCHANGED},
    };
    for (const auto &r : rows) {
        r.change();
        CommandReport report;
        memset(&report, 0xFF, sizeof report); /* the command fills every field */
        RunHeadlessCommand(OPEN_PLUGINSMENU, COMMAND_BUILD, &report);
        EXPECT_EQ(report.ran, 1) << r.what;
        EXPECT_EQ(report.scanned, r.scanned) << r.what;
        EXPECT_EQ(report.unreadable, 0) << r.what;
        EXPECT_EQ(report.leftOut, r.leftOut) << r.what;
        EXPECT_EQ(report.entries, r.entries) << r.what;
        EXPECT_EQ(report.indexFiles, r.indexFiles) << r.what;
        EXPECT_EQ(TestHostTranscript(CALL_MESSAGE).find("flags=0x1"), std::string::npos)
            << r.what; // no warning
    }
}

// The headless scan, file by file into one table: what each gives and how it is counted.
TEST_F(PluginTest, HeadlessScanCountsEachFile)
{
    WriteText("a.c", "int f(void) {}\n");
    WriteText("m.MAC", "macro Go\n");
    WriteText("s.c", "static int s(void) { return 0; }\n");
    const std::string tooLong = std::string(64, 'x') + ".c";
    struct {
        const char *path;
        int result;
        std::string out;
    } const rows[] = {
        {"a.c", 0, "f?a.c?1\n"}, {"m.MAC", 0, "Go?m.MAC?1\n"}, // a macro file by its name
        {"s.c", 0, "?s.c?0\n"}, // static functions are left out by default
        {"missing.c", 1, ""},    {tooLong.c_str(), 1, ""}, // no entry can hold the name
    };
    ScanFilters filters;
    DefaultScanFilters(&filters);
    static BrowserState st;
    ASSERT_EQ(BeginFileScan(&st, &filters), 0);
    CommandReport report;
    memset(&report, 0, sizeof report);
    for (const auto &r : rows) {
        char buffer[256] = "";
        FILE *out = fmemopen(buffer, sizeof buffer, "w");
        ASSERT_NE(out, nullptr);
        EXPECT_EQ(ScanFileInto(&st, r.path, out, &report), r.result) << r.path;
        fclose(out);
        EXPECT_EQ(std::string(buffer), r.out) << r.path;
    }
    EndFileScan(&st);
    EXPECT_EQ(report.scanned, 3);
    EXPECT_EQ(report.unreadable, 2);
    EXPECT_EQ(report.entries, 3);
}

TEST_F(PluginTest, FailedTableAllocationWarnsOnceAndRunsNothing)
{
    WriteText("a.c", "int f(void) {}\n");
    for (long failing : {1L, 2L}) { // the main table, then the update table
        TestHostClearCalls();
        ScriptMenu(COMMAND_BUILD);
        MemFailFrom(failing);
        EXPECT_EQ(OpenPlugin(OPEN_PLUGINSMENU, 0), INVALID);
        EXPECT_EQ(MemAllocCount(), failing) << "no allocation after the failed one";
        MemFailFrom(0);
        std::vector<HostCall> seen = CallsOf(SEEN);
        ASSERT_EQ(seen.size(), 2u) << TestHostTranscript(SEEN);
        EXPECT_EQ(seen[1].text + "\n", Warning(MSG_NO_MEMORY));
        EXPECT_EQ(ReadText("zoltprj$.Far"), "<missing>");
#if defined(__SANITIZE_ADDRESS__)
        EXPECT_EQ(__lsan_do_recoverable_leak_check(), 0) << "the first table was not freed";
#endif
    }
}

TEST_F(PluginTest, ExceptionInsideACommandEndsInTheFatalBox)
{
    PluginStartupInfo info = TestHostInfo();
    g_hostMessage = info.Message;
    info.Message = ThrowingWarning;
    Start(info);
    // Browse on an empty directory warns, and that warning throws: the tables are allocated.
    testing::internal::CaptureStderr();
    EXPECT_EQ(Command(OPEN_PLUGINSMENU, COMMAND_BROWSE), INVALID);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("ZOLT - Fatal error"), std::string::npos) << err;
    EXPECT_NE(err.find("An unhandled exception occured. Program terminated."), std::string::npos);
    EXPECT_EQ(TestHostTranscript(CALL_MESSAGE), Warning(MSG_TABLE_EMPTY));
#if defined(__SANITIZE_ADDRESS__)
    EXPECT_EQ(__lsan_do_recoverable_leak_check(), 0) << "tables left behind by the fatal path";
#endif

    // The host goes on: commands and the dialog still work.
    WriteText("a.c", "int f(void) {}\n");
    EXPECT_EQ(Command(OPEN_PLUGINSMENU, COMMAND_BUILD), INVALID);
    EXPECT_EQ(ReadText("zoltprj$.Far"), "f?a.c?1\r\n");
    EXPECT_EQ(RunDialog(17), 0);
}

TEST_F(PluginTest, ExceptionInsideTheDialogStaysInThePlugin)
{
    PluginStartupInfo info = TestHostInfo();
    info.Dialog = ThrowingDialog;
    Start(info);
    testing::internal::CaptureStderr();
    EXPECT_EQ(Configure(0), 0);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("ZOLT - Fatal error"), std::string::npos) << err;
    EXPECT_EQ(SettingsText(), "<missing>");
}

} // namespace
