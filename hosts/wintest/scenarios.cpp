/* scenarios.cpp: the scenarios both Windows test hosts run against their plugin: build and
   rebuild a tree, browse it, go to definitions and back, the fatal path and the configuration
   dialog. They see the plugin only through OpenCommand, ConfigureCommand and StoredValue, and
   the host through the recorded calls. */
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

#include <set>

#include "plugin/commands.h"
#include "wintest/wintest.h"

static const char PROJECT_INDEX[] = "zoltprj$.Far";
static const char UPDATE_INDEX[] = "zoltpru$.Far";

std::string g_root;
static std::vector<std::string> g_why; /* failures of the running scenario */
static int g_failed;

void Expect(bool ok, const std::string &what)
{
    if (!ok) g_why.push_back(what);
}

void ExpectEq(const std::string &got, const std::string &want, const std::string &what)
{
    if (got != want) g_why.push_back(what + ": got \"" + got + "\", want \"" + want + "\"");
}

void Scenario(const char *name, void (*body)())
{
    g_why.clear();
    ResetHost();
    HostErrors().clear();
    body();
    ResetHost();
    for (const std::string &e : HostErrors()) g_why.push_back("host: " + e);
    HostErrors().clear();
    if (g_why.empty()) {
        printf("PASS %s\n", name);
    } else {
        g_failed = 1;
        printf("FAIL %s:", name);
        for (const std::string &w : g_why) printf("\n    %s", w.c_str());
        printf("\n");
    }
    fflush(stdout);
}

int ScenariosFailed()
{
    return g_failed;
}

static std::string At(const std::string &rel)
{
    return g_root + "\\" + rel;
}

/* ---- the tree ---- */

static const char MAIN_C[] = "#include \"sub/helper.h\"\r\n"
                             "\r\n"
                             "static int local_fn(int x)\r\n"
                             "{\r\n"
                             "    return x + 1;\r\n"
                             "}\r\n"
                             "\r\n"
                             "int dup_fn(void)\r\n"
                             "{\r\n"
                             "    return local_fn(helper());\r\n"
                             "}\r\n"
                             "\r\n"
                             "int main(void)\r\n"
                             "{\r\n"
                             "    return dup_fn();\r\n"
                             "}\r\n";
static const char HELPER_C[] = "int helper(void)\n{\n    return 1;\n}\n\n"
                               "int my_func(void)\n{\n    return 2;\n}\n\n"
                               "int my_other(void)\n{\n    return 3;\n}\n";
static const char DUP_C[] = "int dup_fn(void)\n{\n    return 0;\n}\n";
static const char KEYS_MAC[] = "; keyboard macros\r\nmacro Foo_Bar\r\n  text\r\nmacro My_Macro\r\n";
static const char LONG_C[] = "int long_named(void)\n{\n    return 4;\n}\n";
static const char *const TREE_FILES[][2] = {
    {"main.c", MAIN_C},
    {"sub\\helper.c", HELPER_C},
    {"sub\\deep\\dup.c", DUP_C},
    {"macros\\KEYS.MAC", KEYS_MAC},
    {"averylongfilename_source.c", LONG_C},
    {"notes.txt", "int not_source(void);\n"},
};
static const FILETIME TIME0 = {0x2D4A8000u, 0x01D5C0F5u}; /* early January 2020 */
static const FILETIME TIME1 = {0x89F1C000u, 0x01D5C1BEu}; /* a day later */
static const FILETIME TIME_OLD = {0u, 0x01C00000u};       /* years before both */

static std::string TimeText(const FILETIME &t)
{
    return std::to_string(t.dwLowDateTime) + "?" + std::to_string(t.dwHighDateTime);
}

int MakeTree(const std::string &root)
{
    g_root = root;
    bool ok = CreateDirectoryA(g_root.c_str(), NULL) && CreateDirectoryA(At("sub").c_str(), NULL) &&
              CreateDirectoryA(At("sub\\deep").c_str(), NULL) &&
              CreateDirectoryA(At("macros").c_str(), NULL);
    for (const auto &f : TREE_FILES)
        ok = ok && WriteFileText(At(f[0]), f[1]) == 0 && SetWriteTime(At(f[0]), TIME0) == 0;
    return ok && SetCurrentDirectoryA(g_root.c_str());
}

