/* state.cpp: releasing a command's state record. */
#include "host/state.h"

#include "base/alloc.h"

void ReleaseState(BrowserState *st)
{
    CloseUpdateIndex(st);
    if (st->entries != NULL) {
        MemFree(st->entries);
        st->entries = NULL;
    }
    if (st->updEntries != NULL) {
        MemFree(st->updEntries);
        st->updEntries = NULL;
    }
}
