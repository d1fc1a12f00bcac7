/* main3.cpp: zolt-wintest3.exe DLL WORKDIR: loads the plugin of the current host generation by
   the host's rules and runs the scenarios in WORKDIR (a fresh directory): the 1.x test host's,
   and those of this generation's own (loading, version, Unicode text).
   zolt-wintest3.exe --build DLL DIR: runs Build project index in DIR once and says how long it
   took. One line per scenario, "PASS name" or "FAIL name: why" ("SKIP name: why" for one this
   machine type cannot run); exit status 1 on any failure. */
#include <stdio.h>
#include <string.h>

#include "common/lng.h"
#include "plugin/commands.h"
#include "wintest3/host3.h"

using namespace far3;

static std::wstring g_dll;

static std::string Folder(const std::wstring &path)
{
    return Narrow(path.substr(0, path.find_last_of(L"\\/")).c_str(), CP_ACP);
}

/* ---- what the shared scenarios call ---- */

/* Handles and dialogs are the plugin's to give back before it returns. */
static void CheckNothingLeftOpen(const char *entry)
{
    if (OpenSettingsHandles() != 0)
        HostErrors().push_back(std::string(entry) + " left a settings handle open");
    if (OpenDialogs() != 0) HostErrors().push_back(std::string(entry) + " left a dialog open");
}

int OpenCommand(Place from)
{
    OpenInfo info;
    memset(&info, 0, sizeof info);
    info.StructSize = sizeof info;
    info.OpenFrom = from == FROM_EDITOR ? OPEN_EDITOR : OPEN_PLUGINSMENU;
    info.Guid = &g_plugin.menuGuid;
    HANDLE panel = g_plugin.OpenW(&info);
    CheckNothingLeftOpen("OpenW");
    RunDeferredEditors();
    return panel == NULL; /* any other value would open a panel of the plugin */
}

int ConfigureCommand()
{
    ConfigureInfo info;
    memset(&info, 0, sizeof info);
    info.StructSize = sizeof info;
    info.Guid = &g_plugin.configGuid;
    intptr_t result = g_plugin.ConfigureW(&info);
    CheckNothingLeftOpen("ConfigureW");
    return (int)result;
}

/* ---- scenarios of this host generation ---- */

static void LoadAndGlobalInfo()
{
    std::string error = LoadPlugin(g_dll);
    Expect(error.empty(), error);
    if (!error.empty()) return;
    const VersionInfo &v = g_plugin.global.MinFarVersion;
    printf("     MinFarVersion %lu.%lu.%lu.%lu, title \"%s\"\n", (unsigned long)v.Major,
           (unsigned long)v.Minor, (unsigned long)v.Revision, (unsigned long)v.Build,
           Narrow(g_plugin.title.c_str()).c_str());
    Expect(v.Major == 3, "MinFarVersion.Major " + std::to_string(v.Major));
}

/* A host one build older than MinFarVersion refuses the plugin, one of that build takes it;
   a startup record that ends before SettingsControl gets every command and the configuration
   refused with a warning. */
static void VersionRefused()
{
    VersionInfo min = g_plugin.global.MinFarVersion, older = min;
    if (older.Build > 0) older.Build--;
    else older.Minor--;
    Expect(!CheckGlobalInfo(g_plugin.global, older).empty(), "an older host would load it");
    ExpectEq(CheckGlobalInfo(g_plugin.global, min), "", "the oldest host it names");
    StartPlugin(offsetof(PluginStartupInfo, SettingsControl), sizeof(FarStandardFunctions));
    ExpectCommandsRefused();
    Expect(ConfigureCommand() == 0 && CallsOf("Dialog").empty(), "configured without settings");
    std::vector<Call> boxes = CallsOf("Message");
    Expect(boxes.size() == 3 && boxes.back().text == boxes.front().text,
           "configuring without settings gives no warning");
    /* records whose sizes leave out the file-name compare: the pointer to the function table
       or the function itself, with what lies past the sizes filled in all the same */
    static const struct {
        size_t record, functions;
    } SHORT_RECORDS[] = {
        {offsetof(PluginStartupInfo, FSF), sizeof(FarStandardFunctions)},
        {sizeof(PluginStartupInfo), offsetof(FarStandardFunctions, ProcessName)},
    };
    for (const auto &row : SHORT_RECORDS) {
        ResetHost();
        StartPlugin(row.record, row.functions, 1);
        ExpectCommandsRefused();
    }
}

