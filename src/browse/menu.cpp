/* menu.cpp: the browse menu: item texts, the loop of host menus, and opening the chosen entry. */
#include "browse/browse.h"

#include "host/farapi.h"
#include "base/alloc.h"
#include "base/limits.h"
#include "base/text.h"
#include "browse/browse_p.h"
#include "host/host.h"
#include "host/messages.h"
#include "state/state.h"

enum { SHORT_FILE_WIDTH = 25 }; /* the file column; longer names keep their tail after ".." */

static size_t BoundedLength(const char *s, size_t size)
{
    size_t n = 0;
    while (n < size && s[n] != '\0') n++;
    return n;
}

/* Panels: name cut or padded to 39, a vertical line (0xB3 in code page 866), the file right-aligned
   in 25 columns. Editor: the name alone. */
static void FillItemText(FarMenuItem *item, const DefinitionEntry *e, int fromEditor)
{
    if (fromEditor) {
        (void)CopyTruncatedN(item->Text, sizeof item->Text, e->name, sizeof e->name);
        return;
    }
    char shortFile[SHORT_FILE_WIDTH + 1];
    size_t len = BoundedLength(e->file, sizeof e->file);
    if (len <= SHORT_FILE_WIDTH) {
        (void)CopyTruncatedN(shortFile, sizeof shortFile, e->file, len);
    } else {
        shortFile[0] = shortFile[1] = '.';
        const char *tail = e->file + len - (SHORT_FILE_WIDTH - 2);
        (void)CopyTruncatedN(shortFile + 2, sizeof shortFile - 2, tail, SHORT_FILE_WIDTH - 2);
    }
    (void)FormatTruncated(item->Text, sizeof item->Text, "%-39.39s \xB3 %25.25s", e->name,
                          shortFile);
}

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
        if (breakCode != -1)
            EditFilter(filter, breakKeys, breakCode);
        else if (r >= 0)
            breakCode = OpenEntry(st, openFrom, &st->entries[first + r]);
    }
}

void BrowseDefinitions(BrowserState *st, int openFrom)
{
    if (st->count <= 0 || st->entries == NULL) return;
    int *breakKeys = MakeBreakKeys(st);
    st->menuItems = breakKeys != NULL
                        ? (FarMenuItem *)MemAlloc((size_t)st->count * sizeof(FarMenuItem))
                        : NULL;
    if (st->menuItems == NULL) {
        ShowWarning(MSG_NO_MEMORY);
    } else {
        for (int i = 0; i < st->count; i++)
            FillItemText(&st->menuItems[i], &st->entries[i], openFrom == OPEN_EDITOR);
        RunMenu(st, openFrom, breakKeys);
    }
    MemFree(st->menuItems);
    st->menuItems = NULL;
    MemFree(breakKeys);
}
