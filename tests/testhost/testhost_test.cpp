// The test host itself: the parts a plugin test trusts blindly.
#include <string.h>

#include <functional>
#include <string>
#include <vector>

#include "host/host.h"
#include "testhost/hosttest.h"

namespace {

using TestHostTest = HostTest;

std::vector<FarMenuItem> Items(std::vector<std::string> texts, int selected = -1)
{
    std::vector<FarMenuItem> items(texts.size());
    for (size_t i = 0; i < texts.size(); i++) {
        memset(&items[i], 0, sizeof items[i]);
        strncpy(items[i].Text, texts[i].c_str(), sizeof items[i].Text - 1);
        items[i].Separator = texts[i] == "---";
        items[i].Selected = (int)i == selected;
    }
    return items;
}

int Menu(const std::vector<FarMenuItem> &items, const int *keys = nullptr, int *breakCode = nullptr)
{
    return HostMenu(FMENU_AUTOHIGHLIGHT, "T", nullptr, keys, breakCode, items.data(),
                    (int)items.size());
}

TEST_F(TestHostTest, RecordReachesThePlugin)
{
    PluginStartupInfo info = TestHostInfo();
    EXPECT_EQ(info.StructSize, (int)sizeof(PluginStartupInfo));
    EXPECT_EQ(info.ModuleNumber, TEST_MODULE_NUMBER);
    EXPECT_STREQ(info.RootKey, "Software\\Far\\Plugins");
    EXPECT_STREQ(SettingsRoot, "Software\\Far\\Plugins\\ZOLT");
    EXPECT_STREQ(MsgText(3), "M3");
    SetMsgTexts({"Zero", "One"});
    SetMsgText(5, "Five");
    EXPECT_STREQ(MsgText(1), "One");
    EXPECT_STREQ(MsgText(5), "Five");
    EXPECT_STREQ(MsgText(2), "M2");
    EXPECT_EQ(HostCmpName("*.c", "C:\\a\\b.C", 1), 1);
    EXPECT_EQ(TestHostTranscript(), ""); // queries stay out of the default transcript
    EXPECT_EQ(CallsOf(CALL_GETMSG).size(), 4u);
}

TEST_F(TestHostTest, WrongModuleNumberAndPlacementAreErrors)
{
    auto items = Items({"a"});
    ScriptMenu(0);
    ScriptMenu(0);
    EXPECT_EQ(g_far.Menu(3, -1, -1, 0, 0, "T", nullptr, nullptr, nullptr, nullptr, items.data(), 1),
              0);
    EXPECT_EQ(g_far.Menu(TEST_MODULE_NUMBER, 5, -1, 0, 0, "T", nullptr, nullptr, nullptr, nullptr,
                         items.data(), 1),
              0);
    (void)g_far.GetMsg(0, 1);
    const char *lines[] = {"t", "x"};
    (void)g_far.Message(8, 0, nullptr, lines, 2, 0);
    std::string errors = TestHostFinish();
    EXPECT_NE(errors.find("Menu got plugin number 3"), std::string::npos) << errors;
    EXPECT_NE(errors.find("Menu not centred: x=5"), std::string::npos) << errors;
    EXPECT_NE(errors.find("GetMsg got plugin number 0"), std::string::npos) << errors;
    EXPECT_NE(errors.find("Message got plugin number 8"), std::string::npos) << errors;
}

// Exact modifier sets, as the host matches them: an entry without modifiers does not fire for a
// character that needs Shift, and an entry with Shift does not fire without it.
TEST_F(TestHostTest, BreakKeyNeedsSameKeyAndModifierSet)
{
    const int VK_F4 = 0x73, VK_MINUS = 0xBD;
    HostCall menu;
    menu.breakKeys = {'A', (PKF_SHIFT << 16) | VK_F4, VK_MINUS, (PKF_CONTROL << 16) | 'A',
                      ((PKF_CONTROL | PKF_ALT) << 16) | 'B'};
    struct {
        int vk, modifiers, fires;
    } const rows[] = {
        {'A', 0, 0},
        {'A', PKF_CONTROL, 3},
        {'A', PKF_SHIFT, -1},
        {'A', PKF_CONTROL | PKF_SHIFT, -1},
        {VK_F4, PKF_SHIFT, 1},
        {VK_F4, 0, -1},
        {VK_MINUS, 0, 2},
        {VK_MINUS, PKF_SHIFT, -1}, // '_' on a US layout
        {'B', PKF_CONTROL, -1},
        {'B', PKF_CONTROL | PKF_ALT, 4},
        {'C', 0, -1},
    };
    for (const auto &r : rows)
        EXPECT_EQ(PressKey(menu, r.vk, r.modifiers), r.fires)
            << "vk " << r.vk << " modifiers " << r.modifiers;

    struct {
        char ch;
        int key;
    } const chars[] = {{'a', 'A'},
                       {'A', (PKF_SHIFT << 16) | 'A'},
                       {'7', '7'},
                       {'&', (PKF_SHIFT << 16) | '7'},
                       {'_', (PKF_SHIFT << 16) | VK_MINUS},
                       {'-', VK_MINUS},
                       {':', (PKF_SHIFT << 16) | 0xBA},
                       {'~', (PKF_SHIFT << 16) | 0xC0},
                       {'\t', -1}};
    for (const auto &c : chars) EXPECT_EQ(KeyOfChar(c.ch), c.key) << c.ch;
}

const int VK_RETURN = 0x0D, VK_ESCAPE = 0x1B, VK_UP = 0x26, VK_DOWN = 0x28;

TEST_F(TestHostTest, MenuAnswers)
{
    auto items = Items({"one", "---", "two", "three"}, 2);
    const int keys[] = {'A', 0xBD, 0};
    struct {
        const char *what;
        std::function<void()> script;
        int result, breakCode;
    } const rows[] = {
        {"index", [] { ScriptMenu(3); }, 3, -1},
        {"cancel", [] { ScriptMenu(-1); }, -1, -1},
        {"index and break code", [] { ScriptMenu(0, 1); }, 0, 1},
        {"by text", [] { ScriptMenuText("three"); }, 3, -1},
        {"by callback",
         [] {
             ScriptMenuFn([](const HostCall &m) {
                 return MenuChoice{m.items[2] == "two" && m.breakKeys.size() == 2 ? 2 : -1, -1};
             });
         },
         2, -1},
        {"break key: the item under the cursor", [] { ScriptMenuKey('A'); }, 2, 0},
        {"typed '-'", [] { ScriptMenuChar('-'); }, 2, 1},
        {"typed '_' fires nothing", [] { ScriptMenuChar('_'), ScriptMenu(-1); }, -1, -1},
        {"Down skips nothing, Enter", [] { ScriptMenuKey(VK_DOWN), ScriptMenuKey(VK_RETURN); }, 3,
         -1},
        {"Up skips the separator", [] { ScriptMenuKey(VK_UP), ScriptMenuKey(VK_RETURN); }, 0, -1},
        {"Down stops at the end",
         [] { ScriptMenuKey(VK_DOWN), ScriptMenuKey(VK_DOWN), ScriptMenuKey(VK_RETURN); }, 3, -1},
        {"Esc", [] { ScriptMenuKey(VK_ESCAPE); }, -1, -1},
    };
    for (const auto &r : rows) {
        r.script();
        int breakCode = 99; // the host sets it to -1 on entry
        EXPECT_EQ(Menu(items, keys, &breakCode), r.result) << r.what;
        EXPECT_EQ(breakCode, r.breakCode) << r.what;
        EXPECT_EQ(TestHostFinish(), "") << r.what;
    }
    const HostCall &last = TestHostCalls().back();
    EXPECT_EQ(last.breakKeys, std::vector<int>({'A', 0xBD}));
    EXPECT_EQ(last.selected, 2);
    EXPECT_EQ(last.items, std::vector<std::string>({"one", "---", "two", "three"}));
    EXPECT_EQ(CallsOf(CALL_MENU)[7].text,
              "Menu(flags=4, title=\"T\", bottom=null, help=\"Contents\", breakKeys=2, count=4, "
              "selected=2) "
              "items=[\"one\", ---, \"two\", \"three\"] key 0x400BD fires nothing; -> -1");
    EXPECT_EQ(CallsOf(CALL_MENU)[6].text.substr(CallsOf(CALL_MENU)[6].text.find("->")),
              "-> 2, break 1 (0xBD)");
}

TEST_F(TestHostTest, MenuScriptMistakesFailLoudly)
{
    auto items = Items({"one", "---", "two"});
    const int keys[] = {'A', 0};
    struct {
        std::function<void()> script;
        bool withBreakCode;
        const char *error;
    } const rows[] = {
        {[] {}, true, "with no scripted answer"},
        {[] { ScriptMenuKey('B'); }, true, "with no scripted answer"},
        {[] { ScriptMenu(1); }, true, "item 1 cannot be chosen"},
        {[] { ScriptMenu(3); }, true, "item 3 cannot be chosen"},
        {[] { ScriptMenu(0, 1); }, true, "break code 1 is not a break key"},
        {[] { ScriptMenuText("four"); }, true, "no item \"four\""},
        {[] { ScriptMenuKey('A'); }, false, "no BreakCode"},
    };
    for (const auto &r : rows) {
        r.script();
        int breakCode = 0;
        int result = Menu(items, keys, r.withBreakCode ? &breakCode : nullptr);
        std::string errors = TestHostFinish();
        EXPECT_NE(errors.find(r.error), std::string::npos) << errors;
        if (r.withBreakCode) {
            EXPECT_EQ(breakCode, -1) << r.error;
        }
        if (strcmp(r.error, "no BreakCode") != 0) {
            EXPECT_EQ(result, -1) << r.error;
        }
    }
    ScriptMenu(0);
    ScriptDialog(0);
    ScriptMessage(0);
    ScriptEditor([](const HostCall &) { return 2; });
    EXPECT_EQ(TestHostFinish(),
              "1 scripted menu answer(s) not used\n1 scripted dialog answer(s) not used\n"
              "1 scripted message answer(s) not used\n1 scripted editor script(s) not used\n");
}

TEST_F(TestHostTest, DialogWritesBackEdits)
{
    FarDialogItem items[4];
    memset(items, 0, sizeof items);
    items[0].Type = DI_DOUBLEBOX;
    strcpy(items[0].Data, "Title");
    items[1].Type = DI_CHECKBOX;
    strcpy(items[1].Data, "Static");
    items[2].Type = DI_EDIT;
    strcpy(items[2].Data, "*.c");
    items[3].Type = DI_BUTTON;
    strcpy(items[3].Data, "OK");
    ScriptDialog(3, [](FarDialogItem *it, int n) {
        it[FindDialogItem(it, n, "Static")].Selected = 1;
        strcpy(it[FindDialogItem(it, n, "*.c")].Data, "*.h");
    });
    EXPECT_EQ(HostDialog(40, 10, items, 4), 3);
    EXPECT_EQ(items[1].Selected, 1);
    EXPECT_STREQ(items[2].Data, "*.h");
    const HostCall &c = TestHostCalls().back();
    EXPECT_STREQ(c.dialogIn[2].Data, "*.c");
    EXPECT_EQ(c.dialogOut[1].Selected, 1);
    EXPECT_EQ(c.text,
              "Dialog(rect=-1,-1,40,10, help=\"Contents\", count=4) items=[dbox \"Title\", check 0 "
              "\"Static\", edit \"*.c\", button \"OK\"] set [1] check 1 \"Static\"; set [2] edit "
              "\"*.h\"; -> 3");

    EXPECT_EQ(HostDialog(40, 10, items, 4), -1);
    ScriptDialog(4);
    EXPECT_EQ(HostDialog(40, 10, items, 4), -1);
    std::string errors = TestHostFinish();
    EXPECT_NE(errors.find("Dialog with no scripted answer"), std::string::npos) << errors;
    EXPECT_NE(errors.find("close item 4 does not exist"), std::string::npos) << errors;
}

TEST_F(TestHostTest, MessageBoxes)
{
    const char *warn[] = {"Error", "Cannot open", "OK"};
    const char *two[] = {"Yes", "No"};
    EXPECT_EQ(g_far.Message(TEST_MODULE_NUMBER, FMSG_WARNING, nullptr, warn, 3, 1), 0);
    ScriptMessage(-1);
    ShowProgress(5, "12 files"); // no buttons: returns at once and leaves the answer queued
    EXPECT_EQ(g_far.Message(TEST_MODULE_NUMBER, FMSG_WARNING, nullptr, warn, 3, 1), -1);
    EXPECT_EQ(g_far.Message(TEST_MODULE_NUMBER, 0, "Topic", two, 2, 2),
              -1); // 2 buttons need 3 lines
    EXPECT_EQ(g_far.Message(TEST_MODULE_NUMBER, 0, nullptr, warn, 1, 0), -1);
    const char *allInOne = "Title\nline\nOK";
    EXPECT_EQ(g_far.Message(TEST_MODULE_NUMBER, FMSG_ALLINONE, nullptr,
                            (const char *const *)allInOne, 0, 1),
              0);
    std::string errors = TestHostFinish();
    EXPECT_NE(errors.find("2 buttons but 2 lines"), std::string::npos) << errors;
    EXPECT_NE(errors.find("fewer than 2 lines"), std::string::npos) << errors;
    auto boxes = CallsOf(CALL_MESSAGE);
    ASSERT_EQ(boxes.size(), 6u);
    EXPECT_EQ(boxes[0].text, "Message(flags=0x1, help=null, lines=[\"Error\", \"Cannot open\", "
                             "\"OK\"], buttons=1) -> 0");
    EXPECT_EQ(boxes[1].text,
              "Message(flags=0x0, help=null, lines=[\"M5\", \"12 files\"], buttons=0) -> 0");
    EXPECT_EQ(boxes[5].items, std::vector<std::string>({"Title", "line", "OK"}));
}

TEST_F(TestHostTest, ScreenHandlesPairUp)
{
    struct {
        const char *
            steps; // s = save, r<n> = restore the n-th handle, 0 = restore null, x = a foreign handle
        const char *errors;
    } const rows[] = {
        {"s r1", ""},
        {"s s r2 r1", ""},
        {"s 0 r1", ""},
        {"s", "screen #1 saved but never restored\n"},
        {"s s r1", "screen #2 saved but never restored\n"},
        {"s r1 r1", "call 3: screen #1 restored twice\n"},
        {"x", "call 1: RestoreScreen with a handle SaveScreen never gave: 0x1234\n"},
    };
    for (const auto &r : rows) {
        TestHostInstall();
        std::vector<FarHandle> handles;
        for (const char *p = r.steps; *p; p++) {
            if (*p == 's') handles.push_back(HostSaveScreen());
            if (*p == 'r') HostRestoreScreen(handles[(size_t)(*++p - '1')]);
            if (*p == '0') HostRestoreScreen(nullptr);
            if (*p == 'x') HostRestoreScreen((FarHandle)(uintptr_t)0x1234);
        }
        if (handles.size() == 2) {
            EXPECT_NE(handles[0], handles[1]);
        }
        for (FarHandle h : handles) EXPECT_NE(h, nullptr);
        EXPECT_EQ(TestHostFinish(), r.errors) << r.steps;
    }
}

struct GetString {
    int result;
    std::string text, eol;
};

GetString ReadLine(int n)
{
    EditorGetString gs;
    memset(&gs, 0, sizeof gs);
    gs.StringNumber = n;
    GetString out;
    out.result = HostEditorControl(ECTL_GETSTRING, &gs);
    if (out.result) {
        out.text.assign(gs.StringText, (size_t)gs.StringLength);
        out.eol = gs.StringEOL;
        EXPECT_EQ(gs.SelStart, -1);
        EXPECT_EQ(gs.SelEnd, -1);
    }
    return out;
}

EditorInfo Info()
{
    EditorInfo ei;
    memset(&ei, 0xAB, sizeof ei);
    EXPECT_EQ(HostEditorControl(ECTL_GETINFO, &ei), 1);
    return ei;
}

TEST_F(TestHostTest, EditorLinesAndPositions)
{
    EXPECT_EQ(HostEditorControl(ECTL_GETINFO, nullptr), 0); // no editor: nothing happens
    int id = OpenEditor("C:\\src\\a.c", {"int a;", "", "int b(void)"}, 2, 4);
    struct {
        int line;
        GetString expected;
    } const rows[] = {
        {-1, {1, "int b(void)", ""}}, {0, {1, "int a;", "\r\n"}}, {1, {1, "", "\r\n"}},
        {2, {1, "int b(void)", ""}},  {3, {0, "", ""}},           {-2, {0, "", ""}},
    };
    for (const auto &r : rows) {
        GetString got = ReadLine(r.line);
        EXPECT_EQ(got.result, r.expected.result) << r.line;
        EXPECT_EQ(got.text, r.expected.text) << r.line;
        EXPECT_EQ(got.eol, r.expected.eol) << r.line;
    }
    EXPECT_EQ(EditorReadCount(), 4);

    EditorInfo ei = Info();
    EXPECT_EQ(ei.EditorID, id);
    EXPECT_STREQ(ei.FileName, "C:\\src\\a.c");
    EXPECT_EQ(ei.TotalLines, 3);
    EXPECT_EQ(ei.CurLine, 2);
    EXPECT_EQ(ei.CurPos, 4);
    EXPECT_EQ(ei.CurTabPos, 4);
    EXPECT_EQ(ei.WindowSizeX, 80);
    EXPECT_EQ(ei.WindowSizeY, 24);
    EXPECT_EQ(ei.TopScreenLine, 0);
    EXPECT_EQ(ei.LeftPos, 0);
    EXPECT_EQ(ei.TabSize, 8);
    EXPECT_EQ(ei.BookMarkCount, 0);

    struct {
        EditorSetPosition set;
        int line, pos, top, left;
    } const moves[] = {
        {{-1, -1, -1, -1, -1, -1}, 2, 4, 0, 0}, {{0, 3, -1, -1, -1, -1}, 0, 3, 0, 0},
        {{-1, -1, -1, 1, 5, -1}, 0, 3, 1, 5},   {{1, -1, 7, -1, -1, -1}, 1, 7, 1, 5},
        {{50, 0, -1, 0, 0, -1}, 2, 0, 0, 0}, // past the end: the last line
    };
    for (const auto &m : moves) {
        EXPECT_EQ(HostEditorControl(ECTL_SETPOSITION, (void *)&m.set), 1);
        ei = Info();
        EXPECT_EQ(ei.CurLine, m.line);
        EXPECT_EQ(ei.CurPos, m.pos);
        EXPECT_EQ(ei.TopScreenLine, m.top);
        EXPECT_EQ(ei.LeftPos, m.left);
    }
    EXPECT_EQ(ReadLine(-1).text, "int b(void)");
    EXPECT_EQ(
        CallsOf(CALL_EDITORCONTROL).back().text,
        "EditorControl(SETPOSITION, line=50, pos=0, tabpos=-1, top=0, left=0, overtype=-1) -> 1");
}

TEST_F(TestHostTest, QuitClosesOnlyTheCurrentEditor)
{
    int outer = OpenEditor("C:\\a.c", {"a"});
    int inner = OpenEditor("C:\\b.c", {"b"});
    EXPECT_NE(outer, inner);
    EXPECT_EQ(Info().EditorID, inner);
    EXPECT_EQ(HostEditorControl(ECTL_QUIT, nullptr), 1);
    EXPECT_EQ(EditorDepth(), 1);
    EXPECT_EQ(Info().EditorID, outer);
    EXPECT_EQ(ReadLine(0).text, "a");
    EXPECT_EQ(HostEditorControl(ECTL_QUIT, nullptr), 1);
    EXPECT_EQ(HostEditorControl(ECTL_QUIT, nullptr), 0);
    EXPECT_EQ(ReadLine(0).result, 0);
    EXPECT_EQ(
        TestHostTranscript(CALL_EDITORCONTROL),
        "EditorControl(QUIT) -> 1, closed editor 2\nEditorControl(QUIT) -> 1, closed editor 1\n"
        "EditorControl(QUIT) -> 0, no editor\n");
}

TEST_F(TestHostTest, EditorCallRunsItsSession)
{
    OpenEditor("C:\\src\\main.c", {"x"});
    EXPECT_EQ(HostEditor("C:\\src\\b.c", 0, 0), 2); // unscripted: closed at once
    std::vector<std::string> lines;
    for (int i = 1; i <= 40; i++) lines.push_back("line " + std::to_string(i));
    EditorInfo seen;
    ScriptEditorSession(lines, [&] {
        seen = Info();
        EXPECT_EQ(ReadLine(-1).text, "line 30");
    });
    ScriptEditorSession(lines, [] { EXPECT_EQ(HostEditorControl(ECTL_QUIT, nullptr), 1); });
    EXPECT_EQ(HostEditor("C:\\src\\lib.c", 30, 5), 2);
    EXPECT_EQ(seen.CurLine, 29);
    EXPECT_EQ(seen.CurPos, 4);
    EXPECT_EQ(seen.TopScreenLine, 17);
    EXPECT_STREQ(seen.FileName, "C:\\src\\lib.c"); // still alive: the session was open then
    EXPECT_EQ(seen.EditorID, 2);
    EXPECT_EQ(HostEditor("C:\\src\\lib.c", -1, -1), 2); // the plugin quits it itself
    EXPECT_EQ(EditorDepth(), 1);
    EXPECT_EQ(Info().EditorID, 1);
    auto editors = CallsOf(CALL_EDITOR);
    ASSERT_EQ(editors.size(), 3u);
    EXPECT_EQ(editors[1].file, "C:\\src\\lib.c");
    EXPECT_EQ(editors[1].line, 30);
    EXPECT_EQ(editors[1].col, 5);
    EXPECT_EQ(
        TestHostTranscript(CALL_EDITOR | CALL_EDITORCONTROL),
        "Editor(file=\"C:\\src\\b.c\", title=\"C:\\src\\b.c\", rect=0,0,-1,-1, flags=0x0, line=0, "
        "col=0) -> 2\n"
        "Editor(file=\"C:\\src\\lib.c\", title=\"C:\\src\\lib.c\", rect=0,0,-1,-1, flags=0x0, "
        "line=30, col=5) -> 2\n"
        "Editor(file=\"C:\\src\\lib.c\", title=\"C:\\src\\lib.c\", rect=0,0,-1,-1, flags=0x0, "
        "line=-1, col=-1) -> 2\n"
        "EditorControl(QUIT) -> 1, closed editor 3\n");
}

TEST_F(TestHostTest, EditorToOem)
{
    OpenEditor("C:\\a.c", {"a"});
    char text[] = "ab\xC0";
    EditorConvertText ct = {text, 3};
    EXPECT_EQ(HostEditorControl(ECTL_EDITORTOOEM, &ct), 1);
    EXPECT_STREQ(text, "ab\xC0");
    unsigned char table[256];
    for (int i = 0; i < 256; i++) table[i] = (unsigned char)(i >= 0xC0 ? i - 0x40 : i);
    SetEditorToOemTable(table);
    ct.TextLength = 2;
    EXPECT_EQ(HostEditorControl(ECTL_EDITORTOOEM, &ct), 1);
    EXPECT_STREQ(text, "ab\xC0"); // only the given length
    ct.TextLength = 3;
    EXPECT_EQ(HostEditorControl(ECTL_EDITORTOOEM, &ct), 1);
    EXPECT_STREQ(text, "ab\x80");
    EXPECT_EQ(HostEditorControl(12, nullptr), 0);
    EXPECT_EQ(TestHostTranscript(CALL_EDITORCONTROL), "EditorControl(12) -> 0\n");
}

TEST(TestHostLines, LinesOfSplitsEveryLineEnd)
{
    EXPECT_EQ(LinesOf("a\r\nb\nc\rd"), std::vector<std::string>({"a", "b", "c", "d"}));
    EXPECT_EQ(LinesOf("a\n"), std::vector<std::string>({"a", ""}));
    EXPECT_EQ(LinesOf(""), std::vector<std::string>({""}));
}

} // namespace