static void StartAndPluginInfo()
{
    StartPlugin(sizeof(PluginStartupInfo), sizeof(FarStandardFunctions));
    PluginInfo info;
    std::string error = ReadPluginInfo(&info);
    Expect(error.empty(), "PluginInfo: " + error);
    if (!error.empty()) return;
    Expect(info.Flags == PF_EDITOR, "PluginInfo.Flags " + std::to_string(info.Flags));
    ExpectEq(Narrow(info.PluginMenu.Strings[0]), "M0", "plugins menu line");
    ExpectEq(Narrow(info.PluginConfig.Strings[0]), "M21", "config line");
    Expect(memcmp(&g_plugin.menuGuid, &g_plugin.configGuid, sizeof(GUID)) != 0,
           "the two lines share a GUID");
    /* a menu's answer past its items, one that cut to an int would be Browse, chooses nothing */
    if (sizeof(intptr_t) > 4) {
        ScriptAnswerShift(INTPTR_MAX / 2 + 1);
        ScriptMenuIndex(COMMAND_BROWSE);
        Expect(OpenCommand(FROM_PANELS), "open result of a menu answer past its items");
        ScriptAnswerShift(0);
        Expect(CallsOf("Menu").size() == 1 && CallsOf("Message").empty(),
               "a menu answer past its items ran a command");
    }
}

/* The Russian language file, UTF-8 with a BOM beside the DLL: its texts pass through the core's
   code page and come back to the host as they were. */
static void RussianTextsRoundTrip()
{
    std::string path = Folder(g_dll) + "\\zoltRus.lng";
    ExpectEq(ReadFileText(path).substr(0, 3), "\xEF\xBB\xBF", "zoltRus.lng: the BOM");
    LngFile lng;
    if (LngLoad(path.c_str(), &lng) != 0 || lng.count < 35) {
        Expect(false, path + ": cannot read 35 messages");
        LngFree(&lng);
        return;
    }
    std::string error = UseLanguageFile(path);
    Expect(error.empty(), error);
    ScriptMenuIndex(-1);
    Expect(OpenCommand(FROM_PANELS), "open result");
    PushEditor(g_root + "\\x.c", {"int q = nowhere_defined;"}, 0, 9);
    ScriptMenuIndex(COMMAND_GOTO);
    Expect(OpenCommand(FROM_EDITOR), "open result from the editor");
    PopEditor();
    ScriptDialog([&lng](std::vector<DialogItem> &items) {
        Expect(items.size() > 5 && items[0].text == LngMessage(&lng, 21) &&
                   items[5].text == LngMessage(&lng, 22),
               "the dialog's Russian labels");
        return -1;
    });
    Expect(ConfigureCommand() == 0, "cancelled configure result");
    std::vector<Call> menus = CallsOf("Menu"), boxes = CallsOf("Message");
    Expect(menus.size() == 2 && menus[0].items.size() == 2 && menus[1].items.size() == 3,
           "the command menus");
    if (menus.size() == 2 && menus[0].items.size() == 2 && menus[1].items.size() == 3) {
        ExpectEq(menus[0].items[0], LngMessage(&lng, 1), "Browse");
        ExpectEq(menus[0].items[1], LngMessage(&lng, 2), "Build");
        ExpectEq(menus[1].items[2], LngMessage(&lng, 4), "Go back");
    }
    Expect(boxes.size() == 1, std::to_string(boxes.size()) + " message boxes, want 1");
    if (boxes.size() == 1)
        Expect(boxes[0].items == std::vector<std::string>{LngMessage(&lng, 3), LngMessage(&lng, 5),
                                                          LngMessage(&lng, 8)},
               "the not-found box: " + boxes[0].text);
    UseLanguageFile("");
    LngFree(&lng);
}

/* "here" ends at unit 19, after a Cyrillic letter and a character outside the basic plane (two
   units): the core must see one byte per unit, or the cursor lands on the '('. The scan reads
   the editor's text, but wants its file to exist. */
