/* goto.cpp: the editor's commands: go to definition and go back. */
#include "plugin/plugin.h"

#include <stdint.h>
#include <string.h>

#include "base/alloc.h"
#include "base/limits.h"
#include "base/text.h"
#include "host/host.h"
#include "host/messages.h"
#include "index/index.h"
#include "navigate/navigate.h"
#include "settings/settings.h"

/* The word under the cursor for a command: when it is missing because memory ran out, the user
   is told (warning 7) instead of the command ending as if the cursor stood on no word. */
static int WordOrWarn(EditorInfo *info, char *word)
{
    int got = WordAtCursor(info, word);
    if (got < 0) ShowWarning(MSG_NO_MEMORY);
    return got > 0;
}

/* A lookup that found nothing says so, unless the user cancelled its menu. */
static void ReportLookup(int result)
{
    if (result == LOOKUP_NO_MEMORY) ShowWarning(MSG_NO_MEMORY);
    else if (result == LOOKUP_NOT_FOUND) (void)HostWarningBox(MSG_GOTO, MSG_NOT_FOUND, MSG_OK);
    else if (result == LOOKUP_DAMAGED_INDEX) ShowWarning(MSG_INDEX_DAMAGED);
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
        if (strcmp(st->entries[i].name, word) == 0) return (int)st->entries[i].line;
    return 0;
}

int ChooseMatchFromMenu(const IndexMatch *matches, int count)
{
    FarMenuItem *items = (FarMenuItem *)MemAlloc((size_t)count * sizeof *items);
    if (items == NULL) return -2;
    for (int i = 0; i < count; i++)
        CopyTruncated(items[i].Text, sizeof items[i].Text, matches[i].menuText);
    items[0].Selected = 1;
    int chosen = HostMenu(FMENU_AUTOHIGHLIGHT, MsgText(MSG_GOTO), NULL, NULL, NULL, items, count);
    MemFree(items);
    return chosen;
}

/* After the host was asked to open the definition at line (1-based): the jump happened unless
   an editor other than the one it started from stands in front at another line. That is the
   host bringing an editor that held the file already to the front, as when the user cancels its
   question how to open the file again. In a host whose editors are modal, the editor the jump
   started from is in front again once the call returns. */
static int JumpHappened(const EditorInfo *from, int line)
{
    EditorInfo now;
    memset(&now, 0, sizeof now);
    if (!HostEditorControl(ECTL_GETINFO, &now)) return 1;
    return now.EditorID == from->EditorID || now.CurLine == line - 1;
}

void GoToDefinition(BrowserState *st)
{
    EditorInfo info;
    st->choose = ChooseMatchFromMenu;
    char word[WORD_SIZE];
    if (!WordOrWarn(&info, word)) return;

    (void)ProjectScan("*.*", st);
    SortTable(st);
    /* Written before the jump (in a host whose editors are modal, go back runs inside the call
       that opens the definition), and the last jump's put back when none happened. */
    const char *const names[] = {BACK_LINE, BACK_POS, BACK_EDITOR};
    const uint32_t last[] = {GetDwordSetting("", BACK_LINE, (uint32_t)-1),
                             GetDwordSetting("", BACK_POS, 0),
                             GetDwordSetting("", BACK_EDITOR, (uint32_t)-1)};
    const uint32_t values[] = {(uint32_t)info.CurLine, (uint32_t)info.CurPos,
                               (uint32_t)info.EditorID};
    (void)SetDwordValues("", names, values, 3);

    int line = ExactDefinitionLine(st, word), jumped = 1;
    if (line > 0) {
        PositionEditor(&info, line - 1, 0);
    } else {
        int result = LookupInIndexFiles(st);
        ReportLookup(result);
        jumped = result == LOOKUP_OPENED && JumpHappened(&info, st->foundLine);
    }
    if (!jumped) (void)SetDwordValues("", names, last, 3);
}

void GoBack(void)
{
    EditorInfo info;
    memset(&info, 0, sizeof info);
    (void)HostEditorControl(ECTL_GETINFO, &info);
    int line = (int)GetDwordSetting("", BACK_LINE, (uint32_t)-1);
    int col = (int)GetDwordSetting("", BACK_POS, 0);
    int id = (int)GetDwordSetting("", BACK_EDITOR, (uint32_t)-1);
    if (id !=
        info.EditorID) { /* the jump opened this editor: closing it returns to the one below */
        /* a host may close an editor told to quit without asking: changes would be lost. Where
           the host does not say whether there are any, the user closes it (and the host asks),
           and go back in the editor below then moves its cursor. */
        if (!HostReportsModified()) ShowWarning(MSG_CLOSE_TO_RETURN);
        else if (info.CurState & ECSTATE_MODIFIED) ShowWarning(MSG_UNSAVED_CHANGES);
        else (void)HostEditorControl(ECTL_QUIT, NULL);
    } else if (line != -1) PositionEditor(&info, line, col);
}
