/* main.cpp: zolt-wintest.exe DLL WORKDIR FAULTDLL: loads the plugin like the host and runs the
   scenarios in WORKDIR (a fresh directory); FAULTDLL is the fault-test build of the plugin.
   zolt-wintest.exe --build DLL DIR: runs Build project index in DIR once and says how long it took.
   One line per scenario, "PASS name" or "FAIL name: why" ("SKIP name: why" for one this machine
   type cannot run); exit status 1 on any failure. */
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

#include <algorithm>
#include <set>

#include "plugin/commands.h"
#include "wintest/wintest.h"

static const char SETTINGS_KEY[] = "Software\\Far\\Plugins\\ZOLT";
static const char PROJECT_INDEX[] = "zoltprj$.Far";
static const char UPDATE_INDEX[] = "zoltpru$.Far";

static std::vector<std::string> g_why; /* failures of the running scenario */
static int g_failed;
static std::string g_dll, g_root; /* the plugin; the scanned tree */

static void Expect(bool ok, const std::string &what)
{
    if (!ok) g_why.push_back(what);
}

static void ExpectEq(const std::string &got, const std::string &want, const std::string &what)
{
    if (got != want) g_why.push_back(what + ": got \"" + got + "\", want \"" + want + "\"");
}

/* Runs one scenario from a clean host; host rule breaks count as failures. */
static void Scenario(const char *name, void (*body)())
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

static void StartPlugin(int structSize)
{
    PluginStartupInfo info = HostRecord(g_dll.c_str());
    info.StructSize = structSize;
    g_plugin.SetStartupInfo(&info);
}

