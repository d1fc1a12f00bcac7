/* init.cpp: one command's state: its tables, key codes and options, and its progress boxes. */
#include "plugin/plugin.h"

#include "base/alloc.h"
#include "base/limits.h"
#include "base/text.h"
#include "host/host.h"
#include "host/messages.h"
#include "index/index.h"
#include "settings/settings.h"

void ShowCommandProgress(int kind, int count)
{
    if (kind == PROGRESS_DIR) {
        ShowProgress(MSG_SCAN_TITLE, MsgText(MSG_DIR_PROGRESS));
        return;
    }
    int load = kind == PROGRESS_LOAD;
    char text[PROGRESS_SIZE];
    FormatCountText(text, sizeof text, MsgText(load ? MSG_LOAD_PROGRESS : MSG_SCAN_PROGRESS),
                    count);
    ShowProgress(load ? MSG_LOAD_TITLE : MSG_SCAN_TITLE, text);
}

static void ReadKeyCodes(BrowserState *st)
{
    static const char chars[] = "_:~<>";
    int *codes[] = {&st->keyUnderscore, &st->keyColon, &st->keyTilde, &st->keyLess,
                    &st->keyGreater};
    for (int i = 0; i < 5; i++) *codes[i] = KeyScanChar(chars[i]) & 0xFF; /* no key: 255 */
}

/* Options of one command; the editor has its own scanner filters, with their own defaults.
   0, or -1 when memory ran out reading one (its default stands in). */
static int ReadCommandSettings(BrowserState *st)
{
    int e = st->fromEditor;
    const int options[] = {e ? OPT_STATIC_E : OPT_STATIC,
                           e ? OPT_INLINE_E : OPT_INLINE,
                           e ? OPT_QUALIFIED_E : OPT_QUALIFIED,
                           OPT_QUIT_MENU,
                           OPT_RECURSE,
                           OPT_MOVE_TO_LINE};
    int *fields[] = {&st->includeStatic, &st->includeInline, &st->includeQualified,
                     &st->quitMenu,      &st->recurse,       &st->moveToLine};
    int result = 0;
    for (int i = 0; i < 6; i++)
        if (ReadOptionFlag(options[i], fields[i]) != 0) result = -1;
    if (GetOptionMask(st->fileMask, sizeof st->fileMask) != 0) result = -1;
    return result;
}

static DefinitionEntry *AllocateTable(int capacity)
{
    return (DefinitionEntry *)MemAlloc((size_t)capacity * sizeof(DefinitionEntry));
}

int InitState(BrowserState *st)
{
    st->progress = ShowCommandProgress;
    st->capacity = TABLE_INITIAL;
    st->updCapacity = TABLE_INITIAL;
    CopyTruncated(st->indexFileName, sizeof st->indexFileName, PROJECT_INDEX_NAME);
    ReadKeyCodes(st);
    if (st->entries == NULL && (st->entries = AllocateTable(st->capacity)) == NULL) {
        ShowWarning(MSG_NO_MEMORY);
        return -1;
    }
    if (st->updEntries == NULL && (st->updEntries = AllocateTable(st->updCapacity)) == NULL) {
        ShowWarning(MSG_NO_MEMORY);
        return -1;
    }
    /* browsing and going to a definition may go on with defaults; a build may not */
    if (ReadCommandSettings(st) != 0) st->optionsDefaulted = 1;
    return 0;
}
