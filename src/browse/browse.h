/* browse.h: the filtered definition menu's model: its keys, its filter, its slice and its items. */
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

/* Applies the key at breakCode to filter (FILTER_MAX chars and its NUL at most): Backspace drops
   the last character, any other key appends its character while there is room. An index outside
   the used keys changes nothing. */
void EditFilter(char *filter, const int *breakKeys, int breakCode);

/* menuItems: one item per entry of the sorted main table; panels show the name, a vertical line
   and the file's tail, the editor the name alone. 0, or -1 when there is no memory (menuItems
   null). */
int MakeMenuItems(BrowserState *st, int fromEditor);
void ReleaseMenuItems(BrowserState *st); /* frees menuItems and sets it to null */

/* Writes the entries the menu would show with prefix typed as the filter (cut to the filter's
   20 characters, as typing would), one NAME?FILE?LINE line each. Returns the number written. */
int WritePrefixRange(FILE *out, const char *prefix, const BrowserState *st);

#endif