static std::set<std::string> LineSet(const std::string &text)
{
    std::vector<std::string> lines = SplitLines(text);
    return std::set<std::string>(lines.begin(), lines.end());
}

static std::string Joined(const std::vector<std::string> &lines)
{
    std::string out;
    for (const std::string &l : lines) out += l + "\r\n";
    return out;
}

/* ---- scenarios ---- */

static const std::vector<std::string> FIRST_INDEX = {
    "dup_fn?main.c?8",
    "dup_fn?sub\\deep\\dup.c?1",
    "Foo_Bar?macros\\KEYS.MAC?2",
    "helper?sub\\helper.c?1",
    "long_named?averylongfilename_source.c?1",
    "main?main.c?13",
    "my_func?sub\\helper.c?6",
    "My_Macro?macros\\KEYS.MAC?4",
    "my_other?sub\\helper.c?11",
};

static void RunBuild()
{
    ScriptMenuIndex(COMMAND_BUILD);
    Expect(OpenCommand(FROM_PANELS), "open result");
}

/* Every update line is a project line with the write time of its file appended. */
static void CheckUpdateLines(const std::vector<std::string> &project, const std::string &touched)
{
    std::set<std::string> want;
    for (const std::string &l : project) {
        std::string file = l.substr(l.find('?') + 1);
        file = file.substr(0, file.find('?'));
        want.insert(l + "?" + TimeText(file == touched ? TIME1 : TIME0));
    }
    std::set<std::string> got = LineSet(ReadFileText(UPDATE_INDEX));
    Expect(got == want, "update index lines:\n" + ReadFileText(UPDATE_INDEX));
}

static void BuildIndex()
{
    RunBuild();
    ExpectEq(ReadFileText(PROJECT_INDEX), Joined(FIRST_INDEX), "project index");
    CheckUpdateLines(FIRST_INDEX, "");
    Expect(ReadFileText("zoltprj$.new") == "<missing>" &&
               ReadFileText("zoltpru$.new") == "<missing>",
           "temporary files left behind");
}

static void RebuildUntouched()
{
    std::string project = ReadFileText(PROJECT_INDEX), update = ReadFileText(UPDATE_INDEX);
    Expect(SetWriteTime(PROJECT_INDEX, TIME_OLD) == 0 && SetWriteTime(UPDATE_INDEX, TIME_OLD) == 0,
           "SetFileTime");
    RunBuild();
    FILETIME p, u;
    Expect(GetWriteTime(PROJECT_INDEX, &p) == 0 && CompareFileTime(&p, &TIME_OLD) == 0,
           "project index rewritten");
    Expect(GetWriteTime(UPDATE_INDEX, &u) == 0 && CompareFileTime(&u, &TIME_OLD) == 0,
           "update index rewritten");
    ExpectEq(ReadFileText(PROJECT_INDEX), project, "project index bytes");
    ExpectEq(ReadFileText(UPDATE_INDEX), update, "update index bytes");
}

/* helper.c gets a new function and a new write time; main.c gets one too but keeps its time,
   so only a rescan of main.c could find it. */
static void RebuildOneTouched()
{
    Expect(WriteFileText("sub\\helper.c", std::string(HELPER_C) +
                                              "\nint my_new(void)\n{\n    return 5;\n}\n") == 0 &&
               SetWriteTime("sub\\helper.c", TIME1) == 0,
           "touching helper.c");
    Expect(WriteFileText("main.c", std::string(MAIN_C) + "int sneaky(void) { return 6; }\r\n") ==
                   0 &&
               SetWriteTime("main.c", TIME0) == 0,
           "editing main.c");
    RunBuild();
    std::vector<std::string> want = FIRST_INDEX;
    want.insert(want.begin() + 8, "my_new?sub\\helper.c?16");
    ExpectEq(ReadFileText(PROJECT_INDEX), Joined(want), "project index");
    CheckUpdateLines(want, "sub\\helper.c");
}

