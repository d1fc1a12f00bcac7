/* filter.cpp: the browse menu's break keys, the typed filter and the prefix run it selects. */
#include "browse/browse.h"

#include <string.h>

#include "base/alloc.h"
#include "base/limits.h"
#include "base/text.h"
#include "browse/browse_p.h"
#include "host/farapi.h"
#include "index/index.h"
#include "platform/platform.h"
#include "state/state.h"

static const char PUNCTUATION[] = "_:~<>"; /* order of BREAK_PUNCTUATION and the key fields */

/* Modifier bits for the high word of a break key, from VkKeyScanA's shift byte. The entry must
   carry them: the host fires a break key only when the held modifiers equal its high word. */
static int BreakModifiers(char ch, int vk)
{
    int scan = KeyScanChar(ch);
    if (scan == -1 || (scan & 0xFF) == 0xFF || (scan & 0xFF) != vk)
        return 0; /* no key types it, or the stored code is not that key */
    int shift = (scan >> 8) & 0xFF, mods = 0;
    if (shift & 1) mods |= PKF_SHIFT;
    if (shift & 2) mods |= PKF_CONTROL;
    if (shift & 4) mods |= PKF_ALT;
    return mods << 16;
}

int *MakeBreakKeys(const BrowserState *st)
{
    int *keys = (int *)MemAlloc(BREAK_KEY_SLOTS * sizeof(int));
    if (keys == NULL) return NULL;
    for (int i = 0; i < 26; i++) keys[BREAK_LETTERS + i] = 'A' + i;
    for (int i = 0; i < 10; i++) keys[BREAK_DIGITS + i] = '0' + i;
    const int vk[5] = {st->keyUnderscore, st->keyColon, st->keyTilde, st->keyLess, st->keyGreater};
    for (int i = 0; i < 5; i++)
        keys[BREAK_PUNCTUATION + i] = (vk[i] & 0xFFFF) | BreakModifiers(PUNCTUATION[i], vk[i]);
    keys[BREAK_BACKSPACE] = 8;
    keys[BREAK_SPACE] = 32;
    keys[BREAK_END] = 0;
    return keys;
}

/* The character a pressed break key types. The whole entry, modifiers included, is compared
   with the punctuation entries: layouts that put two of them on one key (e.g. "<" and ">")
   differ only in the modifiers, and a letter or digit key that types punctuation unshifted
   has the same entry as that punctuation. */
static int KeyCharacter(const int *breakKeys, int code)
{
    for (int i = 0; i < 5; i++)
        if (code == breakKeys[BREAK_PUNCTUATION + i]) return (unsigned char)PUNCTUATION[i];
    return code & 0xFFFF;
}

void EditFilter(char *filter, const int *breakKeys, int breakCode)
{
    if (breakCode < 0 || breakCode >= BREAK_END) return;
    int c = KeyCharacter(breakKeys, breakKeys[breakCode]);
    size_t len = strlen(filter);
    if (c == 8) {
        if (len > 0) filter[len - 1] = '\0';
    } else if (len < FILTER_MAX && c > 0 && c < 256) {
        filter[len] = (char)c;
        filter[len + 1] = '\0';
    }
}

static int HasPrefixNoCase(const char *name, size_t size, const char *prefix)
{
    size_t i = 0;
    for (; prefix[i] != '\0'; i++)
        if (i >= size || UpperAscii((unsigned char)name[i]) != UpperAscii((unsigned char)prefix[i]))
            return 0; /* also stops at the name's end: its NUL differs from any prefix byte */
    return 1;
}

void PrefixRange(const char *filter, int *count, int *first, const BrowserState *st)
{
    *count = 0;
    *first = 0;
    if (filter[0] == '\0') {
        *count = st->count;
        return;
    }
    /* the table is sorted with ASCII case folded, so the matches form one run */
    for (int i = 0; i < st->count; i++) {
        const DefinitionEntry *e = &st->entries[i];
        if (HasPrefixNoCase(e->name, sizeof e->name, filter)) {
            if (*count == 0) *first = i;
            (*count)++;
        } else if (*count > 0) {
            break;
        }
    }
}

int WritePrefixRange(FILE *out, const char *prefix, const BrowserState *st)
{
    char filter[FILTER_SIZE];
    int count, first;
    (void)CopyTruncatedN(filter, sizeof filter, prefix, FILTER_MAX);
    PrefixRange(filter, &count, &first, st);
    for (int i = first; i < first + count; i++) {
        char line[INDEX_LINE_ROOM];
        (void)FormatIndexLine(line, &st->entries[i], 0);
        fprintf(out, "%s\n", line);
    }
    return count;
}
