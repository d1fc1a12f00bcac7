/* state.cpp: releasing a command's state record. */
#include "host/state.h"

#include "platform/platform.h"

void ReleaseState(BrowserState *st)
{
    CloseUpdateIndex(st);
    ReleaseTableChunks(st);
    if (st->entries != NULL) {
        LargeBlockFree(st->entries);
        st->entries = NULL;
    }
    if (st->updEntries != NULL) {
        LargeBlockFree(st->updEntries);
        st->updEntries = NULL;
    }
}