static void BrowseWithFilter()
{
    ScriptMenuIndex(COMMAND_BROWSE);
    ScriptMenuChar('m');
    ScriptMenuChar('y');
    ScriptMenuChar('_');
    ScriptMenuIndex(0); /* Enter on the first entry */
    ScriptMenuIndex(-1);
    Expect(OpenCommand(FROM_PANELS), "open result");
    std::vector<Call> menus = CallsOf("Menu");
    Expect(menus.size() == 6, std::to_string(menus.size()) + " menus, want 6");
    if (menus.size() < 6) return;
    ExpectEq(menus[1].title, "Browse []", "first browse title");
    Expect(menus[1].items.size() == 10,
           "first browse items " + std::to_string(menus[1].items.size()));
    ExpectEq(menus[4].title, "Browse [MY_]", "filtered title");
    Expect(menus[4].items.size() == 4, "filtered items " + std::to_string(menus[4].items.size()));
    if (!menus[4].items.empty())
        ExpectEq(menus[4].items[0].substr(0, 8), "my_func ", "first filtered item");
    ExpectEq(menus[5].title, "Browse [MY_]", "the menu comes back with its filter");
    std::vector<Call> editors = CallsOf("Editor");
    Expect(editors.size() == 1, std::to_string(editors.size()) + " Editor calls, want 1");
    /* a full name, or one relative to the panel's folder (the tree) */
    std::string opened = editors.empty() ? "" : editors[0].text, root = "Editor " + g_root + "\\";
    if (opened.size() > root.size() && _strnicmp(opened.c_str(), root.c_str(), root.size()) == 0)
        opened = "Editor " + opened.substr(root.size());
    if (!editors.empty()) ExpectEq(opened, "Editor sub\\helper.c line=6 col=0", "Editor call");
}

static std::vector<std::string> DiskLines(const char *rel)
{
    return SplitLines(ReadFileText(At(rel)));
}

static void ExpectPosition(const Call &c, int line, int col, const std::string &what)
{
    Expect(c.line == line && c.col == col,
           what + ": line " + std::to_string(c.line) + " col " + std::to_string(c.col) + ", want " +
               std::to_string(line) + " col " + std::to_string(col));
}

static void GotoInTextAndBack()
{
    int id = PushEditor(At("main.c"), DiskLines("main.c"), 9, 11); /* on "local_fn(helper())" */
    ScriptMenuIndex(COMMAND_GOTO);
    Expect(OpenCommand(FROM_EDITOR), "open result");
    std::vector<Call> moves = CallsOf("EditorControl", EDITOR_SETPOSITION);
    Expect(moves.size() == 1, "go to: " + std::to_string(moves.size()) + " moves");
    if (!moves.empty()) ExpectPosition(moves[0], 2, 0, "go to");
    ExpectEq(StoredValue("StrNumForBackOut"), "number:9", "back-out line");
    ExpectEq(StoredValue("PosNumForBackOut"), "number:11", "back-out column");
    ExpectEq(StoredValue("EditorIdForBackOut"), "number:" + std::to_string(id), "back-out editor");
    Expect(CallsOf("Editor").empty(), "another editor was opened");

    ScriptMenuIndex(COMMAND_GOBACK);
    Expect(OpenCommand(FROM_EDITOR), "open result of go back");
    moves = CallsOf("EditorControl", EDITOR_SETPOSITION);
    Expect(moves.size() == 2, "go back: " + std::to_string(moves.size()) + " moves");
    if (moves.size() == 2) ExpectPosition(moves[1], 9, 11, "go back");
    PopEditor();
}

/* Go back from the editor a jump opened (changed there when modified) closes that editor. */
static void GoBackInside(int *quit, int modified = 0)
{
    ScriptEditor([quit, modified]() {
        CurrentEditor()->modified = modified;
        ScriptMenuIndex(COMMAND_GOBACK);
        Expect(OpenCommand(FROM_EDITOR), "open result of go back");
        *quit = CurrentEditor()->quit;
    });
}

