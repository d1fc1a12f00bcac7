/* winbench.cpp: what the benchmark times under Wine, with nothing of the test host's checks.
     winbench walkread DIR          the floor: a FindFirstFileA walk reading every *.c and *.h
     winbench build DLL DIR         Build project index from the panels, as the host runs it
     winbench browse DLL DIR [TYPED]  Browse from the panels: seconds until the host's menu
                                    call, the process's peak memory, and after typing TYPED into
                                    the menu (letters, digits, "_") the items of the last menu
     winbench goto DLL FILE LINE COL  Go to definition from the word at LINE, COL (1-based) of
                                    FILE in an editor: where it lands
     winbench growth N [by100]      AppendEntry N times into a fresh table (by100: the old
                                    growth by 100 slots, with HeapReAlloc)
   Prints the seconds (and what was counted) on one line. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include <windows.h>

#include <psapi.h>

#include "base/limits.h"
#include "common/wildcard.h"
#include "host/farapi.h"
#include "index/index.h"
#include "state/state.h"

static LARGE_INTEGER g_freq, g_start;

static double Elapsed(void)
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return (double)(now.QuadPart - g_start.QuadPart) / (double)g_freq.QuadPart;
}

static void StartClock(void)
{
    QueryPerformanceFrequency(&g_freq);
    QueryPerformanceCounter(&g_start);
}

/* ---- the floor ---- */

static int IsSource(const char *name)
{
    return WildcardMatch("*.c", name, 1) || WildcardMatch("*.h", name, 1);
}

static void WalkRead(const std::string &dir, long long *files, long long *bytes)
{
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir + "\\*.*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return;
    static char buf[1 << 16];
    do {
        std::string path = dir + "\\" + fd.cFileName;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (strcmp(fd.cFileName, ".") != 0 && strcmp(fd.cFileName, "..") != 0 &&
                !(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                WalkRead(path, files, bytes);
        } else if (IsSource(fd.cFileName)) {
            HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                                   FILE_FLAG_SEQUENTIAL_SCAN, NULL);
            if (f == INVALID_HANDLE_VALUE) continue;
            if (GetFileType(f) != FILE_TYPE_DISK) { /* aux.h is the AUX device here */
                CloseHandle(f);
                continue;
            }
            DWORD n;
            while (ReadFile(f, buf, sizeof buf, &n, NULL) && n > 0) *bytes += n;
            CloseHandle(f);
            ++*files;
        }
    } while (FindNextFileA(h, &fd));
    FindClose(h);
}

/* ---- a host that answers the command menu and notes when the browse menu came ---- */

/* The editor Go to definition runs in: one file's lines, a cursor, and where it was sent. */
static std::string g_editFile;
static std::vector<std::string> g_lines;
static int g_curLine, g_curPos;
static std::string g_landed = "nowhere";

static int g_command;        /* the command menu's answer */
static int g_menus;          /* Menu calls so far */
static double g_browseShown; /* seconds until the second menu (the definitions) */
static int g_browseItems;    /* ... and the items it was handed */

static std::string g_typed;      /* browse: the keys typed into the menu, one per pass */
static std::string g_firstItem;  /* ... and the first item of the last pass */
static std::string g_bottomLine; /* ... and its bottom line */

/* The break key that types c: its index in the menu's list (letters, digits, "_"). */
static int BreakKeyOf(char c)
{
    if (c >= 'a' && c <= 'z') return c - 'a';
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= '0' && c <= '9') return 26 + c - '0';
    return 36;
}

static int FARAPI Menu(int, int, int, int, FarDword, const char *, const char *bottom, const char *,
                       const int *, int *breakCode, const FarMenuItem *items, int count)
{
    if (breakCode != NULL) *breakCode = -1;
    if (g_menus++ == 0) return g_command;
    if (g_menus == 2) g_browseShown = Elapsed();
    g_browseItems = count;
    g_firstItem = count > 0 ? items[0].Text : "";
    g_bottomLine = bottom != NULL ? bottom : "";
    size_t pass = (size_t)g_menus - 2;
    if (breakCode != NULL && pass < g_typed.size()) {
        *breakCode = BreakKeyOf(g_typed[pass]);
        return -1;
    }
    return g_editFile.empty() ? -1 : 0; /* a choice among definitions: the first */
}

