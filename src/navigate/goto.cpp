/* goto.cpp: cursor placement, go to definition in the edited text, and go back. */
#include <math.h>
#include <string.h>

#include "base/limits.h"
#include "host/host.h"
#include "host/state.h"
#include "index/index.h"
#include "navigate/navigate.h"
#include "settings/settings.h"

void PositionEditor(const EditorInfo *info, int line, int col)
{
    EditorSetPosition esp;
    esp.CurLine = line;
    esp.CurPos = col;
    esp.CurTabPos = -1;
    esp.Overtype = -1;
    int h = info->WindowSizeY, w = info->WindowSizeX;
    /* the target shows three quarters down the window, where the text after it stays visible */
    int q = (int)floor(h * 0.25 * 3.0 + 0.5);
    int top = line - q < 0 ? 0 : line - q;
    int offset = line - info->TopScreenLine;
    esp.TopScreenLine = (offset < 0 || offset >= h) ? top : info->TopScreenLine;
    int left = col - w / 2 < 0 ? 0 : col - w / 2;
    esp.LeftPos = col < info->LeftPos ? left : -1;
    (void)HostEditorControl(ECTL_SETPOSITION, &esp);
}

/* The back-out position: where the last jump started. */
static const char BACK_LINE[] = "StrNumForBackOut";
static const char BACK_POS[] = "PosNumForBackOut";
static const char BACK_EDITOR[] = "EditorIdForBackOut";

/* Lowest line of an entry named exactly word: the table is sorted by name, file, line and all
   entries come from the edited text. 0 when there is none. */
static int ExactDefinitionLine(const BrowserState *st, const char *word)
{
    for (int i = 0; i < st->count; i++)
        if (strcmp(st->entries[i].name, word) == 0) return st->entries[i].line;
    return 0;
}

void GoToDefinition(BrowserState *st)
{
    EditorInfo info;
    char word[WORD_SIZE];
    if (!WordAtCursorOrWarn(&info, word)) return;

    (void)ProjectScan("*.*", st);
    SortTable(st);
    /* recorded before the search, so go-back works even when the jump then fails or is cancelled */
    (void)SetDwordValue("", BACK_LINE, (uint32_t)info.CurLine);
    (void)SetDwordValue("", BACK_POS, (uint32_t)info.CurPos);
    (void)SetDwordValue("", BACK_EDITOR, (uint32_t)info.EditorID);

    int line = ExactDefinitionLine(st, word);
    if (line > 0)
        PositionEditor(&info, line - 1, 0);
    else
        LookupInIndexFiles(st);
}

void GoBack(void)
{
    EditorInfo info;
    memset(&info, 0, sizeof info);
    (void)HostEditorControl(ECTL_GETINFO, &info);
    int line = (int)GetDwordSetting("", BACK_LINE, (uint32_t)-1);
    int col = (int)GetDwordSetting("", BACK_POS, 0);
    int id = (int)GetDwordSetting("", BACK_EDITOR, (uint32_t)-1);
    if (id != info.EditorID) /* the jump opened this editor: closing it returns to the one below */
        (void)HostEditorControl(ECTL_QUIT, NULL);
    else if (line != -1)
        PositionEditor(&info, line, col);
}
