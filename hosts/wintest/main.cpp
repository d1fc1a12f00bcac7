/* main.cpp: zolt-wintest.exe DLL WORKDIR FAULTDLL: loads the plugin like the host and runs the
   scenarios in WORKDIR (a fresh directory); FAULTDLL is the fault-test build of the plugin.
   zolt-wintest.exe --build DLL DIR: runs Build project index in DIR once and says how long it took.
   One line per scenario, "PASS name" or "FAIL name: why" ("SKIP name: why" for one this machine
   type cannot run); exit status 1 on any failure. */
#include <stdio.h>
#include <string.h>

#include "plugin/commands.h"
#include "wintest/host1.h"

static std::string g_dll, g_faultDll; /* the plugin; its fault-test build */

static void StartPlugin(int structSize)
{
    PluginStartupInfo info = HostRecord(g_dll.c_str());
    info.StructSize = structSize;
    g_plugin.SetStartupInfo(&info);
}

/* ---- scenarios of this host generation ---- */

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
    HANDLE h = FindFirstFileA((g_root + "\\averylongfilename_source.c").c_str(), &fd);
    printf("\"%s\"\n", h != INVALID_HANDLE_VALUE ? fd.cAlternateFileName : "(not found)");
    if (h != INVALID_HANDLE_VALUE) FindClose(h);
}

static void VersionRefused()
{
    StartPlugin((int)sizeof(PluginStartupInfo) - 1);
    ExpectCommandsRefused();
    StartPlugin((int)sizeof(PluginStartupInfo));
}

static void ThrowingCommand(int *result)
{
    SetEnvironmentVariableA("ZOLT_TEST_FAULT", "throw");
    ScriptMenuIndex(COMMAND_BROWSE);
    *result = OpenCommand(FROM_PANELS);
    SetEnvironmentVariableA("ZOLT_TEST_FAULT", NULL);
}

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

/* A host of the current generation loading this library through its loader for old plugins
   never says an editor has changes: go back leaves the jump's editor open and says to close it;
   go back in the editor below then moves its cursor back. */
static void GoBackUnderLaterHost()
{
    ScriptHostVersion(3 << 8 | 6727 << 16);
    std::string main = g_root + "\\main.c";
    std::vector<std::string> lines = SplitLines(ReadFileText(main));
    PushEditor(main, lines, 9, 20); /* on "helper()" */
    ScriptMenuIndex(COMMAND_GOTO);
    int quit = -1;
    ScriptEditor([&quit]() {
        ScriptMenuIndex(COMMAND_GOBACK);
        Expect(OpenCommand(FROM_EDITOR), "open result of go back");
        quit = CurrentEditor()->quit;
    });
    Expect(OpenCommand(FROM_EDITOR), "open result");
    Expect(quit == 0, "go back closed the editor of the jump");
    std::vector<Call> boxes = CallsOf("Message");
    Expect(boxes.size() == 1, std::to_string(boxes.size()) + " message boxes, want 1");
    if (!boxes.empty()) ExpectEq(boxes[0].text, "Message \"M6\" \"M41\" \"M8\"", "warning");
    ScriptMenuIndex(COMMAND_GOBACK);
    Expect(OpenCommand(FROM_EDITOR), "open result of go back below");
    std::vector<Call> moves = CallsOf("EditorControl", EDITOR_SETPOSITION);
    Expect(!moves.empty() && moves.back().line == 9 && moves.back().col == 20,
           "go back below: the cursor not moved back to line 9, column 20");
    PopEditor();
    ScriptHostVersion(0);
}

/* --build DLL DIR: one Build project index in DIR with the default options, timed; the index
   files are for the caller. */
static int BuildOnly(const char *dll, const char *dir)
{
    ForgetSettings();
    std::string error = LoadPlugin(dll);
    if (!error.empty()) {
        printf("FAIL build %s: %s\n", dir, error.c_str());
        return 1;
    }
    StartPlugin((int)sizeof(PluginStartupInfo));
    return BuildOnce(dir);
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
    if (!MakeTree(std::string(argv[2]) + "\\tree")) {
        printf("FAIL setup: cannot create the tree under %s\n", argv[2]);
        return 1;
    }
    ForgetSettings();
    Scenario("load: LoadLibraryA, GetProcAddress of the four exports, GetPluginInfo", LoadAndInfo);
    if (g_plugin.OpenPlugin == NULL) return 1;
    Scenario("version: a record one byte short refuses every command", VersionRefused);
    RunCommandScenarios();
    Scenario("fatal: an exception thrown inside the library ends the command only",
             OwnExceptionIsFatal);
    RunFatalScenarios();
    Scenario("goto: go back in a host of a later generation never closes the jump's editor",
             GoBackUnderLaterHost);
    Scenario("config: the dialog writes all ten values to the registry", ConfigWritesSettings);
    return ScenariosFailed();
}