static void SurrogatePairBeforeTheWord()
{
    Expect(WriteFileText(g_root + "\\u.c", "") == 0, "cannot write u.c");
    PushEditor(g_root + "\\u.c",
               {"int here(void) { return 0; }", "/*\xD1\x8B\xF0\x9F\x98\x80*/ int x = here();"}, 1,
               19);
    ScriptMenuIndex(COMMAND_GOTO);
    Expect(OpenCommand(FROM_EDITOR), "open result");
    ExpectEq(StoredValue("StrNumForBackOut"), "number:1", "back-out line");
    ExpectEq(StoredValue("PosNumForBackOut"), "number:19", "back-out column");
    ScriptMenuIndex(COMMAND_GOBACK);
    Expect(OpenCommand(FROM_EDITOR), "open result of go back");
    std::vector<Call> moves = CallsOf("EditorControl", ECTL_SETPOSITION);
    Expect(moves.size() == 2, std::to_string(moves.size()) + " moves, want 2");
    if (moves.size() == 2) {
        ExpectEq(moves[0].text, "EditorControl 7 line=0 col=0", "go to");
        ExpectEq(moves[1].text, "EditorControl 7 line=1 col=19", "go back");
    }
    PopEditor();
    /* a cursor line past what an int holds is kept as the last one, not cut to a small one */
    if (sizeof(intptr_t) > 4) {
        ScriptLineShift(INTPTR_MAX / 2 + 1);
        PushEditor(g_root + "\\u.c", {"int here(void) { return 0; }", "int x = here();"}, 1, 9);
        ScriptMenuIndex(COMMAND_GOTO);
        Expect(OpenCommand(FROM_EDITOR), "open result past 2^62 lines");
        ScriptLineShift(0);
        ExpectEq(StoredValue("StrNumForBackOut"), "number:2147483647", "back-out line past 2^62");
        PopEditor();
    }
}

/* The shared run, then a host that gives no text back for the mask field: the options keep the
   mask they showed instead of saving an empty one. */
static void ConfigWritesSettings3()
{
    ConfigWritesSettings();
    std::string kept = StoredValue("FileMask");
    ScriptNoDialogTexts();
    ScriptDialog([](std::vector<DialogItem> &items) {
        if (items.size() <= 16) return -1;
        items[13].text = "*.zz";
        return 16; /* Save */
    });
    Expect(ConfigureCommand() == 1, "configure result without texts");
    ExpectEq(StoredValue("FileMask"), kept, "FileMask without a text from the host");
    /* a closing item past the dialog's, one that cut to an int would be Save, saves nothing */
    if (sizeof(intptr_t) > 4) {
        ScriptAnswerShift(INTPTR_MAX / 2 + 1);
        ScriptDialog([](std::vector<DialogItem> &items) {
            if (items.size() <= 16) return -1;
            items[13].text = "*.zz";
            return 16;
        });
        Expect(ConfigureCommand() == 0, "configure result of a closing item past the dialog's");
        ScriptAnswerShift(0);
        ExpectEq(StoredValue("FileMask"), kept, "FileMask after a closing item past the dialog's");
    }
}

/* Go to definition where the host opens no editor: the back-out stays that of the last jump
   (an in-text jump from line 9, column 11), so go back later returns there. */