/* 1 when OpenPlugin gave INVALID_HANDLE_VALUE, as every command of this plugin must. */
static int OpenPlugin(int from)
{
    return g_plugin.OpenPlugin(from, 0) == FAR_INVALID_HANDLE;
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

static bool MakeTree()
{
    bool ok = CreateDirectoryA(g_root.c_str(), NULL) && CreateDirectoryA(At("sub").c_str(), NULL) &&
              CreateDirectoryA(At("sub\\deep").c_str(), NULL) &&
              CreateDirectoryA(At("macros").c_str(), NULL);
    for (const auto &f : TREE_FILES)
        ok = ok && WriteFileText(At(f[0]), f[1]) == 0 && SetWriteTime(At(f[0]), TIME0) == 0;
    return ok;
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

static void LoadAndInfo()
{
    std::string error = LoadPlugin(g_dll.c_str());
    Expect(error.empty(), error);
    if (!error.empty()) return;
    StartPlugin((int)sizeof(PluginStartupInfo));
    PluginInfo pi;
    memset(&pi, 0, sizeof pi);
    g_plugin.GetPluginInfo(&pi);
    Expect(pi.StructSize == (int)sizeof pi,
           "PluginInfo.StructSize " + std::to_string(pi.StructSize));
    Expect(pi.Flags == PF_EDITOR, "PluginInfo.Flags " + std::to_string(pi.Flags));
    Expect(pi.PluginMenuStringsNumber == 1 && std::string(pi.PluginMenuStrings[0]) == "M0",
           "plugins menu line");
    Expect(pi.PluginConfigStringsNumber == 1 && std::string(pi.PluginConfigStrings[0]) == "M21",
           "config line");
    SHORT scan = VkKeyScanA('_');
    printf("     VkKeyScanA('_') = 0x%04X, FindFirstFileA short name of the long file: ",
           (unsigned)(unsigned short)scan);
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(At("averylongfilename_source.c").c_str(), &fd);
    printf("\"%s\"\n", h != INVALID_HANDLE_VALUE ? fd.cAlternateFileName : "(not found)");
    if (h != INVALID_HANDLE_VALUE) FindClose(h);
}

static void VersionRefused()
{
    StartPlugin((int)sizeof(PluginStartupInfo) - 1);
    Expect(OpenPlugin(OPEN_PLUGINSMENU), "OpenPlugin result");
    Expect(OpenPlugin(OPEN_EDITOR), "OpenPlugin result from the editor");
    Expect(CallsOf("Menu").empty(), "a command menu was shown");
    std::vector<Call> boxes = CallsOf("Message");
    Expect(boxes.size() == 2, std::to_string(boxes.size()) + " message boxes, want 2");
    for (const Call &b : boxes) ExpectEq(b.text, "Message \"M6\" \"M20\" \"M8\"", "warning");
    Expect(ReadFileText(At(PROJECT_INDEX)) == "<missing>", "an index was written");
    StartPlugin((int)sizeof(PluginStartupInfo));
}

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
    Expect(OpenPlugin(OPEN_PLUGINSMENU), "OpenPlugin result");
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
    Expect(OpenPlugin(OPEN_PLUGINSMENU), "OpenPlugin result");
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
    if (!editors.empty())
        ExpectEq(editors[0].text, "Editor sub\\helper.c line=6 col=0", "Editor call");
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
    Expect(OpenPlugin(OPEN_EDITOR), "OpenPlugin result");
    std::vector<Call> moves = CallsOf("EditorControl", ECTL_SETPOSITION);
    Expect(moves.size() == 1, "go to: " + std::to_string(moves.size()) + " moves");
    if (!moves.empty()) ExpectPosition(moves[0], 2, 0, "go to");
    ExpectEq(RegistryValue(SETTINGS_KEY, "StrNumForBackOut"), "dword:9", "back-out line");
    ExpectEq(RegistryValue(SETTINGS_KEY, "PosNumForBackOut"), "dword:11", "back-out column");
    ExpectEq(RegistryValue(SETTINGS_KEY, "EditorIdForBackOut"), "dword:" + std::to_string(id),
             "back-out editor");
    Expect(CallsOf("Editor").empty(), "another editor was opened");

    ScriptMenuIndex(COMMAND_GOBACK);
    Expect(OpenPlugin(OPEN_EDITOR), "OpenPlugin result of go back");
    moves = CallsOf("EditorControl", ECTL_SETPOSITION);
    Expect(moves.size() == 2, "go back: " + std::to_string(moves.size()) + " moves");
    if (moves.size() == 2) ExpectPosition(moves[1], 9, 11, "go back");
    PopEditor();
}

/* Go back from the editor a jump opened closes that editor. */
static void GoBackInside(int *quit)
{
    ScriptEditor([quit]() {
        ScriptMenuIndex(COMMAND_GOBACK);
        Expect(OpenPlugin(OPEN_EDITOR), "OpenPlugin result of go back");
        *quit = CurrentEditor()->quit;
    });
}

static void GotoOwnIndexAndBack()
{
    PushEditor(At("main.c"), DiskLines("main.c"), 9, 20); /* on "helper()" */
    ScriptMenuIndex(COMMAND_GOTO);
    int quit = 0;
    GoBackInside(&quit);
    Expect(OpenPlugin(OPEN_EDITOR), "OpenPlugin result");
    std::vector<Call> editors = CallsOf("Editor");
    Expect(editors.size() == 1, std::to_string(editors.size()) + " Editor calls, want 1");
    if (!editors.empty())
        ExpectEq(editors[0].text, "Editor " + At("sub\\helper.c") + " line=1 col=1", "Editor call");
    Expect(quit == 1, "go back did not close the opened editor");
    PopEditor();
}

static void GotoParentIndexWithChoiceAndBack()
{
    PushEditor(At("sub\\helper.c"), {"int h(void) { return dup_fn(); }"}, 0, 23);
    ScriptMenuIndex(COMMAND_GOTO);
    ScriptMenuIndex(1); /* the second definition */
    int quit = 0;
    GoBackInside(&quit);
    Expect(OpenPlugin(OPEN_EDITOR), "OpenPlugin result");
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

static int g_fatalResult;
static void (*g_provokeFatal)();

static void ProvokeFatal()
{
    g_fatalResult = 0;
    g_provokeFatal();
}

/* provoke makes the running command fail; the command must end with the fatal report alone,
   and the next command must work. */
static void ExpectFatalOnly(void (*provoke)())
{
    g_provokeFatal = provoke;
    std::string err = CaptureStderr(ProvokeFatal);
    Expect(g_fatalResult, "OpenPlugin result");
    ExpectEq(err, "ZOLT - Fatal error: An unhandled exception occured. Program terminated.\n",
             "fatal report");
    ResetHost();
    ScriptMenuIndex(COMMAND_BROWSE);
    ScriptMenuIndex(-1);
    Expect(OpenPlugin(OPEN_PLUGINSMENU), "OpenPlugin result after the failed command");
    Expect(CallsOf("Menu").size() == 2, "the plugin is not usable after the failed command");
}

static void ThrowingHostMenu()
{
    ScriptMenuIndex(COMMAND_BROWSE);
    ScriptMenuThrow();
    g_fatalResult = OpenPlugin(OPEN_PLUGINSMENU);
}

static void HostExceptionIsFatal()
{
    ExpectFatalOnly(ThrowingHostMenu);
}

static void ThrowingCommand()
{
    SetEnvironmentVariableA("ZOLT_TEST_FAULT", "throw");
    ScriptMenuIndex(COMMAND_BROWSE);
    g_fatalResult = OpenPlugin(OPEN_PLUGINSMENU);
    SetEnvironmentVariableA("ZOLT_TEST_FAULT", NULL);
}

static std::string g_faultDll;

/* The fault-test build of the plugin, loaded beside the real one, throws inside its command. */
static void OwnExceptionIsFatal()
{
    Plugin product = g_plugin;
    std::string error = LoadPlugin(g_faultDll.c_str());
    Expect(error.empty(), error);
    if (error.empty()) {
        StartPlugin((int)sizeof(PluginStartupInfo));
        ExpectFatalOnly(ThrowingCommand);
    }
    g_plugin = product;
}

static void FaultingGoto()
{
    PushEditor(At("main.c"), DiskLines("main.c"), 9, 20);
    ScriptMenuIndex(COMMAND_GOTO);
    ScriptWildEditorText();
    g_fatalResult = OpenPlugin(OPEN_EDITOR);
    PopEditor();
}

static void AccessViolationIsFatal()
{
    ExpectFatalOnly(FaultingGoto);
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

static void ConfigWritesRegistry()
{
    ScriptDialog([](FarDialogItem *items, int count) {
        Expect(count == 18, "dialog items " + std::to_string(count));
        if (count != 18) return -1;
        for (const auto &v : CONFIG_VALUES) items[v.item].Selected = v.value;
        snprintf(items[13].Data, sizeof items[13].Data, "%s", CONFIG_MASK);
        return 16;
    });
    Expect(g_plugin.Configure(0) == 1, "Configure result");
    for (const auto &v : CONFIG_VALUES)
        ExpectEq(RegistryValue(SETTINGS_KEY, v.name), "dword:" + std::to_string(v.value), v.name);
    ExpectEq(RegistryValue(SETTINGS_KEY, "FileMask"), std::string("string:") + CONFIG_MASK,
             "FileMask");

    ScriptDialog([](FarDialogItem *items, int count) {
        if (count != 18) return -1;
        for (const auto &v : CONFIG_VALUES)
            Expect(items[v.item].Selected == v.value, std::string("shown again: ") + v.name);
        ExpectEq(items[13].Data, CONFIG_MASK, "mask shown again");
        return -1;
    });
    Expect(g_plugin.Configure(0) == 0, "cancelled Configure result");
}

/* --build DLL DIR: one Build project index in DIR with the default options, timed; the index
   files are for the caller. */
static int BuildOnly(const char *dll, const char *dir)
{
    RegDeleteTreeA(HKEY_CURRENT_USER, SETTINGS_KEY);
    std::string error = LoadPlugin(dll);
    if (!error.empty() || !SetCurrentDirectoryA(dir)) {
        printf("FAIL build %s: %s\n", dir, error.empty() ? "cannot enter it" : error.c_str());
        return 1;
    }
    StartPlugin((int)sizeof(PluginStartupInfo));
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

static const char *const MACHINE = sizeof(void *) == 4 ? "i686" : "x86_64";

int main(int argc, char **argv)
{
    if (argc == 2 && strcmp(argv[1], "--version") == 0) {
        printf("zolt-wintest %s %s\n", ZOLT_VERSION, MACHINE);
        return 0;
    }
    if (argc == 4 && strcmp(argv[1], "--build") == 0) {
        g_dll = argv[2];
        return BuildOnly(argv[2], argv[3]);
    }
    if (argc != 4) {
        fprintf(stderr, "usage: zolt-wintest DLL WORKDIR FAULTDLL | --build DLL DIR | --version\n");
        return 2;
    }
    g_dll = argv[1];
    g_faultDll = argv[3];
    g_root = std::string(argv[2]) + "\\tree";
    if (!MakeTree() || !SetCurrentDirectoryA(g_root.c_str())) {
        printf("FAIL setup: cannot create the tree under %s\n", argv[2]);
        return 1;
    }
    RegDeleteTreeA(HKEY_CURRENT_USER, SETTINGS_KEY);
    Scenario("load: LoadLibraryA, GetProcAddress of the four exports, GetPluginInfo", LoadAndInfo);
    if (g_plugin.OpenPlugin == NULL) return 1;
    Scenario("version: a record one byte short refuses every command", VersionRefused);
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
    Scenario("fatal: an exception thrown inside the library ends the command only",
             OwnExceptionIsFatal);
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
    Scenario("config: the dialog writes all ten values to the registry", ConfigWritesRegistry);
    return g_failed;
}