static void GotoOwnIndexAndBack()
{
    PushEditor(At("main.c"), DiskLines("main.c"), 9, 20); /* on "helper()" */
    ScriptMenuIndex(COMMAND_GOTO);
    int quit = 0;
    GoBackInside(&quit);
    Expect(OpenCommand(FROM_EDITOR), "open result");
    std::vector<Call> editors = CallsOf("Editor");
    Expect(editors.size() == 1, std::to_string(editors.size()) + " Editor calls, want 1");
    if (!editors.empty())
        ExpectEq(editors[0].text, "Editor " + At("sub\\helper.c") + " line=1 col=1", "Editor call");
    Expect(quit == 1, "go back did not close the opened editor");
    PopEditor();
}

/* The host would close it without asking: a changed editor stays, with a warning. */
static void GoBackKeepsChangedEditor()
{
    PushEditor(At("main.c"), DiskLines("main.c"), 9, 20); /* on "helper()" */
    ScriptMenuIndex(COMMAND_GOTO);
    int quit = 0;
    GoBackInside(&quit, 1);
    Expect(OpenCommand(FROM_EDITOR), "open result");
    Expect(quit == 0, "go back closed an editor with unsaved changes");
    std::vector<Call> boxes = CallsOf("Message");
    Expect(boxes.size() == 1, std::to_string(boxes.size()) + " message boxes, want 1");
    if (!boxes.empty()) ExpectEq(boxes[0].text, "Message \"M6\" \"M35\" \"M8\"", "warning");
    PopEditor();
}

static void GotoParentIndexWithChoiceAndBack()
{
    PushEditor(At("sub\\helper.c"), {"int h(void) { return dup_fn(); }"}, 0, 23);
    ScriptMenuIndex(COMMAND_GOTO);
    ScriptMenuIndex(1); /* the second definition */
    int quit = 0;
    GoBackInside(&quit);
    Expect(OpenCommand(FROM_EDITOR), "open result");
    std::vector<Call> menus = CallsOf("Menu");
    Expect(menus.size() == 3, std::to_string(menus.size()) + " menus, want 3");
    if (menus.size() >= 2) {
        ExpectEq(menus[1].title, "M3", "choice menu title");
        Expect(menus[1].items.size() == 2, "choice items " + std::to_string(menus[1].items.size()));
    }
    std::vector<Call> editors = CallsOf("Editor");
    Expect(editors.size() == 1, std::to_string(editors.size()) + " Editor calls, want 1");
    if (!editors.empty())
        ExpectEq(editors[0].text, "Editor " + At("sub\\deep\\dup.c") + " line=1 col=1",
                 "Editor call");
    Expect(quit == 1, "go back did not close the opened editor");
    PopEditor();
}

/* A letter of the ANSI code page, as one byte, that code page 866 reads as another letter;
   "" when the code page has none (a multi-byte one). */
static std::string AnsiLetter()
{
    static const wchar_t CANDIDATES[] = {0x00E9, 0x0436, 0x00E4}; /* e acute, zhe, a umlaut */
    for (wchar_t w : CANDIDATES) {
        char b[4];
        BOOL lossy = FALSE;
        int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, &w, 1, b, sizeof b, NULL, &lossy);
        wchar_t back = 0;
        if (n == 1 && !lossy && MultiByteToWideChar(CP_ACP, 0, b, 1, &back, 1) == 1 && back == w)
            return std::string(b, 1);
    }
    return "";
}

/* File names cross between the plugin and the host in the code page of the file functions: the
   editor's name on the way in, the name to open on the way out. */
