/* browse.h: the filtered definition menu's model: its keys, its filter, its slice and its items. */
#ifndef ZOLT_BROWSE_BROWSE_H
#define ZOLT_BROWSE_BROWSE_H

#include <stdint.h>
#include <stdio.h>

#include "state/entry.h"

struct BrowserState;
struct FarMenuItem;
struct IndexView;

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

/* The most entries one menu holds: a host builds its menu in a time that grows faster than
   the number of items, so a longer run is shown by its first entries and typing narrows it. */
enum { BROWSE_MENU_MAX = 1000 };

/* Where the menu's entries come from: the sorted main table, or the project index file read
   where it lies (view), whose size then costs no memory. */
struct BrowseSource {
    const BrowserState *table; /* used when view is null */
    IndexView *view;
    int64_t wholeCount; /* entries of the view, once counted; -1 before */
};
/* One pass of the menu: the first entries of the filter's run (at most BROWSE_MENU_MAX), each
   with a key that names it across passes (its table index or its line's file offset), and how
   many entries the run holds in all. */
struct BrowseSlice {
    DefinitionEntry *entries;
    int64_t *keys;
    int shown;
    int64_t total;
};
int NewBrowseSlice(BrowseSlice *s); /* 0, or -1 when there is no memory (nothing held) */
void FreeBrowseSlice(BrowseSlice *s);
/* The slice of the filter: 0, or -1 when the view failed (its fault says why); a failed slice
   must not be shown. */
int FillBrowseSlice(BrowseSource *src, const char *filter, BrowseSlice *s);
/* The items of the slice's entries (shown of them, cleared first): the panels show the name, a
   vertical line and the file's tail, the editor the name alone. */
void FillMenuItems(FarMenuItem *items, const BrowseSlice *s, int fromEditor);

/* Writes the entries the menu would show with prefix typed as the filter (cut to the filter's
   20 characters, as typing would), one NAME?FILE?LINE line each. Returns the number written. */
int WritePrefixRange(FILE *out, const char *prefix, const BrowserState *st);

#endif