/* Warnings (the only boxes with buttons) go to stderr, by message number: "M6 M7 M8". */
static int FARAPI Message(int, FarDword, const char *, const char *const *items, int count,
                          int buttons)
{
    if (buttons == 0) return -1;
    for (int i = 0; i < count; i++) fprintf(stderr, "%s%s", i ? " " : "warning: ", items[i]);
    fprintf(stderr, "\n");
    return 0;
}

static const char *FARAPI GetMsg(int, int n)
{
    static char texts[64][8];
    if (n < 0 || n >= 64) return "";
    snprintf(texts[n], sizeof texts[n], "M%d", n);
    return texts[n];
}

static int FARAPI Dialog(int, int, int, int, int, const char *, FarDialogItem *, int)
{
    return -1;
}

static FarHandle FARAPI SaveScreen(int, int, int, int)
{
    return (FarHandle)1;
}

static void FARAPI RestoreScreen(FarHandle) {}

static int FARAPI Editor(const char *file, const char *, int, int, int, int, FarDword, int line,
                         int)
{
    g_landed = std::string(file) + ":" + std::to_string(line);
    return 1;
}

static int FARAPI CmpName(const char *pattern, const char *name, int skipPath)
{
    return WildcardMatch(pattern, name, skipPath);
}

static int FARAPI EditorControl(int command, void *param)
{
    if (g_editFile.empty()) return 0;
    if (command == ECTL_GETINFO) {
        EditorInfo *info = (EditorInfo *)param;
        memset(info, 0, sizeof *info);
        info->EditorID = 1;
        info->FileName = g_editFile.c_str();
        info->WindowSizeX = 80;
        info->WindowSizeY = 25;
        info->TotalLines = (int)g_lines.size();
        info->CurLine = g_curLine;
        info->CurPos = g_curPos;
        return 1;
    }
    if (command == ECTL_GETSTRING) {
        EditorGetString *egs = (EditorGetString *)param;
        int n = egs->StringNumber < 0 ? g_curLine : egs->StringNumber;
        if (n >= (int)g_lines.size()) return 0;
        egs->StringText = g_lines[(size_t)n].c_str();
        egs->StringEOL = "\r\n";
        egs->StringLength = (int)g_lines[(size_t)n].size();
        egs->SelStart = egs->SelEnd = -1;
        return 1;
    }
    if (command == ECTL_SETPOSITION) {
        g_landed = g_editFile + ":" + std::to_string(((EditorSetPosition *)param)->CurLine + 1);
        return 1;
    }
    return 1; /* EDITORTOOEM (the text is OEM already), REDRAW */
}

static int LoadEditor(const char *file, int line, int col)
{
    FILE *f = fopen(file, "rb");
    if (f == NULL) return -1;
    std::string text;
    char buf[1 << 16];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
    fclose(f);
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string l = text.substr(start, end - start);
        if (!l.empty() && l.back() == '\r') l.pop_back();
        g_lines.push_back(l);
        start = end + 1;
    }
    g_editFile = file;
    g_curLine = line - 1;
    g_curPos = col - 1;
    return 0;
}

typedef void(FARAPI *SetStartupInfoFn)(const PluginStartupInfo *);
typedef FarHandle(FARAPI *OpenPluginFn)(int, int);