static void GotoThroughAnsiNamedDirectory()
{
    std::string letter = AnsiLetter();
    if (letter.empty()) {
        printf("     (no single-byte letter in this ANSI code page: the directory is plain)\n");
        letter = "e";
    }
    std::string dir = "caf" + letter;
    Expect(CreateDirectoryA(At(dir).c_str(), NULL) &&
               WriteFileText(At(dir + "\\a.c"), "int accent_fn(void) { return 0; }\n") == 0 &&
               WriteFileText(At(dir + "\\b.c"), "int b(void) { return accent_fn(); }\n") == 0,
           "cannot make " + dir);
    Expect(SetCurrentDirectoryA(At(dir).c_str()), "cannot enter " + dir);
    RunBuild();
    SetCurrentDirectoryA(g_root.c_str());
    PushEditor(At(dir + "\\b.c"), DiskLines((dir + "\\b.c").c_str()), 0, 25); /* on accent_fn */
    ScriptMenuIndex(COMMAND_GOTO);
    Expect(OpenCommand(FROM_EDITOR), "open result");
    std::vector<Call> editors = CallsOf("Editor");
    Expect(editors.size() == 1, std::to_string(editors.size()) + " Editor calls, want 1");
    if (!editors.empty())
        ExpectEq(editors[0].text, "Editor " + At(dir + "\\a.c") + " line=1 col=1", "Editor call");
    PopEditor();
}

void RunCommandScenarios()
{
    Scenario("build: tree with subdirectories, a .MAC file and a long name", BuildIndex);
    Scenario("rebuild: nothing touched, nothing written", RebuildUntouched);
    Scenario("rebuild: one file's time set, only it rescanned", RebuildOneTouched);
    Scenario("browse: filter \"MY_\" typed with break keys, Enter opens the editor",
             BrowseWithFilter);
    Scenario("goto: in the edited text, then go back", GotoInTextAndBack);
    Scenario("goto: through the own directory's index, go back closes the editor",
             GotoOwnIndexAndBack);
    Scenario("goto: through a parent's index with a choice menu, go back",
             GotoParentIndexWithChoiceAndBack);
    Scenario("goto: go back from a changed editor keeps it open and warns",
             GoBackKeepsChangedEditor);
    Scenario("goto: through the index of a directory named in the ANSI code page",
             GotoThroughAnsiNamedDirectory);
}

/* What the plugin writes to stderr during fn (the fatal path reports there without a box). */
static std::string CaptureStderr(void (*fn)())
{
    std::string path = g_root + "\\..\\stderr.txt";
    fflush(stderr);
    int saved = _dup(2);
    int fd = _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (saved < 0 || fd < 0) return "<cannot redirect stderr>";
    _dup2(fd, 2);
    _close(fd);
    fn();
    fflush(stderr);
    _dup2(saved, 2);
    _close(saved);
    return ReadFileText(path);
}

static int *g_fatalResult;
static void (*g_provokeFatal)(int *);

static void ProvokeFatal()
{
    *g_fatalResult = 0;
    g_provokeFatal(g_fatalResult);
}

void ExpectFatalOnly(void (*provoke)(int *result))
{
    int result = 0;
    g_fatalResult = &result;
    g_provokeFatal = provoke;
    std::string err = CaptureStderr(ProvokeFatal);
    Expect(result, "open result");
    ExpectEq(err, "ZOLT - Fatal error: An unhandled exception occured. Program terminated.\n",
             "fatal report");
    ResetHost();
    ScriptMenuIndex(COMMAND_BROWSE);
    ScriptMenuIndex(-1);
    Expect(OpenCommand(FROM_PANELS), "open result after the failed command");
    Expect(CallsOf("Menu").size() == 2, "the plugin is not usable after the failed command");
}

static void ThrowingHostMenu(int *result)
{
    ScriptMenuIndex(COMMAND_BROWSE);
    ScriptMenuThrow();
    *result = OpenCommand(FROM_PANELS);
}

static void HostExceptionIsFatal()
{
    ExpectFatalOnly(ThrowingHostMenu);
}

static void FaultingGoto(int *result)
{
    PushEditor(At("main.c"), DiskLines("main.c"), 9, 20);
    ScriptMenuIndex(COMMAND_GOTO);
    ScriptWildEditorText();
    *result = OpenCommand(FROM_EDITOR);
    PopEditor();
}

static void AccessViolationIsFatal()
{
    ExpectFatalOnly(FaultingGoto);
}

