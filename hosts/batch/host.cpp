/* host.cpp: the batch host's service record: just enough host for headless commands. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <deque>

#include "base/text.h"
#include "batch/batch.h"
#include "common/distdir.h"
#include "common/wildcard.h"
#include "plugin/plugin.h"

static LngFile g_lng;
static int g_lngLoaded = -2; /* LoadZoltTexts' result; -2 before the first try */
static std::deque<int> g_menuAnswers;
static int g_pick = -1; /* an item counted across the menus still to come; -1 none */
static std::vector<BatchMenu> g_menus;
static int g_warnings;
static int g_progressShown; /* a progress line waits on the terminal to be overwritten */
static int g_quiet; /* warnings are counted, not printed */
static BatchProgressDrawer g_progressDrawer; /* the command's own progress line; null: the box's */

static const char *FARAPI BatchGetMsg(int, int id)
{
    return LngMessage(&g_lng, id);
}

int BatchShowsProgress(void)
{
    const char *term = getenv("TERM"), *emacs = getenv("INSIDE_EMACS");
    if (emacs != NULL && emacs[0] != '\0') return 0; /* its compile, grep or shell buffer */
    return isatty(STDERR_FILENO) && term != NULL && term[0] != '\0' && strcmp(term, "dumb") != 0;
}

void BatchEndProgress(void)
{
    if (!g_progressShown) return;
    fputs("\r\033[K", stderr);
    fflush(stderr);
    g_progressShown = 0;
}

/* The box's lines, each after ": ", empty ones and the buttons left out. */
static void PrintBoxLines(FILE *out, FarDword flags, const char *const *items, int count,
                          int buttons)
{
    if (flags & FMSG_ALLINONE) { /* items is one text, its lines split by '\n' */
        fputs(": ", out);
        for (const char *p = (const char *)items; p != NULL && *p != '\0'; p++) {
            if (*p == '\n') fputs(": ", out);
            else fputc(*p, out);
        }
        return;
    }
    for (int i = 0; items != NULL && i < count - buttons; i++)
        if (items[i] != NULL && items[i][0] != '\0') fprintf(out, ": %s", items[i]);
}

/* "zolt: " then the box's lines joined by ": ". */
static void PrintBox(FarDword flags, const char *const *items, int count, int buttons)
{
    fputs("zolt", stderr);
    PrintBoxLines(stderr, flags, items, count, buttons);
}

void BatchSetQuiet(int quiet)
{
    g_quiet = quiet;
}

void BatchSetProgressDrawer(BatchProgressDrawer draw)
{
    g_progressDrawer = draw;
}

/* A progress box through the command's drawer: 0 drawn, 1 not (the line stays as it was). */
static int DrawProgress(FarDword flags, const char *const *items, int count)
{
    char *text = NULL;
    size_t size = 0;
    FILE *f = open_memstream(&text, &size);
    if (f == NULL) return 1;
    PrintBoxLines(f, flags, items, count, 0);
    int drawn = 1;
    if (fclose(f) == 0) drawn = g_progressDrawer(text);
    free(text);
    return drawn;
}

static int FARAPI BatchMessage(int, FarDword flags, const char *, const char *const *items,
                               int count, int buttons)
{
    if (buttons <= 0 && !(flags & (FMSG_WARNING | FMSG_ERRORTYPE))) {
        if (!BatchShowsProgress()) return 0;
        if (g_progressDrawer != NULL) { /* it draws over the line, or keeps it */
            if (DrawProgress(flags, items, count) != 0) return 0;
        } else {
            BatchEndProgress();
            PrintBox(flags, items, count, 0);
        }
        fflush(stderr);
        g_progressShown = 1;
        return 0;
    }
    g_warnings++;
    if (g_quiet) return 0;
    BatchEndProgress();
    PrintBox(flags, items, count, buttons > 0 ? buttons : 0);
    fputc('\n', stderr);
    return 0; /* the first button: the only one a warning has */
}

static int FARAPI BatchMenuCall(int, int, int, int, FarDword, const char *title, const char *,
                                const char *, const int *, int *breakCode, const FarMenuItem *items,
                                int count)
{
    if (breakCode != NULL) *breakCode = -1;
    BatchMenu m;
    m.title = title != NULL ? title : "";
    for (int i = 0; items != NULL && i < count; i++)
        m.items.emplace_back(items[i].Text, strnlen(items[i].Text, sizeof items[i].Text));
    m.result = -1;
    if (!g_menuAnswers.empty()) {
        int answer = g_menuAnswers.front();
        g_menuAnswers.pop_front();
        if (answer >= 0 && answer < count) m.result = answer;
    } else if (g_pick >= 0 && g_pick < count) {
        m.result = g_pick;
        g_pick = -1; /* taken: a later menu is cancelled */
    } else if (g_pick >= 0) {
        g_pick -= count; /* in a later menu, if one comes */
    }
    g_menus.push_back(m);
    return m.result;
}

static int FARAPI BatchDialog(int, int, int, int, int, const char *, FarDialogItem *, int)
{
    return -1; /* no one to answer it: cancelled */
}

static FarHandle FARAPI BatchSaveScreen(int, int, int, int)
{
    static char screen; /* a handle that is never null and never dereferenced */
    return &screen;
}

static void FARAPI BatchRestoreScreen(FarHandle)
{
    BatchEndProgress(); /* the progress box goes with the screen it was drawn on */
}

static int FARAPI BatchEditorService(const char *fileName, const char *, int, int, int, int,
                                     FarDword, int startLine, int startChar)
{
    return BatchEditorOpenCall(fileName, startLine, startChar);
}

static int FARAPI BatchCmpName(const char *pattern, const char *name, int skipPath)
{
    return pattern != NULL && name != NULL ? WildcardMatch(pattern, name, skipPath) : 0;
}

static int FARAPI BatchEditorControlCall(int command, void *param)
{
    return BatchEditorControl(command, param);
}

/* 0, or -1 when there is no language file (said once on stderr). */
static int LoadTexts(void)
{
    if (g_lngLoaded == -2) g_lngLoaded = LoadZoltTexts(&g_lng);
    return g_lngLoaded;
}

int InstallBatchHost(void)
{
    if (LoadTexts() != 0) return -1;
    g_menuAnswers.clear();
    g_pick = -1;
    g_menus.clear();
    g_warnings = 0;
    BatchResetEditors();
    PluginStartupInfo info;
    memset(&info, 0, sizeof info);
    info.StructSize = sizeof info;
    CopyTruncated(info.ModuleName, sizeof info.ModuleName, "zolt");
    info.RootKey = "Software\\Far\\Plugins";
    info.Menu = BatchMenuCall;
    info.Dialog = BatchDialog;
    info.Message = BatchMessage;
    info.GetMsg = BatchGetMsg;
    info.SaveScreen = BatchSaveScreen;
    info.RestoreScreen = BatchRestoreScreen;
    info.Editor = BatchEditorService;
    info.CmpName = BatchCmpName;
    info.EditorControl = BatchEditorControlCall;
    SetStartupInfo(&info);
    return 0;
}

void BatchQueueMenuAnswer(int index)
{
    g_menuAnswers.push_back(index);
}

void BatchPickAcrossMenus(int item)
{
    g_pick = item;
}

const std::vector<BatchMenu> &BatchMenus(void)
{
    return g_menus;
}

int BatchWarningCount(void)
{
    return g_warnings;
}
