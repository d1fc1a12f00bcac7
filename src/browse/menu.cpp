/* menu.cpp: the browse menu's items: one text per entry shown. */
#include "browse/browse.h"

#include <string.h>

#include "base/alloc.h"
#include "base/limits.h"
#include "base/text.h"
#include "browse/browse_p.h"
#include "host/farapi.h"
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

void FillMenuItems(FarMenuItem *items, const BrowseSlice *s, int fromEditor)
{
    memset(items, 0, (size_t)s->shown * sizeof *items);
    for (int i = 0; i < s->shown; i++) FillItemText(&items[i], &s->entries[i], fromEditor);
}