static void GotoNotOpenedKeepsBackOut()
{
    std::string main = g_root + "\\main.c";
    std::vector<std::string> lines = SplitLines(ReadFileText(main));
    int id = PushEditor(main, lines, 9, 11); /* on "local_fn(helper())" */
    ScriptMenuIndex(COMMAND_GOTO);
    Expect(OpenCommand(FROM_EDITOR), "open result of the jump in the text");
    PopEditor();
    static const struct {
        intptr_t answer;
        int olderLine;
        const char *what;
    } ROWS[] = {
        {3, -1, "loading interrupted"},
        {0, -1, "open error"},
        {1, 5, "the question cancelled, an older editor of the file in front"},
    };
    for (const auto &row : ROWS) {
        (void)PushEditor(main, lines, 9, 20); /* on "helper()", defined in sub\helper.c */
        ScriptEditorRefused(row.answer, row.olderLine);
        ScriptMenuIndex(COMMAND_GOTO);
        Expect(OpenCommand(FROM_EDITOR), std::string("open result: ") + row.what);
        if (row.olderLine >= 0) PopEditor();
        PopEditor();
        Expect(CallsOf("Editor").size() == 1, std::string("no Editor call: ") + row.what);
        ExpectEq(StoredValue("StrNumForBackOut"), "number:9", std::string("line: ") + row.what);
        ExpectEq(StoredValue("PosNumForBackOut"), "number:11", std::string("column: ") + row.what);
        ExpectEq(StoredValue("EditorIdForBackOut"), "number:" + std::to_string(id),
                 std::string("editor: ") + row.what);
        Expect(CallsOf("Message").empty(), std::string("a message box: ") + row.what);
        ResetHost();
    }
}

static std::wstring Wide(const std::string &utf8)
{
    return Widen(utf8, CP_UTF8);
}

static int MakeDirW(const std::wstring &path)
{
    return CreateDirectoryW((L"\\\\?\\" + path).c_str(), NULL) ? 0 : -1;
}

static int WriteFileW(const std::wstring &path, const char *text)
{
    HANDLE h = CreateFileW((L"\\\\?\\" + path).c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE) return -1;
    DWORD n = 0, len = (DWORD)strlen(text);
    BOOL ok = WriteFile(h, text, len, &n, NULL) && n == len;
    CloseHandle(h);
    return ok ? 0 : -1;
}

