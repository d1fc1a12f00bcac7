/* services.cpp: the host record copy and the wrappers every subsystem calls the host through. */
#include "host/host.h"
#include "host/messages.h"

#include <stddef.h>
#include <string.h>

#include "base/text.h"

PluginStartupInfo g_far;
char SettingsRoot[SETTINGS_ROOT_SIZE];

static const char HELP_TOPIC[] = "Contents";

/* Bytes of the host's record to take: never more than it says it has, never more than ours. */
static size_t HostRecordBytes(const PluginStartupInfo *info)
{
    if (info->StructSize <= 0) return sizeof info->StructSize; /* every command is refused */
    size_t n = (size_t)info->StructSize < sizeof g_far ? (size_t)info->StructSize : sizeof g_far;
    /* A service entry cut by the host's size would become a wild pointer: take whole ones only. */
    const size_t first = offsetof(PluginStartupInfo, RootKey);
    if (n > first) n -= (n - first) % sizeof(void *);
    return n;
}

void InstallHostRecord(const PluginStartupInfo *info)
{
    size_t n = HostRecordBytes(info);
    memset(&g_far, 0, sizeof g_far);
    memcpy(&g_far, info, n);
    SettingsRoot[0] = '\0';
    /* keep room for "\ZOLT" however long the host's root key is */
    const char *root = g_far.RootKey != NULL ? g_far.RootKey : "";
    CopyTruncated(SettingsRoot, sizeof SettingsRoot - 5, root);
    AppendTruncated(SettingsRoot, sizeof SettingsRoot, "\\ZOLT");
}

const char *MsgText(int n)
{
    const char *s = g_far.GetMsg ? g_far.GetMsg(g_far.ModuleNumber, n) : NULL;
    return s ? s : "";
}

int HostWarningBox(int titleMsg, int textMsg, int buttonMsg)
{
    const char *items[3] = {MsgText(titleMsg), MsgText(textMsg), MsgText(buttonMsg)};
    if (!g_far.Message) return -1;
    return g_far.Message(g_far.ModuleNumber, FMSG_WARNING, NULL, items, 3, 1);
}

void ShowWarning(int n)
{
    (void)HostWarningBox(MSG_WARNING_TITLE, n, MSG_OK);
}

void ShowProgress(int titleMsg, const char *text)
{
    const char *items[2] = {MsgText(titleMsg), text};
    if (g_far.Message) (void)g_far.Message(g_far.ModuleNumber, 0, NULL, items, 2, 0);
}

FarHandle HostSaveScreen(void)
{
    return g_far.SaveScreen ? g_far.SaveScreen(0, 0, -1, -1) : NULL;
}

void HostRestoreScreen(FarHandle h)
{
    if (g_far.RestoreScreen) g_far.RestoreScreen(h);
}

int HostCmpName(const char *pattern, const char *name, int skipPath)
{
    return g_far.CmpName ? g_far.CmpName(pattern, name, skipPath) : 0;
}

int HostEditorControl(int command, void *param)
{
    return g_far.EditorControl ? g_far.EditorControl(command, param) : 0;
}

int HostMenu(FarDword flags, const char *title, const char *bottom, const int *breakKeys,
             int *breakCode, const FarMenuItem *items, int count)
{
    if (!g_far.Menu) return -1;
    return g_far.Menu(g_far.ModuleNumber, -1, -1, 0, flags, title, bottom, HELP_TOPIC, breakKeys,
                      breakCode, items, count);
}

int HostDialog(int width, int height, FarDialogItem *items, int count)
{
    if (!g_far.Dialog) return -1;
    return g_far.Dialog(g_far.ModuleNumber, -1, -1, width, height, HELP_TOPIC, items, count);
}

int HostReportsModified(void)
{
    if (!g_far.AdvControl) return 1; /* the hosts of this generation that lack it tell */
    int version = g_far.AdvControl(g_far.ModuleNumber, ACTL_GETFARVERSION, NULL);
    return ((version >> 8) & 0xFF) < 2;
}

int HostEditor(const char *fileName, int startLine, int startChar)
{
    if (!g_far.Editor) return 0;
    /* The file name as the title, which is what no title shows: the current host's loader for
       plugins of this generation opens no editor when the title is missing. */
    return g_far.Editor(fileName, fileName, 0, 0, -1, -1, 0, startLine, startChar);
}
