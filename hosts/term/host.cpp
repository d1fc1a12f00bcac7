/* host.cpp: the service record handed to the plugin, the host's plugin menus, and the two ways in. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "base/text.h"
#include "common/distdir.h"
#include "common/wildcard.h"
#include "term/draw_p.h"
#include "term/services_p.h"
#include "term/term.h"

enum { PLUGIN_LINES_MAX = 16 };

static const char ROOT_KEY[] = "Software\\Far\\Plugins"; /* the same store as `zolt config` */
static LngFile g_lng;
static int g_started;

const char *DistDir(void)
{
    return ZoltDistDir();
}

const char *HostMsg(int n)
{
    return LngMessage(&g_lng, n);
}

static int FARAPI SvcMenu(int, int x, int y, int maxHeight, FarDword flags, const char *title,
                          const char *bottom, const char *help, const int *breakKeys,
                          int *breakCode, const FarMenuItem *items, int count)
{
    return MenuRun(x, y, maxHeight, flags, title, bottom, help, breakKeys, breakCode, items, count);
}

static int FARAPI SvcDialog(int, int x1, int y1, int x2, int y2, const char *help,
                            FarDialogItem *items, int count)
{
    return DialogRun(x1, y1, x2, y2, help, items, count);
}

static int FARAPI SvcMessage(int, FarDword flags, const char *help, const char *const *items,
                             int itemsNumber, int buttons)
{
    return MessageRun(flags, help, items, itemsNumber, buttons);
}

static const char *FARAPI SvcGetMsg(int, int id)
{
    return HostMsg(id);
}

static FarHandle FARAPI SvcSaveScreen(int, int, int, int)
{
    return ScreenSave(); /* always the whole screen: restoring more than asked is harmless */
}

static void FARAPI SvcRestoreScreen(FarHandle h)
{
    ScreenRestore(h);
}

static int FARAPI SvcEditor(const char *fileName, const char *, int, int, int, int, FarDword,
                            int startLine, int startChar)
{
    return EditorRun(fileName, startLine, startChar); /* always modal */
}

static int FARAPI SvcCmpName(const char *pattern, const char *name, int skipPath)
{
    return pattern && name ? WildcardMatch(pattern, name, skipPath) : 0;
}

static int FARAPI SvcEditorControl(int command, void *param)
{
    return EditorCommand(command, param);
}

void HostStart(void)
{
    if (g_started) return;
    g_started = 1;
    if (LngLoadForLocale(DistDir(), LngEnvLocale(), &g_lng) != 0)
        fprintf(stderr, "zolt: no language file in %s\n", DistDir());
    static PluginStartupInfo info; /* the plugin may keep pointers into it */
    memset(&info, 0, sizeof info);
    info.StructSize = (int)sizeof info;
    FormatTruncated(info.ModuleName, sizeof info.ModuleName, "%s/zolt", DistDir());
    info.RootKey = ROOT_KEY;
    info.Menu = SvcMenu;
    info.Dialog = SvcDialog;
    info.Message = SvcMessage;
    info.GetMsg = SvcGetMsg;
    info.SaveScreen = SvcSaveScreen;
    info.RestoreScreen = SvcRestoreScreen;
    info.Editor = SvcEditor;
    info.CmpName = SvcCmpName;
    info.EditorControl = SvcEditorControl;
    SetStartupInfo(&info);
}

/* The host's own menu of plugin lines; the chosen index or -1. */
static int ChooseLine(const char *title, const char *const *lines, int count)
{
    FarMenuItem items[PLUGIN_LINES_MAX];
    if (!lines || count <= 0) return -1;
    if (count > PLUGIN_LINES_MAX) count = PLUGIN_LINES_MAX;
    memset(items, 0, sizeof items);
    for (int i = 0; i < count; i++)
        CopyTruncated(items[i].Text, sizeof items[i].Text, lines[i] ? lines[i] : "");
    items[0].Selected = 1;
    return MenuRun(-1, -1, 0, FMENU_WRAPMODE | FMENU_SHOWAMPERSAND, title, NULL, NULL, NULL, NULL,
                   items, count);
}

void PluginMenuFrom(int openFrom)
{
    PluginInfo pi;
    memset(&pi, 0, sizeof pi);
    GetPluginInfo(&pi);
    if (openFrom == OPEN_EDITOR && !(pi.Flags & PF_EDITOR)) return;
    if (openFrom != OPEN_EDITOR && (pi.Flags & PF_DISABLEPANELS)) return;
    int i = ChooseLine("Plugin commands", pi.PluginMenuStrings, pi.PluginMenuStringsNumber);
    if (i >= 0) (void)OpenPlugin(openFrom, i); /* the plugin never opens a panel */
}

void PluginConfigMenu(void)
{
    PluginInfo pi;
    memset(&pi, 0, sizeof pi);
    GetPluginInfo(&pi);
    int i =
        ChooseLine("Plugins configuration", pi.PluginConfigStrings, pi.PluginConfigStringsNumber);
    if (i >= 0) (void)Configure(i);
}

int RunTerminal(const char *dir)
{
    if (dir && *dir && chdir(dir) != 0) {
        fprintf(stderr, "zolt: cannot open directory %s\n", dir);
        return 1;
    }
    if (ScreenOpen() != 0) {
        fprintf(stderr, "zolt: no usable terminal\n");
        return 1;
    }
    HostStart();
    int rc = PanelRun() != 0 || ScreenInputGone();
    ScreenClose();
    return rc;
}

int RunTerminalEditor(const char *file, int line)
{
    char farName[NATIVE_PATH_SIZE];
    if (!file || NativeToFarPath(file, farName, sizeof farName) != 0) {
        fprintf(stderr, "zolt: file name too long\n");
        return 1;
    }
    if (ScreenOpen() != 0) {
        fprintf(stderr, "zolt: no usable terminal\n");
        return 1;
    }
    HostStart();
    int rc = EditorRun(farName, line > 0 ? line : 0, 0) == 0 || ScreenInputGone();
    ScreenClose();
    return rc;
}
