/* plugin.cpp: the entry points; they check, dispatch and keep every failure inside the host. */
#include "plugin/plugin.h"

#include <string.h>

#include <exception>

#include "base/alloc.h"
#include "base/text.h"
#include "host/host.h"
#include "host/messages.h"
#include "index/index.h"
#include "platform/platform.h"

/* Strings handed to the host must outlive GetPluginInfo: the host reads them later. */
static const char *pluginMenuStrings[1];
static const char *pluginConfigStrings[1];

void FARAPI SetStartupInfo(const struct PluginStartupInfo *Info)
{
    if (Info != NULL) InstallHostRecord(Info);
}

void FARAPI GetPluginInfo(struct PluginInfo *Info)
{
    Info->StructSize = sizeof(struct PluginInfo);
    Info->Flags = PF_EDITOR;
    Info->DiskMenuStringsNumber = 0;
    pluginMenuStrings[0] = MsgText(MSG_PLUGIN_MENU);
    Info->PluginMenuStrings = pluginMenuStrings;
    Info->PluginMenuStringsNumber = 1;
    pluginConfigStrings[0] = MsgText(MSG_CONFIG);
    Info->PluginConfigStrings = pluginConfigStrings;
    Info->PluginConfigStringsNumber = 1;
}

/* The host cannot take an exception through an entry point: it would end the host. */
static void ReportFatal(void)
{
    FatalBox("An unhandled exception occured. Program terminated.", "ZOLT - Fatal error");
}

/* An exception must not leave the guarded call: the guard's frame is taken off the handler
   chain only on the way out of RunGuarded. */
static void RunConfigDialog(void *arg)
{
    int *result = (int *)arg;
    try {
        *result = ConfigDialog();
    } catch (...) {
        *result = -1;
    }
}

int FARAPI Configure(int ItemNumber)
{
    if (ItemNumber != 0) return 0;
    int result = 0;
    if (RunGuarded(RunConfigDialog, &result) != 0 || result < 0) {
        ReportFatal();
        return 0;
    }
    return result;
}

int ShowCommandMenu(int openFrom)
{
    FarMenuItem items[3];
    memset(items, 0, sizeof items);
    int count;
    if (openFrom == OPEN_EDITOR) {
        CopyTruncated(items[0].Text, sizeof items[0].Text, MsgText(MSG_BROWSE));
        CopyTruncated(items[1].Text, sizeof items[1].Text, MsgText(MSG_GOTO));
        CopyTruncated(items[2].Text, sizeof items[2].Text, MsgText(MSG_GOBACK));
        count = 3;
    } else {
        CopyTruncated(items[0].Text, sizeof items[0].Text, MsgText(MSG_BROWSE));
        CopyTruncated(items[1].Text, sizeof items[1].Text, MsgText(MSG_BUILD));
        count = 2;
    }
    items[0].Selected = 1;
    return HostMenu(FMENU_AUTOHIGHLIGHT, "ZOLT", NULL, NULL, NULL, items, count);
}

static BuildSummary lastBuild;

const BuildSummary *LastBuildSummary(void)
{
    return &lastBuild;
}

static void BuildCommand(BrowserState *st)
{
    memset(&lastBuild, 0, sizeof lastBuild);
    BuildProjectIndex(st);
    lastBuild.ran = 1;
    lastBuild.scanned = st->changedFiles - st->filesUnreadable;
    lastBuild.entries = st->indexEntries;
    lastBuild.leftOut = st->filesLeftOut;
}

static void RunCommand(BrowserState *st, int openFrom, int command)
{
    TestFaultPoint();
    switch (command) {
    case COMMAND_BROWSE:
        BrowseCommand(st, openFrom);
        break;
    case COMMAND_BUILD: /* COMMAND_GOTO from the editor */
        if (st->fromEditor) GoToDefinition(st);
        else BuildCommand(st);
        break;
    case COMMAND_GOBACK:
        if (st->fromEditor) GoBack();
        break;
    default: /* cancelled or unknown: nothing */
        break;
    }
}

static void RunOpenPlugin(BrowserState *st, int openFrom)
{
    if (g_far.StructSize < FAR_STARTUPINFO_SIZE) {
        ShowWarning(MSG_HOST_TOO_OLD);
        return;
    }
    st->fromEditor = openFrom == OPEN_EDITOR;
    int command = ShowCommandMenu(openFrom);
    if (InitState(st) == 0) RunCommand(st, openFrom, command);
    ReleaseState(st);
}

struct Command {
    BrowserState *st;
    int openFrom;
    int failed; /* an exception ended it */
};

static void RunCommandCaught(void *arg)
{
    Command *c = (Command *)arg;
    try {
        RunOpenPlugin(c->st, c->openFrom);
    } catch (...) {
        c->failed = 1;
    }
}

FarHandle FARAPI OpenPlugin(int OpenFrom, int Item)
{
    (void)Item;
    /* Automatic, not static: an editor opened by a command can run a nested command. */
    BrowserState state;
    memset(&state, 0, sizeof state);
    Command command = {&state, OpenFrom, 0};
    if (RunGuarded(RunCommandCaught, &command) != 0 || command.failed) {
        MemFree(state.menuItems); /* left behind only when the command was cut short */
        state.menuItems = NULL;
        ReleaseState(&state);
        ReportFatal();
    }
    return FAR_INVALID_HANDLE;
}
