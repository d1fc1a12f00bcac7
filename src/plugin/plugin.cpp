/* plugin.cpp: the entry points; they check, dispatch and keep every failure inside the host. */
#include "plugin/plugin.h"
#include "plugin/headless.h"

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

/* The build, and what it did for a host that reports it (report may be null). */
static void BuildCommand(BrowserState *st, CommandReport *report)
{
    int result = BuildProjectIndex(st);
    if (report == NULL) return;
    report->scanned = st->changedFiles - st->filesUnreadable;
    report->unreadable = st->filesUnreadable;
    report->leftOut = st->filesLeftOut;
    report->namesLeftOut = st->namesLeftOut;
    report->dirsLeftOut = st->dirsLeftOut;
    report->tempsRemoved = st->tempFilesRemoved;
    report->entries = st->indexEntries;
    if (result > BUILD_DONE)
        report->indexFiles = st->indexFilesReplaced > 0 ? INDEX_FILES_PARTLY : INDEX_FILES_FAILED;
    else if (st->indexFilesReplaced > 0) report->indexFiles = INDEX_FILES_WRITTEN;
}

static void RunCommand(BrowserState *st, int openFrom, int command, CommandReport *report)
{
    TestFaultPoint();
    switch (command) {
    case COMMAND_BROWSE: BrowseCommand(st, openFrom); break;
    case COMMAND_BUILD: /* COMMAND_GOTO from the editor */
        if (st->fromEditor) GoToDefinition(st);
        else BuildCommand(st, report);
        break;
    case COMMAND_GOBACK:
        if (st->fromEditor) GoBack();
        break;
    default: /* cancelled or unknown: nothing */ return;
    }
    if (report != NULL) report->ran = 1;
}

struct Command {
    BrowserState *st;
    int openFrom;
    int command;           /* a CommandItem, or -1: the command menu asks for it */
    CommandReport *report; /* null: nobody asks what the command did */
    int failed;            /* an exception ended it */
};

static void RunOpenPlugin(Command *c)
{
    if (g_far.StructSize < FAR_STARTUPINFO_SIZE) {
        ShowWarning(MSG_HOST_TOO_OLD);
        return;
    }
    BrowserState *st = c->st;
    st->fromEditor = c->openFrom == OPEN_EDITOR;
    int command = c->command >= 0 ? c->command : ShowCommandMenu(c->openFrom);
    if (InitState(st) == 0) RunCommand(st, c->openFrom, command, c->report);
    ReleaseState(st);
}

static void RunCommandCaught(void *arg)
{
    Command *c = (Command *)arg;
    try {
        RunOpenPlugin(c);
    } catch (...) {
        c->failed = 1;
    }
}

static void RunCommandGuarded(int openFrom, int command, CommandReport *report)
{
    /* Automatic, not static: an editor opened by a command can run a nested command. */
    BrowserState state;
    memset(&state, 0, sizeof state);
    Command c = {&state, openFrom, command, report, 0};
    if (RunGuarded(RunCommandCaught, &c) != 0 || c.failed) {
        MemFree(state.menuItems); /* left behind only when the command was cut short */
        state.menuItems = NULL;
        ReleaseState(&state);
        ReportFatal();
    }
}

FarHandle FARAPI OpenPlugin(int OpenFrom, int Item)
{
    (void)Item;
    RunCommandGuarded(OpenFrom, -1, NULL);
    return FAR_INVALID_HANDLE;
}

void RunHeadlessCommand(int openFrom, int command, CommandReport *report)
{
    memset(report, 0, sizeof *report);
    RunCommandGuarded(openFrom, command, report);
    if (openFrom == OPEN_EDITOR || command != COMMAND_BUILD) return;
    if (report->indexFiles == INDEX_FILES_NONE) { /* a build that did not start says too */
        FileTime t;
        report->indexFiles = FileGetWriteTime(PROJECT_INDEX_NAME, &t) == 0 ? INDEX_FILES_UNCHANGED
                                                                           : INDEX_FILES_NONE;
    }
}
