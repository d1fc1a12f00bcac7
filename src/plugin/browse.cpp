/* browse.cpp: the browse command: the project's definitions into the filtered menu. */
#include "plugin/plugin.h"

#include "browse/browse.h"
#include "host/host.h"
#include "host/messages.h"
#include "index/index.h"

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
