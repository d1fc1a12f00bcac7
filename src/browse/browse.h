/* browse.h: the filtered definition menu. */
#ifndef ZOLT_BROWSE_BROWSE_H
#define ZOLT_BROWSE_BROWSE_H

#include <stdio.h>

struct BrowserState;

/* The menu's break-key list (100 zero-filled ints, 44 used, ended by 0): letters, digits, the five
   punctuation keys (virtual-key code plus the modifiers that type them), Backspace, Space.
   Null when there is no memory; the caller frees it with MemFree. */
int *MakeBreakKeys(const BrowserState *st);

/* The run of the sorted main table whose names begin with filter (ASCII case ignored):
   *first and *count; an empty filter selects every entry, no match gives 0, 0. */
void PrefixRange(const char *filter, int *count, int *first, const BrowserState *st);

/* Runs the browse menu over the sorted, non-empty main table until it is closed.
   openFrom: the host's open-from code (OPEN_EDITOR moves the editor cursor instead of opening).
   Allocates and frees menuItems; warning 7 when memory runs out. */
void BrowseDefinitions(BrowserState *st, int openFrom);

/* Writes the entries the menu would show with prefix typed as the filter (cut to the filter's
   20 characters, as typing would), one NAME?FILE?LINE line each. Returns the number written. */
int WritePrefixRange(FILE *out, const char *prefix, const BrowserState *st);

#endif
