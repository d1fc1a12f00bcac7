/* browse.cpp: the browse command: the project's definitions into the filtered menu. */
#include "plugin/plugin.h"

#include <string.h>

#include "browse/browse.h"
#include "host/host.h"
#include "host/messages.h"
#include "index/index.h"

int ListDefinitions(FILE *out, const char *prefix)
{
    BrowserState st;
    memset(&st, 0, sizeof st);
    int listed = 0;
    /* the browse command's own steps: its state, its source of entries, its slice */
    if (InitState(&st) == 0 && LoadIndex(&st, 0) <= 0) listed = WritePrefixRange(out, prefix, &st);
    ReleaseState(&st);
    return listed;
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