void RunFatalScenarios()
{
    /* 32-bit: each module carries its own DWARF unwinder, which cannot unwind the other's
       frames; 64-bit: the system unwinds both, but has no handler chain to hook faults into. */
    if (sizeof(void *) == 4) {
        Scenario("fatal: an access violation inside a command ends the command only",
                 AccessViolationIsFatal);
        printf("SKIP fatal: an exception from a host service: cannot cross the module boundary "
               "on i686 (std::terminate)\n");
    } else {
        Scenario("fatal: an exception from a host service ends the command only",
                 HostExceptionIsFatal);
        printf("SKIP fatal: an access violation inside a command: not caught on x86_64\n");
    }
}

/* Every command is refused with the same warning, and nothing else happens. */
void ExpectCommandsRefused()
{
    Expect(OpenCommand(FROM_PANELS), "open result");
    Expect(OpenCommand(FROM_EDITOR), "open result from the editor");
    Expect(CallsOf("Menu").empty(), "a command menu was shown");
    std::vector<Call> boxes = CallsOf("Message");
    Expect(boxes.size() == 2, std::to_string(boxes.size()) + " message boxes, want 2");
    for (const Call &b : boxes) ExpectEq(b.text, "Message \"M6\" \"M20\" \"M8\"", "warning");
    Expect(ReadFileText(At(PROJECT_INDEX)) == "<missing>", "an index was written");
}

static const struct {
    int item;
    const char *name;
    int value;
} CONFIG_VALUES[] = {
    {5, "CtStatic", 1}, {6, "CtInline", 0},  {7, "CtCPP", 0},
    {8, "QuitMenu", 1}, {9, "CtStaticE", 0}, {10, "CtInlineE", 1},
    {11, "CtCPPE", 0},  {14, "Recurse", 0},  {15, "MoveF", 0},
};
static const char CONFIG_MASK[] = "*.cc;*.MAC2";
enum { CONFIG_ITEMS = 18, CONFIG_MASK_ITEM = 13, CONFIG_SAVE_ITEM = 16, CONFIG_FOCUS_ITEM = 5 };

void ConfigWritesSettings()
{
    ScriptDialog([](std::vector<DialogItem> &items) {
        Expect(items.size() == CONFIG_ITEMS, "dialog items " + std::to_string(items.size()));
        if (items.size() != CONFIG_ITEMS) return -1;
        Expect(items[CONFIG_FOCUS_ITEM].focus && items[CONFIG_SAVE_ITEM].defaultButton,
               "the focus or the default button is lost");
        for (const auto &v : CONFIG_VALUES) items[(size_t)v.item].selected = v.value;
        items[CONFIG_MASK_ITEM].text = CONFIG_MASK;
        return (int)CONFIG_SAVE_ITEM;
    });
    Expect(ConfigureCommand() == 1, "configure result");
    for (const auto &v : CONFIG_VALUES)
        ExpectEq(StoredValue(v.name), "number:" + std::to_string(v.value), v.name);
    ExpectEq(StoredValue("FileMask"), std::string("string:") + CONFIG_MASK, "FileMask");

    ScriptDialog([](std::vector<DialogItem> &items) {
        if (items.size() != CONFIG_ITEMS) return -1;
        for (const auto &v : CONFIG_VALUES)
            Expect(items[(size_t)v.item].selected == v.value,
                   std::string("shown again: ") + v.name);
        ExpectEq(items[CONFIG_MASK_ITEM].text, CONFIG_MASK, "mask shown again");
        return -1;
    });
    Expect(ConfigureCommand() == 0, "cancelled configure result");
}

int BuildOnce(const char *dir)
{
    if (!SetCurrentDirectoryA(dir)) {
        printf("FAIL build %s: cannot enter it\n", dir);
        return 1;
    }
    g_why.clear();
    DWORD start = GetTickCount();
    RunBuild();
    DWORD took = GetTickCount() - start;
    for (const std::string &e : HostErrors()) g_why.push_back("host: " + e);
    ResetHost();
    if (g_why.empty()) {
        printf("PASS build %s (%lu ms)\n", dir, (unsigned long)took);
        return 0;
    }
    printf("FAIL build %s: %s\n", dir, g_why[0].c_str());
    return 1;
}
