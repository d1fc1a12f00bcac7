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
    int line = (int)e->line; /* every reader keeps it within an int */
    if (openFrom == OPEN_EDITOR) {
        EditorSetPosition pos = {line - 1, 0, -1, -1, 0, -1};
        (void)HostEditorControl(ECTL_SETPOSITION, &pos);
        return -1;
    }
    (void)HostEditor(e->file, st->moveToLine ? line : 0, 0);
    return st->quitMenu ? -1 : 0; /* 0: the menu comes back with the same filter */
}

/* The menu's bottom line: the keys, or, when the run is longer than the menu, how many entries
   match and that typing narrows them. */
static void FormatBottom(char *bottom, size_t size, const BrowseSlice *slice)
{
    if (slice->total <= slice->shown) {
        CopyTruncated(bottom, size, MsgText(MSG_BROWSE_BOTTOM));
        return;
    }
    char total[24], shown[16], counted[TITLE_SIZE];
    FormatTruncated(total, sizeof total, "%lld", (long long)slice->total);
    FormatTruncated(shown, sizeof shown, "%d", slice->shown);
    FormatMessageText(counted, sizeof counted, MsgText(MSG_BROWSE_BOUNDED), 'd', total);
    FormatMessageText(bottom, size, counted, 's', shown);
}

static void RunMenu(BrowserState *st, int openFrom, const int *breakKeys, BrowseSource *src,
                    BrowseSlice *slice)
{
    char filter[FILTER_SIZE] = "";
    char title[TITLE_SIZE], bottom[TITLE_SIZE];
    int breakCode = 0;
    int64_t marked = -1; /* the key of the marked entry */
    for (int pass = 0; breakCode != -1; pass++) {
        if (FillBrowseSlice(src, filter, slice) != 0) {
            ShowWarning(MSG_INDEX_DAMAGED); /* nothing is shown that was not read in full */
            return;
        }
        if (pass == 0 && slice->total == 0) {
            ShowWarning(MSG_TABLE_EMPTY);
            return;
        }
        FillMenuItems(st->menuItems, slice, openFrom == OPEN_EDITOR);
        for (int i = 0; i < slice->shown; i++)
            if (slice->keys[i] == marked) st->menuItems[i].Selected = 1;
        FormatMessageText(title, sizeof title, MsgText(MSG_BROWSE_TITLE), 's', filter);
        FormatBottom(bottom, sizeof bottom, slice);
        breakCode = -1; /* the host's own starting value, in case it never writes one */
        int r = HostMenu(FMENU_SHOWAMPERSAND | FMENU_WRAPMODE, title, bottom, breakKeys, &breakCode,
                         st->menuItems, slice->shown);
        if (r >= slice->shown) r = -1; /* outside the slice: treat as no item */
        marked = r >= 0 ? slice->keys[r] : -1;
        if (breakCode != -1) EditFilter(filter, breakKeys, breakCode);
        else if (r >= 0) breakCode = OpenEntry(st, openFrom, &slice->entries[r]);
    }
}

static void RunBrowse(BrowserState *st, int openFrom, BrowseSource *src)
{
    int *breakKeys = MakeBreakKeys(st);
    BrowseSlice slice;
    int sliced = NewBrowseSlice(&slice);
    st->menuItems = (FarMenuItem *)MemAlloc(BROWSE_MENU_MAX * sizeof(FarMenuItem));
    if (breakKeys == NULL || sliced != 0 || st->menuItems == NULL) ShowWarning(MSG_NO_MEMORY);
    else RunMenu(st, openFrom, breakKeys, src, &slice);
    MemFree(st->menuItems);
    st->menuItems = NULL;
    FreeBrowseSlice(&slice);
    MemFree(breakKeys);
}

void BrowseDefinitions(BrowserState *st, int openFrom)
{
    if (st->count <= 0 || st->entries == NULL) return;
    BrowseSource src = {st, NULL, -1};
    RunBrowse(st, openFrom, &src);
}

void BrowseCommand(BrowserState *st, int openFrom)
{
    if (!st->fromEditor) { /* the project index where it lies, whatever its size */
        IndexView view;
        int opened = OpenIndexView(&view, st->indexFileName);
        if (opened == 0) {
            BrowseSource src = {st, &view, -1};
            RunBrowse(st, openFrom, &src);
        }
        CloseIndexView(&view);
        if (opened < 0) ShowWarning(MSG_NO_MEMORY);
        if (opened <= 0) return;
    }
    FarHandle screen = HostSaveScreen();
    int loaded = LoadIndex(st, 0);
    HostRestoreScreen(screen);
    if (loaded > 0) return;
    /* a list without the entries that did not fit, or scanned with an option memory kept from
       being read, would pass for the whole one */
    if (loaded < 0 || st->optionsDefaulted) {
        ShowWarning(MSG_NO_MEMORY);
        return;
    }
    if (st->count == 0) {
        ShowWarning(MSG_TABLE_EMPTY);
        return;
    }
    BrowseDefinitions(st, openFrom);
}
