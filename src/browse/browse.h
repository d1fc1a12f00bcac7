/* browse.h: the filtered definition menu. */
#ifndef ZOLT_BROWSE_BROWSE_H
#define ZOLT_BROWSE_BROWSE_H

struct BrowserState;

/* Runs the browse menu over the sorted, non-empty main table until it is closed.
   openFrom: the host's open-from code (OPEN_EDITOR moves the editor cursor instead of opening). */
void BrowseDefinitions(BrowserState *st, int openFrom);

#endif