static std::string ReadFileW(const std::wstring &path)
{
    HANDLE h = CreateFileW((L"\\\\?\\" + path).c_str(), GENERIC_READ, FILE_SHARE_READ, NULL,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (h == INVALID_HANDLE_VALUE) return "<missing>";
    std::string text;
    char buf[4096];
    DWORD n;
    while (ReadFile(h, buf, sizeof buf, &n, NULL) && n > 0) text.append(buf, n);
    CloseHandle(h);
    return text;
}

/* The commands from the panels work in the active panel's folder, not in the process's current
   directory (the tree): a folder deeper than 260 characters, with a directory whose name ends
   in a dot and names outside every ANSI code page, all indexed as they are (UTF-8). Browse opens
   the file by its full name. A panel of a plugin shows no folder: a warning, nothing written. */
static void PanelFolderOfAnyName()
{
    std::wstring dir = Wide(g_root.substr(0, g_root.find_last_of('\\'))) + L"\\panel";
    int ok = MakeDirW(dir) == 0;
    for (int i = 0; i < 6; i++) {
        dir += L"\\a_folder_name_of_forty_characters_" + std::to_wstring(i) + L"xxxx";
        ok = ok && MakeDirW(dir) == 0;
    }
    ok = ok && MakeDirW(dir + L"\\trail.") == 0 && MakeDirW(dir + Wide("\\Проект")) == 0 &&
         WriteFileW(dir + L"\\trail.\\t.c", "int trail_fn(void) { return 0; }\n") == 0 &&
         WriteFileW(dir + Wide("\\Проект\\модуль.c"), "int modul_fn(void) { return 0; }\n") == 0;
    Expect(ok && dir.size() > 260, "cannot make the deep folder");
    if (!ok) return;
    std::string before = ReadFileText(g_root + "\\zoltprj$.Far");
    ScriptPanelDirectory(dir);
    ScriptMenuIndex(COMMAND_BUILD);
    Expect(OpenCommand(FROM_PANELS), "open result of build");
    ExpectEq(ReadFileW(dir + L"\\zoltprj$.Far"),
             "modul_fn?\xD0\x9F\xD1\x80\xD0\xBE\xD0\xB5\xD0\xBA\xD1\x82\\"
             "\xD0\xBC\xD0\xBE\xD0\xB4\xD1\x83\xD0\xBB\xD1\x8C.c?1\r\n"
             "trail_fn?trail.\\t.c?1\r\n",
             "the panel folder's project index");
    ExpectEq(ReadFileText(g_root + "\\zoltprj$.Far"), before, "the tree's index");
    ResetHost();
    ScriptMenuIndex(COMMAND_BROWSE);
    ScriptMenuIndex(0);
    ScriptMenuIndex(-1);
    Expect(OpenCommand(FROM_PANELS), "open result of browse");
    std::vector<Call> editors = CallsOf("Editor");
    /* modul_fn comes first; its full name is longer than the folder's */
    Expect(editors.size() == 1 && editors[0].file.size() > dir.size() + 8 &&
               editors[0].file.compare(editors[0].file.size() - 9, 9, "\\??????.c") == 0 &&
               editors[0].line == 1,
           "browse: no editor of the full name at line 1: " +
               (editors.empty() ? std::string("none") : editors[0].text));
    ResetHost();
    ScriptPanelDirectory(Wide(g_root), 1); /* said before the command menu */
    std::string tree = ReadFileText(g_root + "\\zoltprj$.Far");
    Expect(OpenCommand(FROM_PANELS), "open result of build in a plugin's panel");
    std::vector<Call> boxes = CallsOf("Message");
    Expect(boxes.size() == 1 && boxes[0].items.size() == 3 && boxes[0].items[1] == "M40",
           "a plugin's panel: " + std::to_string(boxes.size()) + " boxes, want the warning M40");
    ExpectEq(ReadFileText(g_root + "\\zoltprj$.Far"), tree,
             "the tree's index after a plugin's panel");
    ScriptPanelDirectory(L"");
}

static int BuildOnly(const char *dir)
{
    std::string error = LoadPlugin(g_dll);
    if (!error.empty()) {
        printf("FAIL build %s: %s\n", dir, error.c_str());
        return 1;
    }
    StartPlugin(sizeof(PluginStartupInfo), sizeof(FarStandardFunctions));
    PluginInfo info;
    error = ReadPluginInfo(&info);
    if (!error.empty()) {
        printf("FAIL build %s: PluginInfo: %s\n", dir, error.c_str());
        return 1;
    }
    return BuildOnce(dir);
}

static const char *const MACHINE = sizeof(void *) == 4 ? "i686" : "x86_64";

int main(int argc, char **argv)
{
    if (argc == 2 && strcmp(argv[1], "--version") == 0) {
        printf("zolt-wintest3 %s %s\n", ZOLT_VERSION, MACHINE);
        return 0;
    }
    TrapStaleRecordCalls();
    if (argc == 4 && strcmp(argv[1], "--build") == 0) {
        g_dll = Widen(argv[2], CP_ACP);
        return BuildOnly(argv[3]);
    }
    if (argc != 3) {
        fprintf(stderr, "usage: zolt-wintest3 DLL WORKDIR | --build DLL DIR | --version\n");
        return 2;
    }
    g_dll = Widen(argv[1], CP_ACP);
    if (!MakeTree(std::string(argv[2]) + "\\tree")) {
        printf("FAIL setup: cannot create the tree under %s\n", argv[2]);
        return 1;
    }
    Scenario("load: the export names, the six entry points, GetGlobalInfoW", LoadAndGlobalInfo);
    if (g_plugin.OpenW == NULL) return 1;
    Scenario("version: an older host refuses it, a record without settings refuses every command",
             VersionRefused);
    Scenario("start: the startup record copied, then overwritten; GetPluginInfoW; a menu answer "
             "past its items",
             StartAndPluginInfo);
    RunCommandScenarios();
    Scenario("text: Russian messages from zoltRus.lng come back unchanged", RussianTextsRoundTrip);
    Scenario("text: a surrogate pair before the word under the cursor", SurrogatePairBeforeTheWord);
    Scenario("goto: the host opens no editor, the last jump's back-out stays",
             GotoNotOpenedKeepsBackOut);
    Scenario("panels: the active panel's folder, deeper than 260 characters, names in Cyrillic "
             "and ending in a dot; a plugin's panel refused",
             PanelFolderOfAnyName);
    RunFatalScenarios();
    Scenario("config: the dialog writes all ten values to the settings service; a field the host "
             "gives no text for keeps its own; a closing item past the dialog's saves nothing",
             ConfigWritesSettings3);
    ExitInfo exit = {sizeof exit, NULL};
    g_plugin.ExitFARW(&exit);
    return ScenariosFailed();
}