static int RunCommand(const char *dll, const char *dir, int command,
                      int openFrom = OPEN_PLUGINSMENU)
{
    HMODULE module = LoadLibraryA(dll);
    if (module == NULL) {
        fprintf(stderr, "winbench: cannot load %s\n", dll);
        return 1;
    }
    FARPROC p1 = GetProcAddress(module, "SetStartupInfo"),
            p2 = GetProcAddress(module, "OpenPlugin");
    SetStartupInfoFn setStartup;
    OpenPluginFn openPlugin;
    memcpy(&setStartup, &p1, sizeof p1);
    memcpy(&openPlugin, &p2, sizeof p2);
    if (p1 == NULL || p2 == NULL || (dir != NULL && !SetCurrentDirectoryA(dir))) {
        fprintf(stderr, "winbench: no entry points, or no directory %s\n", dir);
        return 1;
    }
    PluginStartupInfo info;
    memset(&info, 0, sizeof info);
    info.StructSize = (int)sizeof info;
    snprintf(info.ModuleName, sizeof info.ModuleName, "%s", dll);
    info.RootKey = "Software\\Far\\Plugins";
    info.Menu = Menu;
    info.Dialog = Dialog;
    info.Message = Message;
    info.GetMsg = GetMsg;
    info.SaveScreen = SaveScreen;
    info.RestoreScreen = RestoreScreen;
    info.Editor = Editor;
    info.CmpName = CmpName;
    info.EditorControl = EditorControl;
    setStartup(&info);
    g_command = command;
    StartClock();
    openPlugin(openFrom, 0);
    double total = Elapsed();
    if (openFrom == OPEN_EDITOR) printf("%.3f s, landed at %s\n", total, g_landed.c_str());
    else if (command == 0) {
        PROCESS_MEMORY_COUNTERS memory;
        memset(&memory, 0, sizeof memory);
        (void)GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
        printf("%.3f s to the menu (%.3f s in all), peak private memory %.1f MB, peak working set "
               "%.1f MB; the last menu: %d items, first \"%s\", bottom \"%s\"\n",
               g_browseShown, total, (double)memory.PeakPagefileUsage / 1048576.0,
               (double)memory.PeakWorkingSetSize / 1048576.0, g_browseItems, g_firstItem.c_str(),
               g_bottomLine.c_str());
    } else printf("%.3f s\n", total);
    return 0;
}

/* ---- the table's growth ---- */

static int Growth(long n, int by100)
{
    DefinitionEntry e;
    memset(&e, 'x', sizeof e);
    StartClock();
    long grown = 0;
    if (by100) {
        HANDLE heap = GetProcessHeap();
        void *table = HeapAlloc(heap, 0, TABLE_INITIAL * sizeof e);
        long capacity = TABLE_INITIAL;
        for (long count = 0; count < n && table != NULL; count++) {
            if (count >= capacity) {
                capacity += TABLE_GROWTH;
                table = HeapReAlloc(heap, 0, table, (size_t)capacity * sizeof e);
                grown++;
            }
            if (table != NULL) memcpy((char *)table + count * (long)sizeof e, &e, sizeof e);
        }
        if (table == NULL) {
            printf("failed after %.3f s\n", Elapsed());
            return 1;
        }
        HeapFree(heap, 0, table);
    } else {
        static BrowserState st;
        int capacity = 0;
        for (long count = 0; count < n; count++) {
            if (AppendEntry(&e, &st, 0) != 0) {
                printf("failed after %.3f s\n", Elapsed());
                return 1;
            }
            if (st.capacity != capacity) grown++;
            capacity = st.capacity;
        }
        ReleaseState(&st);
    }
    printf("%.3f s, %ld entries, %ld enlargements\n", Elapsed(), n, grown);
    return 0;
}

int main(int argc, char **argv)
{
    if (argc >= 3 && strcmp(argv[1], "walkread") == 0) {
        long long files = 0, bytes = 0;
        StartClock();
        WalkRead(argv[2], &files, &bytes);
        printf("%.3f s, %lld files, %lld bytes\n", Elapsed(), files, bytes);
        return 0;
    }
    if (argc >= 4 && strcmp(argv[1], "build") == 0) return RunCommand(argv[2], argv[3], 1);
    if (argc >= 4 && strcmp(argv[1], "browse") == 0) {
        if (argc >= 5) g_typed = argv[4];
        return RunCommand(argv[2], argv[3], 0);
    }
    if (argc >= 6 && strcmp(argv[1], "goto") == 0) {
        if (LoadEditor(argv[3], atoi(argv[4]), atoi(argv[5])) != 0) {
            fprintf(stderr, "winbench: cannot read %s\n", argv[3]);
            return 1;
        }
        return RunCommand(argv[2], NULL, 1, OPEN_EDITOR);
    }
    if (argc >= 3 && strcmp(argv[1], "growth") == 0)
        return Growth(atol(argv[2]), argc >= 4 && strcmp(argv[3], "by100") == 0);
    fprintf(stderr, "usage: winbench walkread DIR | build DLL DIR | browse DLL DIR |\n"
                    "       goto DLL FILE LINE COL | growth N [by100]\n");
    return 2;
}
