/* browse.cpp: the browse command: the project's definitions into the filtered menu. */
#include "plugin/plugin.h"

#include <string.h>

#include "base/alloc.h"
#include "base/limits.h"
#include "base/text.h"
#include "browse/browse.h"
#include "host/host.h"
#include "host/messages.h"
#include "index/index.h"

/* Enter on an entry; returns the break code for the next pass: -1 ends the menu loop. */
static int OpenEntry(const BrowserState *st, int openFrom, const DefinitionEntry *e)
{
    if (openFrom == OPEN_EDITOR) {
        EditorSetPosition pos = {e->line - 1, 0, -1, -1, 0, -1};
        (void)HostEditorControl(ECTL_SETPOSITION, &pos);
        return -1;
    }
    (void)HostEditor(e->file, st->moveToLine ? e->line : 0, 0);
    return st->quitMenu ? -1 : 0; /* 0: the menu comes back with the same filter */
}

static void RunMenu(BrowserState *st, int openFrom, const int *breakKeys)
{
    char filter[FILTER_SIZE] = "";
    char title[TITLE_SIZE];
    int breakCode = 0, marked = -1;
    while (breakCode != -1) {
        int first, count;
        PrefixRange(filter, &count, &first, st);
        FormatMessageText(title, sizeof title, MsgText(MSG_BROWSE_TITLE), 's', filter);
        breakCode = -1; /* the host's own starting value, in case it never writes one */
        int r = HostMenu(FMENU_SHOWAMPERSAND | FMENU_WRAPMODE, title, MsgText(MSG_BROWSE_BOTTOM),
                         breakKeys, &breakCode, st->menuItems + first, count);
        if (r >= count) r = -1; /* outside the slice: treat as no item */
        if (marked >= 0) st->menuItems[marked].Selected = 0;
        marked = r >= 0 ? first + r : -1;
        if (marked >= 0) st->menuItems[marked].Selected = 1;
        if (breakCode != -1) EditFilter(filter, breakKeys, breakCode);
        else if (r >= 0) breakCode = OpenEntry(st, openFrom, &st->entries[first + r]);
    }
}

void BrowseDefinitions(BrowserState *st, int openFrom)
{
    if (st->count <= 0 || st->entries == NULL) return;
    int *breakKeys = MakeBreakKeys(st);
    if (breakKeys == NULL || MakeMenuItems(st, openFrom == OPEN_EDITOR) != 0)
        ShowWarning(MSG_NO_MEMORY);
    else RunMenu(st, openFrom, breakKeys);
    ReleaseMenuItems(st);
    MemFree(breakKeys);
}

void BrowseCommand(BrowserState *st, int openFrom)
{
    FarHandle screen = HostSaveScreen();
    int loaded = LoadIndex(st, 0);
    HostRestoreScreen(screen);
    if (loaded > 0) return; /* a table filled in part is still shown */
    if (st->count == 0) {
        ShowWarning(MSG_TABLE_EMPTY);
        return;
    }
    BrowseDefinitions(st, openFrom);
}
